#include "win/Heap.h"

#include "win/DllSearch.h"

#include <windows.h>

namespace vorlund::win {
namespace {

void useLowFragmentation(HANDLE heap) {
    ULONG lowFragmentation = 2;
    if (heap)
        HeapSetInformation(heap, HeapCompatibilityInformation, &lowFragmentation,
                           sizeof lowFragmentation);
}

// The heap msvcrt.dll allocates from, looked up so that a runtime without
// the export costs nothing but this one heap.
HANDLE runtimeHeap() {
    using GetHeapHandleFn = intptr_t(__cdecl*)();
    const auto get = Function<GetHeapHandleFn>(GetModuleHandleA("msvcrt.dll"), "_get_heap_handle");
    return get ? reinterpret_cast<HANDLE>(get()) : nullptr;
}

} // namespace

void UseLowFragmentationHeaps() {
    // Only heaps this process owns for its whole life: another module's
    // heap may be destroyed at any moment.
    const HANDLE process = GetProcessHeap();
    useLowFragmentation(process);
    if (const HANDLE runtime = runtimeHeap(); runtime != process)
        useLowFragmentation(runtime);
}

} // namespace vorlund::win

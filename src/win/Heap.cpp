#include "win/Heap.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vorlund::win {

void UseLowFragmentationHeaps() {
    std::vector<HANDLE> heaps(16);
    DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (count > heaps.size()) { // more than room for: ask again with room for all
        heaps.resize(count);
        count = GetProcessHeaps(count, heaps.data());
    }
    heaps.resize(std::min<size_t>(count, heaps.size()));
    for (HANDLE heap : heaps) {
        ULONG lowFragmentation = 2;
        HeapSetInformation(heap, HeapCompatibilityInformation, &lowFragmentation,
                           sizeof lowFragmentation);
    }
}

} // namespace vorlund::win

// A DLL that a stranger could place beside the program: the search
// restriction must keep it from being loaded.
#include <windows.h>

extern "C" __declspec(dllexport) int Planted() {
    return 42;
}

// The library's loader entry point. On Windows the library asks not to be
// told about threads starting and ending: it keeps no per-thread state.
// Other platforms need no entry point.
#if defined(_WIN32)
#include <windows.h>

BOOL APIENTRY DllMain(HMODULE module, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
    return TRUE;
}
#endif

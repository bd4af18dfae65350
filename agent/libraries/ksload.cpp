/* KSLoad.dll: loads an agent library of the family by its full path. */
#include <windows.h>

extern "C" DWORD WINAPI KsLoaderVersion(void) { return 0x0200; }

extern "C" HMODULE WINAPI KsLoadAgentLibrary(LPCSTR path)
{
    if (path == NULL || path[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

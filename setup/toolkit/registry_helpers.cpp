#include <shlwapi.h>
#include <stdio.h>
#include <stdlib.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"

#define REGISTRY (SetupState.RegistryFunctions)

int LoadRegistryFunctions(void)
{
    return LoadRegistryFunctionsFrom("ADVAPI32.DLL");
}

int LoadRegistryFunctionsFrom(LPCSTR libraryName)
{
    HMODULE library = LoadLibraryA(libraryName);
    if (!library)
        return 0;
    REGISTRY.Library = library;
    REGISTRY.RegCloseKey = (RegCloseKeyFn)GetProcAddress(library, "RegCloseKey");
    REGISTRY.RegCreateKeyA = (RegCreateKeyAFn)GetProcAddress(library, "RegCreateKeyA");
    REGISTRY.RegDeleteKeyA = (RegDeleteKeyAFn)GetProcAddress(library, "RegDeleteKeyA");
    REGISTRY.RegOpenKeyA = (RegOpenKeyAFn)GetProcAddress(library, "RegOpenKeyA");
    REGISTRY.RegQueryValueA = (RegQueryValueAFn)GetProcAddress(library, "RegQueryValueA");
    REGISTRY.RegSetValueA = (RegSetValueAFn)GetProcAddress(library, "RegSetValueA");
    if (!REGISTRY.RegCloseKey || !REGISTRY.RegCreateKeyA || !REGISTRY.RegDeleteKeyA ||
        !REGISTRY.RegOpenKeyA || !REGISTRY.RegQueryValueA || !REGISTRY.RegSetValueA) {
        FreeLibrary(library);
        REGISTRY.Library = NULL;
        return 0;
    }
    REGISTRY.RegCreateKeyExA = (RegCreateKeyExAFn)GetProcAddress(library, "RegCreateKeyExA");
    REGISTRY.RegOpenKeyExA = (RegOpenKeyExAFn)GetProcAddress(library, "RegOpenKeyExA");
    REGISTRY.RegQueryValueExA = (RegQueryValueExAFn)GetProcAddress(library, "RegQueryValueExA");
    REGISTRY.RegSetValueExA = (RegSetValueExAFn)GetProcAddress(library, "RegSetValueExA");
    REGISTRY.RegEnumKeyA = (RegEnumKeyAFn)GetProcAddress(library, "RegEnumKeyA");
    REGISTRY.RegQueryInfoKeyA = (RegQueryInfoKeyAFn)GetProcAddress(library, "RegQueryInfoKeyA");
    // The helpers call these as well; a library without them is no use.
    if (!REGISTRY.RegOpenKeyExA || !REGISTRY.RegEnumKeyA || !REGISTRY.RegQueryInfoKeyA) {
        FreeLibrary(library);
        REGISTRY.Library = NULL;
        return 0;
    }
    return 1;
}

void UnloadRegistryFunctions(void)
{
    if (REGISTRY.Library) {
        HMODULE library = REGISTRY.Library;
        REGISTRY.Library = NULL;
        FreeLibrary(library);
    }
}

static void ReportRegistryFailure(LPCSTR text)
{
    EercErrorHandler(104, 1, text, NULL, NULL);
}

// Deletes the key's sub-keys from the highest index down, so the lower
// indexes stay valid while keys disappear; each key after its sub-keys.
int DeleteAllSubKeys(HKEY root, LPCSTR path)
{
    HKEY key;
    if (REGISTRY.RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        ReportRegistryFailure("DeleteAllSubKeys:open");
        return 0;
    }
    DWORD subKeys = 0, longestName = 0;
    if (REGISTRY.RegQueryInfoKeyA(key, NULL, NULL, NULL, &subKeys, &longestName, NULL, NULL, NULL,
                                  NULL, NULL, NULL) != ERROR_SUCCESS) {
        REGISTRY.RegCloseKey(key);
        return 0;
    }
    if (subKeys == 0) {
        REGISTRY.RegCloseKey(key);
        REGISTRY.RegDeleteKeyA(root, path);
        return 1;
    }
    DWORD nameSize = longestName + 1;
    size_t pathSize = (size_t)lstrlenA(path) + longestName + 2;
    char *name = (char *)HeapAlloc(GetProcessHeap(), 0, nameSize);
    char *subPath = (char *)HeapAlloc(GetProcessHeap(), 0, pathSize);
    int result = 1;
    if (!name || !subPath) {
        result = 0;
    } else {
        for (DWORD index = subKeys; index-- > 0;) {
            LONG status = REGISTRY.RegEnumKeyA(key, index, name, nameSize);
            if (status == ERROR_NO_MORE_ITEMS)
                continue;
            if (status != ERROR_SUCCESS) {
                ReportRegistryFailure("DeleteAllSubKeys:enum");
                result = 0;
                break;
            }
            snprintf(subPath, pathSize, "%s\\%s", path, name);
            if (!DeleteAllSubKeys(root, subPath)) {
                result = 0;
                break;
            }
        }
    }
    REGISTRY.RegCloseKey(key);
    if (result)
        REGISTRY.RegDeleteKeyA(root, path);
    if (name)
        HeapFree(GetProcessHeap(), 0, name);
    if (subPath)
        HeapFree(GetProcessHeap(), 0, subPath);
    return result;
}

int RegKeyExists(HKEY root, LPCSTR path)
{
    HKEY key;
    if (REGISTRY.RegOpenKeyA(root, path, &key) != ERROR_SUCCESS)
        return 0;
    REGISTRY.RegCloseKey(key);
    return 1;
}

// The last deletion of a tree is not checked by DeleteAllSubKeys: a key that
// is still there afterwards fails the same way.
void DeleteRegKeyTree(HKEY root, LPCSTR path)
{
    if (!RegKeyExists(root, path))
        return;
    if (DeleteAllSubKeys(root, path) && !RegKeyExists(root, path))
        return;
    ReportRegistryFailure("DeleteAllSubKeys");
    char format[256], text[256];
    LoadSetupString(IDS_REGISTRY_LEFT, format, sizeof(format));
    wnsprintfA(text, sizeof(text), format, path);
    text[sizeof(text) - 1] = '\0';
    EndRunWithFailure(text);
}

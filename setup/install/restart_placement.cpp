// Agent files that another program holds (the agent's library loaded by SQL
// Server is the common case) are placed by Windows at the next restart; the
// run then succeeds, says that a restart completes it, and leaves the
// services it stopped stopped, so that the agent never runs on a mixed set.
#include <windows.h>

#include <restartmanager.h>
#include <shlwapi.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/exit_code.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"

#define HOLDERS_LISTED 8

// The programs that hold a file, as the system's Restart Manager names
// them, joined by ", "; empty when it cannot tell.
static void NameHoldingPrograms(LPCSTR path, LPSTR names, int size)
{
    names[0] = '\0';
    DWORD session;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {0};
    if (RmStartSession(&session, 0, key) != ERROR_SUCCESS)
        return;
    WCHAR wide[MAX_PATH];
    LPCWSTR files[1] = {wide};
    RM_PROCESS_INFO holders[HOLDERS_LISTED];
    UINT needed = 0, count = HOLDERS_LISTED;
    DWORD reasons = 0;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) &&
        RmRegisterResources(session, 1, files, 0, NULL, 0, NULL) == ERROR_SUCCESS) {
        DWORD listed = RmGetList(session, &needed, &count, holders, &reasons);
        for (UINT i = 0; (listed == ERROR_SUCCESS || listed == ERROR_MORE_DATA) && i < count && i < HOLDERS_LISTED;
             i++) {
            char name[CCH_RM_MAX_APP_NAME + 1];
            int used = lstrlenA(names);
            if (!WideCharToMultiByte(CP_ACP, 0, holders[i].strAppName, -1, name, sizeof(name), NULL, NULL) ||
                used + lstrlenA(name) + 3 >= size)
                break;
            wnsprintfA(names + used, size - used, used ? ", %s" : "%s", name);
        }
    }
    RmEndSession(session);
}

void NoteFilesPlacedAtRestart(void)
{
    int count = CFilesPlacedAtRestart();
    for (int i = 0; i < count; i++) {
        char path[SETUP_PATH_SIZE + 16], holders[160];
        if (!FGetFilePlacedAtRestart(i, path, sizeof(path)))
            continue;
        NameHoldingPrograms(path, holders, sizeof(holders));
        if (holders[0])
            LogSetupMessage("%s is in use by %s: Windows puts its new version in place when it restarts.", path,
                            holders);
        else
            LogSetupMessage("%s is in use by another program: Windows puts its new version in place when it "
                            "restarts.", path);
    }
    if (count == 0)
        return;
    NoteRestartNeeded();
    LogSetupMessage("The agent's services stay stopped until Windows restarts.");
}

bool DescribeRestartNeeded(LPSTR text, int size)
{
    char format[256], path[SETUP_PATH_SIZE + 16];
    if (!SetupState.RestartNeeded || !FGetFilePlacedAtRestart(0, path, sizeof(path)))
        return false;
    LoadSetupString(IDS_RESTART_COMPLETES, format, sizeof(format));
    wnsprintfA(text, size, format, path);
    text[size - 1] = '\0';
    return true;
}

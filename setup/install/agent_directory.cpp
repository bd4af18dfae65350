// The agent's directory, made before the copy so that every file placed in
// it takes its list. A directory the administrator chose that exists already
// keeps its own list: it may hold other programs and data whose access its
// owner set, a new list would not reach the files already in it, and a
// silent change could lock others out. The log says instead who besides
// Administrators and SYSTEM may change files in it.
#include "setup/agent_rules/access_lists.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"

static void LogExistingAccess(LPCSTR directory)
{
    char names[160];
    if (!DescribeOtherWriters(directory, names, sizeof(names)))
        LogSetupMessage("It existed already and keeps its access, which Setup cannot read (Windows error %d).",
                        GetLastError());
    else if (!names[0])
        LogSetupMessage("It existed already and keeps its access: only Administrators and SYSTEM may change "
                        "files in it.");
    else
        LogSetupMessage("It existed already and keeps its access, which also lets %s change files in it: "
                        "they could replace the agent's programs, which run as the local system account.",
                        names);
}

static bool IsDirectory(LPCSTR path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD PrepareAgentDirectory(LPCSTR directory)
{
    char path[SETUP_PATH_SIZE + 1];
    if (lstrlenA(directory) + 1 >= (int)sizeof(path) || !IsFullLocalPath(directory))
        return ERROR_BAD_PATHNAME;
    lstrcpyA(path, directory);
    AddTrailingBackslash(path);
    LogSetupMessage("The agent's directory: %s", path);
    AgentSecurity security;
    if (!BuildAgentDirectorySecurity(&security))
        return GetLastError();
    bool created = false;
    // Each backslash of its own after the drive's root ends a directory of
    // the path. A missing parent gets the list too: one that others may
    // change could be renamed away and made again, the agent's directory
    // with it.
    for (LPSTR p = path + 3; *p; p = CharNextA(p)) {
        if (*p != '\\')
            continue;
        *p = '\0';
        created = false;
        if (!IsDirectory(path)) {
            if (!CreateDirectoryA(path, &security.Attributes))
                return GetLastError();
            created = true;
        }
        *p = '\\';
    }
    if (created)
        LogSetupMessage("Setup created it: only Administrators and SYSTEM may change files in it; Users may "
                        "read and run them.");
    else
        LogExistingAccess(path);
    return 0;
}

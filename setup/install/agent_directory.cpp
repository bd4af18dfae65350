// The agent's directory, made before the copy so that every file placed in
// it takes its list. The agent's programs run as the local system account:
// a directory that existed already is made as safe as one setup makes when
// it is empty or holds only the agent's files; one that holds anything else
// keeps its list (other programs and data whose access its owner set), and
// is refused when someone else owns it or may change files in it.
#include "setup/agent_rules/access_lists.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include <shlwapi.h>

#include "resources/resource_ids.h"
#include "setup/unattended/unattended.h"

bool RefuseUnsafeDirectory(LPCSTR directory, LPSTR text, int size)
{
    if (!DirectoryExists(directory) || HoldsOnlyAgentFiles(directory))
        return false;
    char names[160];
    if (!DescribeOtherWriters(directory, names, sizeof(names)))
        wnsprintfA(names, sizeof(names), "(unknown: Windows error %d)", GetLastError());
    if (!names[0])
        return false;
    char format[256];
    LoadSetupString(IDS_DIRECTORY_NOT_SAFE, format, sizeof(format));
    wnsprintfA(text, size, format, names, directory);
    text[size - 1] = '\0';
    return true;
}

static DWORD SettleExistingDirectory(LPCSTR directory)
{
    char text[256];
    if (RefuseUnsafeDirectory(directory, text, sizeof(text)))
        EndRunWithFailure(text);
    if (!HoldsOnlyAgentFiles(directory)) {
        LogSetupMessage("It existed already and keeps its access: only Administrators and SYSTEM may change "
                        "files in it.");
        return 0;
    }
    if (!ProtectAgentDirectory(directory))
        return GetLastError();
    LogSetupMessage("It existed already, empty or with the agent's files only: Setup gave it the access of a "
                    "directory it makes, owned by Administrators.");
    return 0;
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
        return SettleExistingDirectory(path);
    return 0;
}

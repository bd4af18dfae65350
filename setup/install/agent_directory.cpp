// The agent's directory, made before the copy so that every file placed in
// it takes its list. A directory the administrator chose that exists already
// keeps its own list: it may hold other programs and data whose access its
// owner set, a new list would not reach the files already in it, and a
// silent change could lock others out. The log says instead who besides
// Administrators and SYSTEM may change files in it.
#include "setup/install/agent_security.h"

#include <sddl.h>

#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"

#define WRITE_RIGHTS                                                                                        \
    (FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE | \
     WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL)

// Administrators, SYSTEM and the owner of what setup creates (itself, an
// administrator) are trusted with the agent's programs anyway.
static bool IsTrusted(PSID sid)
{
    static const WELL_KNOWN_SID_TYPE trusted[] = {WinBuiltinAdministratorsSid, WinLocalSystemSid,
                                                  WinCreatorOwnerSid};
    for (WELL_KNOWN_SID_TYPE type : trusted)
        if (IsWellKnownSid(sid, type))
            return true;
    return false;
}

static void AppendName(PSID sid, LPSTR names, int size)
{
    char name[128], domain[128];
    DWORD nameSize = sizeof(name), domainSize = sizeof(domain);
    SID_NAME_USE use;
    LPSTR text = NULL;
    if (!LookupAccountSidA(NULL, sid, name, &nameSize, domain, &domainSize, &use)) {
        if (!ConvertSidToStringSidA(sid, &text))
            return;
        lstrcpynA(name, text, sizeof(name));
        LocalFree(text);
    }
    if (lstrlenA(names) + lstrlenA(name) + 3 >= size)
        return;
    if (names[0])
        lstrcatA(names, ", ");
    lstrcatA(names, name);
}

static void DescribeList(PACL acl, BOOL present, LPSTR names, int size)
{
    if (!present || !acl) {
        lstrcpynA(names, "Everyone", size);
        return;
    }
    for (DWORD i = 0; i < acl->AceCount; i++) {
        ACE_HEADER *header;
        if (!GetAce(acl, i, (LPVOID *)&header) || header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        ACCESS_ALLOWED_ACE *ace = (ACCESS_ALLOWED_ACE *)header;
        PSID sid = (PSID)&ace->SidStart;
        if ((ace->Mask & WRITE_RIGHTS) && !IsTrusted(sid))
            AppendName(sid, names, size);
    }
}

bool DescribeOtherWriters(LPCSTR directory, LPSTR names, int size)
{
    names[0] = '\0';
    DWORD needed = 0;
    GetFileSecurityA(directory, DACL_SECURITY_INFORMATION, NULL, 0, &needed);
    if (needed == 0)
        return false;
    PSECURITY_DESCRIPTOR descriptor = (PSECURITY_DESCRIPTOR)LocalAlloc(LMEM_FIXED, needed);
    if (!descriptor)
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = NULL;
    bool read = GetFileSecurityA(directory, DACL_SECURITY_INFORMATION, descriptor, needed, &needed) &&
                GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
    if (read)
        DescribeList(acl, present, names, size);
    DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return read;
}

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

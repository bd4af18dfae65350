// The agent runs as the local system account and its configuration holds
// the SQL Server login and password, scrambled in a way anyone can reverse:
// its key may be read by nobody but Administrators and SYSTEM, and the
// programs in its directory replaced by nobody else.
#include <string.h>

#include "setup/agent_rules/access_lists.h"

#include <sddl.h>

struct AccessGrant {
    WELL_KNOWN_SID_TYPE trustee;
    DWORD access;
};

static const AccessGrant KeyGrants[] = {
    {WinBuiltinAdministratorsSid, KEY_ALL_ACCESS},
    {WinLocalSystemSid, KEY_ALL_ACCESS},
};

// Where setup puts a copy of itself to run with full rights: nobody else
// may put a library there for it to load.
static const AccessGrant SetupFolderGrants[] = {
    {WinLocalSystemSid, FILE_ALL_ACCESS},
    {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
};

static const AccessGrant DirectoryGrants[] = {
    {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
    {WinLocalSystemSid, FILE_ALL_ACCESS},
    {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
};

// A protected list of these grants, each inherited by what is created below,
// so that nothing of the parent's list reaches the key or the directory.
static bool BuildSecurity(AgentSecurity *security, const AccessGrant *grants, int count, BYTE inheritance)
{
    ZeroMemory(security, sizeof(*security));
    PACL acl = (PACL)security->Acl;
    if (!InitializeAcl(acl, sizeof(security->Acl), ACL_REVISION))
        return false;
    for (int i = 0; i < count; i++) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD sidSize = sizeof(sid);
        if (!CreateWellKnownSid(grants[i].trustee, NULL, sid, &sidSize) ||
            !AddAccessAllowedAceEx(acl, ACL_REVISION, inheritance, grants[i].access, sid))
            return false;
    }
    if (!InitializeSecurityDescriptor(&security->Descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&security->Descriptor, TRUE, acl, FALSE) ||
        !SetSecurityDescriptorControl(&security->Descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return false;
    security->Attributes.nLength = sizeof(security->Attributes);
    security->Attributes.lpSecurityDescriptor = &security->Descriptor;
    security->Attributes.bInheritHandle = FALSE;
    return true;
}

bool BuildAgentKeySecurity(AgentSecurity *security)
{
    return BuildSecurity(security, KeyGrants, ARRAYSIZE(KeyGrants), CONTAINER_INHERIT_ACE);
}

bool BuildAgentDirectorySecurity(AgentSecurity *security)
{
    return BuildSecurity(security, DirectoryGrants, ARRAYSIZE(DirectoryGrants),
                         OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
}

bool BuildSetupFolderSecurity(AgentSecurity *security)
{
    return BuildSecurity(security, SetupFolderGrants, ARRAYSIZE(SetupFolderGrants),
                         OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
}

#define WRITE_RIGHTS                                                                                        \
    (FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE | \
     WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL)

// The system's installer service, which owns the system's own directories.
static const char InstallerServiceSid[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// The account setup runs as: an administrator, who may change the agent's
// programs anyway.
static bool IsSetupAccount(PSID sid)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    bool same = GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size) &&
                EqualSid(sid, ((TOKEN_USER *)buffer)->User.Sid);
    CloseHandle(token);
    return same;
}

// Administrators, SYSTEM, the installer service and the owner of what setup
// creates (itself, an administrator) are trusted with the agent's programs.
static bool IsTrusted(PSID sid)
{
    if (IsSetupAccount(sid))
        return true;
    static const WELL_KNOWN_SID_TYPE trusted[] = {WinBuiltinAdministratorsSid, WinLocalSystemSid,
                                                  WinCreatorOwnerSid};
    for (WELL_KNOWN_SID_TYPE type : trusted)
        if (IsWellKnownSid(sid, type))
            return true;
    PSID installer = NULL;
    bool isInstaller = ConvertStringSidToSidA(InstallerServiceSid, &installer) && EqualSid(sid, installer);
    if (installer)
        LocalFree(installer);
    return isInstaller;
}

// A name that would not fit is left out whole.
static void AppendText(LPCSTR name, LPSTR names, int size)
{
    if (lstrlenA(names) + lstrlenA(name) + 3 >= size)
        return;
    if (names[0])
        lstrcatA(names, ", ");
    lstrcatA(names, name);
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
    AppendText(name, names, size);
}

static void DescribeList(PACL acl, BOOL present, LPSTR names, int size)
{
    if (!present || !acl) {
        AppendText("Everyone", names, size);
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

void DescribeOtherWritersOf(PSECURITY_DESCRIPTOR descriptor, LPSTR names, int size)
{
    names[0] = '\0';
    PSID owner = NULL;
    BOOL defaulted = FALSE, present = FALSE;
    if (GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) && owner && !IsTrusted(owner))
        AppendName(owner, names, size);
    PACL acl = NULL;
    // A list that cannot be read counts as none: everyone may.
    if (!GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted))
        present = FALSE;
    DescribeList(acl, present, names, size);
}

bool DescribeOtherWriters(LPCSTR directory, LPSTR names, int size)
{
    names[0] = '\0';
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    GetFileSecurityA(directory, wanted, NULL, 0, &needed);
    if (needed == 0)
        return false;
    PSECURITY_DESCRIPTOR descriptor = (PSECURITY_DESCRIPTOR)LocalAlloc(LMEM_FIXED, needed);
    if (!descriptor)
        return false;
    bool read = GetFileSecurityA(directory, wanted, descriptor, needed, &needed) != FALSE;
    if (read)
        DescribeOtherWritersOf(descriptor, names, size);
    DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return read;
}

bool ProtectAgentDirectory(LPCSTR directory)
{
    AgentSecurity security;
    DWORD sidSize = sizeof(security.Owner);
    if (!BuildAgentDirectorySecurity(&security) ||
        !CreateWellKnownSid(WinBuiltinAdministratorsSid, NULL, security.Owner, &sidSize) ||
        !SetSecurityDescriptorOwner(&security.Descriptor, security.Owner, FALSE))
        return false;
    return SetFileSecurityA(directory,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                PROTECTED_DACL_SECURITY_INFORMATION,
                            &security.Descriptor) != FALSE;
}

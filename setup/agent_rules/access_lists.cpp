// The agent runs as the local system account and its configuration holds
// the SQL Server login and password, scrambled in a way anyone can reverse:
// its key may be read by nobody but Administrators and SYSTEM, and the
// programs in its directory replaced by nobody else.
#include <string.h>

#include "setup/install/install.h"
#include "setup/install/agent_security.h"
#include "setup/pages/pages.h"

struct AccessGrant {
    WELL_KNOWN_SID_TYPE trustee;
    DWORD access;
};

static const AccessGrant KeyGrants[] = {
    {WinBuiltinAdministratorsSid, KEY_ALL_ACCESS},
    {WinLocalSystemSid, KEY_ALL_ACCESS},
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

// The key is made with its list, so that it is never open to others even
// for a moment; a key that exists already gets the list before any value
// is written, a reinstall's included.
KeyProtection ProtectAgentConfigKey(DWORD *error)
{
    AgentSecurity security;
    if (!BuildAgentKeySecurity(&security)) {
        *error = GetLastError();
        return KeyNotProtected;
    }
    char keyClass[] = AGENT_KEY_CLASS;
    HKEY agents, key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT "\\agent", 0, keyClass, 0,
                                  KEY_CREATE_SUB_KEY, NULL, &agents, NULL);
    if (status == ERROR_SUCCESS) {
        status = RegCreateKeyExA(agents, AGENT_CONFIG_NAME, 0, keyClass, 0, KEY_ALL_ACCESS, &security.Attributes,
                                 &key, NULL);
        RegCloseKey(agents);
    }
    if (status != ERROR_SUCCESS) {
        *error = (DWORD)status;
        return KeyNotCreated;
    }
    status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               &security.Descriptor);
    RegCloseKey(key);
    *error = (DWORD)status;
    return status == ERROR_SUCCESS ? KeyProtected : KeyNotProtected;
}

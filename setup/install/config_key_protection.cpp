#include "setup/agent_rules/access_lists.h"
#include "setup/install/install.h"

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
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, AGENT_AGENTS_KEY, 0, keyClass, 0,
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

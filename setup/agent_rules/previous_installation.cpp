#include <string.h>

#include "setup/agent_rules/agent_rules.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

// Reads one scrambled value back into a field; the field keeps its value
// when the value cannot be read.
static void ReadScrambledValue(HKEY key, LPCSTR name, LPSTR field)
{
    char value[256];
    if (!ReadRegistryText(key, name, value, 255))
        return;
    memset(SetupState.Scratch, 0, 256);
    ScrambleText(value, SetupState.Scratch, lstrlenA(value));
    lstrcpynA(field, SetupState.Scratch, SETUP_ACCOUNT_SIZE);
}

bool ReadPreviousInstallation(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    if (!ReadRegistryText(key, AGENT_VALUE_LIBRARY, SetupState.Scratch, 255)) {
        RegCloseKey(key);
        return false;
    }
    CutAtLastBackslash(SetupState.Scratch, SetupState.InstallDir);
    ReadScrambledValue(key, AGENT_VALUE_LOGIN, SetupState.SqlLogin);
    ReadScrambledValue(key, AGENT_VALUE_PASSWORD, SetupState.SqlPassword);
    RegCloseKey(key);
    return true;
}

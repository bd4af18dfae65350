#include <shlwapi.h>
#include <string.h>

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/unattended/unattended.h"

#define AGENT_KEY_NAME    "agent"
#define AGENT_SUBKEY_NAME AGENT_CONFIG_NAME

// Opens (creating when missing) the key for one value; each value opens the
// key afresh so that no handle outlives its write.
static BOOL OpenAgentKey(LPCSTR keyName, LPCSTR subKeyName, HKEY *key)
{
    char path[SETUP_PATH_SIZE + 64];
    lstrcpynA(path, AGENT_CONFIG_ROOT "\\", sizeof(path));
    if (lstrlenA(path) + lstrlenA(keyName) + lstrlenA(subKeyName ? subKeyName : "") + 2 >= (int)sizeof(path))
        return FALSE;
    lstrcatA(path, keyName);
    if (subKeyName && subKeyName[0]) {
        lstrcatA(path, "\\");
        lstrcatA(path, subKeyName);
    }
    char keyClass[] = AGENT_KEY_CLASS;
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, keyClass, 0, KEY_ALL_ACCESS, NULL, key,
                           NULL) == ERROR_SUCCESS;
}

DWORD SetAgentStringValue(LPCSTR keyName, LPCSTR subKeyName, LPCSTR valueName, LPCSTR text)
{
    HKEY key;
    if (!OpenAgentKey(keyName, subKeyName, &key))
        return 1;
    DWORD status = (DWORD)RegSetValueExA(key, valueName, 0, REG_SZ, (const BYTE *)text,
                                         (DWORD)lstrlenA(text) + 1);
    RegCloseKey(key);
    return status;
}

DWORD SetAgentDwordValue(LPCSTR keyName, LPCSTR subKeyName, LPCSTR valueName, DWORD number)
{
    HKEY key;
    if (!OpenAgentKey(keyName, subKeyName, &key))
        return 1;
    DWORD status = (DWORD)RegSetValueExA(key, valueName, 0, REG_DWORD, (const BYTE *)&number,
                                         sizeof(number));
    RegCloseKey(key);
    return status;
}

// Setup cannot go on with a configuration the agent would read half.
static void RequireWritten(DWORD status)
{
    if (status == 0)
        return;
    DWORD lastError = GetLastError();
    char text[SETUP_MESSAGE_SIZE];
    LoadSetupString(IDS_CONFIG_WRITE_FAILED, SetupState.Scratch, 256);
    wnsprintfA(text, sizeof(text), "%s = %d", SetupState.Scratch, lastError);
    text[sizeof(text) - 1] = '\0';
    FatalSetupErrorWithText(text);
}

// The login and password go only under a key that nobody else may read;
// a key that cannot be made at all is a write that failed.
static void RequireProtectedKey(void)
{
    DWORD error = 0;
    KeyProtection protection = ProtectAgentConfigKey(&error);
    if (protection == KeyProtected)
        return;
    SetLastError(error);
    if (protection == KeyNotCreated)
        RequireWritten(1);
    char format[256], text[256];
    LoadSetupString(IDS_CONFIG_KEY_UNPROTECTED, format, sizeof(format));
    wnsprintfA(text, sizeof(text), format, error);
    text[sizeof(text) - 1] = '\0';
    EndRunWithFailure(text);
}

static void WriteString(LPCSTR name, LPCSTR text)
{
    RequireWritten(SetAgentStringValue(AGENT_KEY_NAME, AGENT_SUBKEY_NAME, name, text));
}

static void WriteNumber(LPCSTR name, DWORD number)
{
    RequireWritten(SetAgentDwordValue(AGENT_KEY_NAME, AGENT_SUBKEY_NAME, name, number));
}

static void WriteScrambled(LPCSTR name, LPCSTR clearText)
{
    char scrambled[SETUP_ACCOUNT_SIZE];
    memset(scrambled, 0, sizeof(scrambled));
    ScrambleText(clearText, scrambled, lstrlenA(clearText));
    scrambled[sizeof(scrambled) - 1] = '\0';
    WriteString(name, scrambled);
}

// An install over an interrupted removal makes the agent whole again.
static void ForgetRemovalBegun(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, AGENT_VALUE_REMOVAL_BEGUN);
    RegCloseKey(key);
}

void WriteAgentConfiguration(void)
{
    RequireProtectedKey();
    WriteString("name", "Microsoft SQL Server");
    WriteString(AGENT_VALUE_SERVER, AGENT_SQL_SERVER);
    WriteString("type", "database");
    WriteScrambled(AGENT_VALUE_LOGIN, SetupState.SqlLogin);
    WriteScrambled(AGENT_VALUE_PASSWORD, SetupState.SqlPassword);

    char library[SETUP_PATH_SIZE + sizeof(AGENT_LIBRARY_FILE) + 1];
    JoinPath(library, sizeof(library), SetupState.InstallDir, AGENT_LIBRARY_FILE);
    WriteString(AGENT_VALUE_LIBRARY, library);

    WriteNumber("debug", 0);
    WriteString(AGENT_VALUE_VERSION, PRODUCT_VERSION);
    WriteString(AGENT_VALUE_BUILD, PRODUCT_BUILD);
    WriteNumber("StripeNum", 4);
    WriteNumber("TblStripeNum", 1);
    WriteNumber("max_pipe_wait_time", 400);
    WriteNumber("connect_wait_time", 10);
    WriteString("RestoreDir", "");
    ForgetRemovalBegun();
}

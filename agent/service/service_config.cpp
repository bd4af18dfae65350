/* Reads the agent's configuration key and records what the service found. */
#include "agent_service.h"
#include <string.h>

/* The stored login and password are XOR-scrambled by position; the same
 * operation restores them. */
void UnscrambleText(const char *source, char *destination, int length)
{
    for (int i = 0; i < length; ++i)
        destination[i] = (char)(source[i] ^ ((i & 0xFF) | 0xD2));
}

/* Reads a text value into a buffer of AGENT_TEXT_SIZE bytes; on failure the
 * buffer holds a readable note instead. Answers the registry's result. */
static LONG ReadConfigText(HKEY key, LPCSTR name, char *text)
{
    DWORD size = AGENT_TEXT_SIZE - 1;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, name, NULL, &type, (BYTE *)text, &size);
    if (result == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
        result = ERROR_INVALID_DATA;
    if (result == ERROR_SUCCESS) {
        text[size < AGENT_TEXT_SIZE ? size : AGENT_TEXT_SIZE - 1] = '\0';
        return result;
    }
    if (result == ERROR_FILE_NOT_FOUND)
        lstrcpynA(text, "(missing)", AGENT_TEXT_SIZE);
    else if (result == ERROR_MORE_DATA)
        lstrcpynA(text, "(too long)", AGENT_TEXT_SIZE);
    else
        lstrcpynA(text, "(unreadable)", AGENT_TEXT_SIZE);
    return result;
}

static void LogLibraryAndServer(HKEY key)
{
    char dll[AGENT_TEXT_SIZE], server[AGENT_TEXT_SIZE];
    char version[AGENT_TEXT_SIZE], build[AGENT_TEXT_SIZE];
    ReadConfigText(key, AGENT_VALUE_LIBRARY, dll);
    ReadConfigText(key, AGENT_VALUE_SERVER, server);
    ReadConfigText(key, AGENT_VALUE_VERSION, version);
    ReadConfigText(key, AGENT_VALUE_BUILD, build);
    WriteAgentLog("%s: configuration: dll=%s server=%s version=%s build=%s", AGENT_SERVICE_NAME,
                  dll, server, version, build);
}

static void LogLogin(HKEY key)
{
    char stored[AGENT_TEXT_SIZE];
    if (ReadConfigText(key, AGENT_VALUE_LOGIN, stored) != ERROR_SUCCESS) {
        WriteAgentLog("%s: login: %s", AGENT_SERVICE_NAME, stored);
        return;
    }
    char login[AGENT_TEXT_SIZE];
    memset(login, 0, sizeof(login));
    UnscrambleText(stored, login, lstrlenA(stored));
    WriteAgentLog("%s: login: %s", AGENT_SERVICE_NAME, login);
}

/* The password itself never reaches the log. */
static void LogPasswordPresence(HKEY key)
{
    char stored[AGENT_TEXT_SIZE];
    if (ReadConfigText(key, AGENT_VALUE_PASSWORD, stored) != ERROR_SUCCESS) {
        WriteAgentLog("%s: password: %s", AGENT_SERVICE_NAME, stored);
        return;
    }
    WriteAgentLog("%s: password: stored, %d characters", AGENT_SERVICE_NAME, lstrlenA(stored));
}

void LogAgentConfiguration(void)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        WriteAgentLog("%s: configuration key missing", AGENT_SERVICE_NAME);
        return;
    }
    LogLibraryAndServer(key);
    LogLogin(key);
    LogPasswordPresence(key);
    RegCloseKey(key);
}

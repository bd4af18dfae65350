#include <string.h>

#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"

// Destructive tokenizer: skips leading delimiters, ends the token with a NUL
// and leaves *cursor after it.
static LPSTR NextToken(LPSTR *cursor, LPCSTR delimiters)
{
    LPSTR text = *cursor;
    while (*text && strchr(delimiters, *text))
        text++;
    if (!*text) {
        *cursor = text;
        return NULL;
    }
    LPSTR token = text;
    while (*text && !strchr(delimiters, *text))
        text++;
    if (*text)
        *text++ = '\0';
    *cursor = text;
    return token;
}

static void UpperCaseAscii(LPSTR text)
{
    for (; *text; text++)
        if (*text >= 'a' && *text <= 'z')
            *text = (char)(*text - 'a' + 'A');
}

// A run refused by the instance check leaves the running run's log alone.
static void OpenSetupLog(void)
{
    if (SetupState.InstanceRefused)
        return;
    OpenLogFile(SETUP_LOG_PATH, 1);
    SetupState.LogFileOpen = 1;
}

static void TakeConfigFileOption(LPCSTR name)
{
    SetupState.RunFlags |= RF_QUIET | RF_UNATTENDED;
    if (lstrlenA(name) >= (int)sizeof(SetupState.ConfigFile)) {
        // A cut name would read some other file: refuse it; the unattended
        // road then reports the missing configuration.
        SetupState.ConfigFile[0] = '\0';
        SetupState.ConfigFileRefusal = IDS_CONFIG_NAME_TOO_LONG;
        char text[256];
        LoadSetupString(IDS_CONFIG_NAME_TOO_LONG, text, sizeof(text));
        LogSetupMessage("%s", text);
        return;
    }
    lstrcpynA(SetupState.ConfigFile, name, sizeof(SetupState.ConfigFile));
    SetupState.ConfigFileRefusal = 0;
}

// The status file is made new only by a run that passed the instance check.
static void ClaimStatusMif(void)
{
    if (SetupState.InstanceRefused || SetupState.StatusFileClaim)
        return;
    SetupState.StatusFileClaim = CreateEventA(NULL, TRUE, FALSE, STATUS_FILE_CLAIM_NAME);
    CreateStatusMif();
}

void ParseSetupCommandLine(LPSTR commandLine)
{
    if (!commandLine || !commandLine[0])
        return;
    UpperCaseAscii(commandLine);

    LPSTR cursor = commandLine;
    LPCSTR delimiters = " -";
    for (LPSTR token; (token = NextToken(&cursor, delimiters)) != NULL; delimiters = " /") {
        if (strncmp(token, "I:", 2) == 0) {
            SetupState.RunFlags |= RF_LOGFILE;
            OpenSetupLog();
            if (token[2])
                TakeConfigFileOption(token + 2);
            else
                SetupState.ConfigFile[0] = '\0';
        } else if (strncmp(token, "SMSINSTALL", 10) == 0) {
            SetupState.RunFlags |= RF_SMS | RF_QUIET | RF_LOGFILE;
            OpenSetupLog();
            ClaimStatusMif();
        } else if (strncmp(token, "SMSUNINSTALL", 12) == 0) {
            SetupState.RunFlags |= RF_SMS | RF_QUIET | RF_UNINSTALL;
            ClaimStatusMif();
        } else if (strncmp(token, "REMOVE", 6) == 0) {
            SetupState.RemoveOnly = 1;
        }
    }
}

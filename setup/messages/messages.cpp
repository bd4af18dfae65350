#include "setup/messages/messages.h"

#include <shlwapi.h>
#include <stdarg.h>

#include "resources/resource_ids.h"
#include "setup/messages/exit_code.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

static void WriteLogLine(LPCSTR text)
{
    // After cleanup has closed the log there is nothing left to write to.
    if ((SetupState.RunFlags & RF_LOGFILE) && SetupState.LogFileOpen)
        WriteToLogFile(text);
}

int ShowSetupMessage(HWND owner, UINT style, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    // Bounded: a longer text is cut at the end of MessageText.
    wvnsprintfA(SetupState.MessageText, sizeof(SetupState.MessageText), format, args);
    va_end(args);
    SetupState.MessageText[sizeof(SetupState.MessageText) - 1] = '\0';

    if (!(SetupState.RunFlags & RF_QUIET))
        SetupState.LastAnswer = MessageBoxA(owner, SetupState.MessageText, "Setup", style);
    WriteLogLine(SetupState.MessageText);
    return SetupState.LastAnswer;
}

void LogSetupMessage(LPCSTR format, ...)
{
    if (!(SetupState.RunFlags & RF_LOGFILE))
        return;
    va_list args;
    va_start(args, format);
    wvnsprintfA(SetupState.LogText, sizeof(SetupState.LogText), format, args);
    va_end(args);
    SetupState.LogText[sizeof(SetupState.LogText) - 1] = '\0';
    WriteLogLine(SetupState.LogText);
}

int LoadSetupString(UINT id, LPSTR buffer, int size)
{
    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    if (!SetupState.ResourceLibrary)
        return 0;
    int length = LoadStringA(SetupState.ResourceLibrary, id, buffer, size);
    if (length <= 0)
        buffer[0] = '\0';
    return length > 0 ? length : 0;
}

int ConfirmExitSetup(void)
{
    char caption[256];
    LoadSetupString(IDS_EXIT_QUESTION, SetupState.Scratch, 256);
    LoadSetupString(IDS_EXIT_CAPTION, caption, sizeof(caption));
    if (MessageBoxA(NULL, SetupState.Scratch, caption, MB_TASKMODAL | MB_ICONQUESTION | MB_YESNO) != IDYES)
        return 0;
    SetRunEnding(ERROR_INSTALL_USEREXIT);
    return 1;
}

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

// One icon per kind of box: a question asks, news informs, and anything
// refused or gone wrong is an error.
static UINT BoxStyle(UINT style)
{
    UINT buttons = style & MB_TYPEMASK;
    UINT icon = MB_ICONHAND;
    if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL)
        icon = MB_ICONQUESTION;
    else if ((style & MB_ICONMASK) == MB_ICONINFORMATION)
        icon = MB_ICONINFORMATION;
    return (style & ~(UINT)MB_ICONMASK) | icon;
}

// Every box bears the same title.
static int ShowBox(HWND owner, LPCSTR text, UINT style)
{
    char title[128];
    if (!LoadSetupString(IDS_BOX_TITLE, title, sizeof(title)))
        lstrcpynA(title, "Setup", sizeof(title));
    return MessageBoxA(owner, text, title, BoxStyle(style));
}

// A question's answer follows it in the log; a quiet run answers none,
// and the caller goes on as it does unless the answer is No.
static void LogAnswer(UINT style)
{
    if ((style & MB_TYPEMASK) == MB_OK)
        return;
    LPCSTR answer = "none (a quiet run asks nobody; Setup goes on)";
    switch (SetupState.LastAnswer) {
    case IDYES: answer = "Yes"; break;
    case IDNO: answer = "No"; break;
    case IDOK: answer = "OK"; break;
    case IDCANCEL: answer = "Cancel"; break;
    }
    LogSetupMessage("Answer: %s", answer);
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
        SetupState.LastAnswer = ShowBox(owner, SetupState.MessageText, style);
    WriteLogLine(SetupState.MessageText);
    LogAnswer(style);
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
    // Leaving a reinstall keeps the agent that is there.
    UINT id = SetupState.PreviousInstallFound ? IDS_EXIT_QUESTION_REINSTALL : IDS_EXIT_QUESTION;
    LoadSetupString(id, SetupState.Scratch, 256);
    if (ShowSetupMessage(NULL, MB_TASKMODAL | MB_ICONQUESTION | MB_YESNO, "%s", SetupState.Scratch) != IDYES)
        return 0;
    SetRunEnding(ERROR_INSTALL_USEREXIT);
    return 1;
}

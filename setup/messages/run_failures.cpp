#include <shlwapi.h>
#include <stdarg.h>

#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"

static void KeepRunFailure(LPCSTR text)
{
    if (SetupState.RunFailureCount++ == 0)
        lstrcpynA(SetupState.RunFailure, text, sizeof(SetupState.RunFailure));
}

void NoteRunFailure(LPCSTR format, ...)
{
    char text[sizeof(SetupState.RunFailure)];
    va_list args;
    va_start(args, format);
    wvnsprintfA(text, sizeof(text), format, args);
    va_end(args);
    text[sizeof(text) - 1] = '\0';
    KeepRunFailure(text);
}

void ReportRunFailure(HWND owner, UINT style, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    char text[sizeof(SetupState.RunFailure)];
    wvnsprintfA(text, sizeof(text), format, args);
    va_end(args);
    text[sizeof(text) - 1] = '\0';
    ShowSetupMessage(owner, style, "%s", text);
    KeepRunFailure(text);
}

bool RunHasFailed(void)
{
    return SetupState.RunFailureCount > 0;
}

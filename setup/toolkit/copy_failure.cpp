// A copy that ended early says what happened, with the file, the drive and
// the system's reason, and what it left: without I: the box is all the
// administrator gets.
#include <shlwapi.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/messages/exit_code.h"
#include "setup/messages/messages.h"
#include "setup/rollback/rollback.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

#define COPY_QUIT 48

// The system's own words, without the line break and the full stop that
// end them.
static void DescribeSystemError(DWORD error, LPSTR text, int size)
{
    text[0] = '\0';
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, text,
                        (DWORD)size, NULL))
        wnsprintfA(text, size, "Windows error %lu", error);
    text[size - 1] = '\0';
    int length = lstrlenA(text);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.' ||
                          text[length - 1] == ' '))
        text[--length] = '\0';
}

// What a copy that ended early leaves behind.
static void DescribeWhatWasLeft(LPSTR text, int size)
{
    char format[256];
    LoadSetupString(IDS_COPY_LEFT, format, sizeof(format));
    wnsprintfA(text, size, format, SetupState.InstallDir);
    text[size - 1] = '\0';
}

static void DescribeCopyFailure(int error, LPSTR text, int size)
{
    char file[SETUP_PATH_SIZE], reason[128], format[256];
    if (CbGetCopyFailure(file, sizeof(file)) == 0)
        lstrcpynA(file, SetupState.InstallDir, sizeof(file));
    char drive[3] = {file[0], ':', '\0'};
    if (file[1] != ':')
        lstrcpynA(drive, "?", sizeof(drive));
    DescribeSystemError((DWORD)error, reason, sizeof(reason));
    LoadSetupString(IDS_COPY_FAILED, format, sizeof(format));
    wnsprintfA(text, size, format, drive, reason, file);
    text[size - 1] = '\0';
}

void EndFailedCopy(int result)
{
    char what[SETUP_MESSAGE_SIZE], left[SETUP_MESSAGE_SIZE], text[SETUP_MESSAGE_SIZE];
    if (result == COPY_QUIT)
        LoadSetupString(IDS_COPY_STOPPED, what, sizeof(what));
    else
        DescribeCopyFailure(result, what, sizeof(what));
    // An install gives the machine back and says so itself: a copy stopped
    // there is a plain cancel, one stopped elsewhere leaves its files.
    if (InstallRecordActive()) {
        if (result == COPY_QUIT)
            SetRunEnding(ERROR_INSTALL_USEREXIT);
        FatalSetupErrorWithText(what);
    }
    DescribeWhatWasLeft(left, sizeof(left));
    wnsprintfA(text, sizeof(text), "%s\n\n%s", what, left);
    text[sizeof(text) - 1] = '\0';
    FatalSetupErrorWithText(text);
}

#include <shlwapi.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"

// Offset of the file part: just after the last backslash or slash, or after
// a leading drive such as "C:". A trail byte is never taken for a separator.
static int FilePartOffset(LPCSTR path)
{
    int offset = 0;
    if (path[0] && path[1] == ':')
        offset = 2;
    for (LPCSTR p = path; *p; p = CharNextA(p))
        if (*p == '\\' || *p == '/')
            offset = (int)(p - path) + 1;
    return offset;
}

static void RefuseTypedDirectory(void)
{
    char text[256];
    LoadSetupString(IDS_SOURCE_DIR_TOO_LONG, text, sizeof(text));
    ShowSetupMessage(SetupState.CurrentPage, MB_ICONEXCLAMATION, "%s", text);
}

// Rebuilds the caller's path from the typed directory; FALSE when the
// result would not fit its buffer.
static BOOL TakeTypedDirectory(LPSTR path, LPCSTR filePart)
{
    TrimTrailingBlanks(SetupState.SourceDir);
    int length = lstrlenA(SetupState.SourceDir);
    BOOL needsBackslash = length == 0 || SetupState.SourceDir[length - 1] != '\\';
    int total = length + (needsBackslash ? 1 : 0) + lstrlenA(filePart);
    if (total >= SETUP_PATH_SIZE)
        return FALSE;
    if (needsBackslash)
        lstrcatA(SetupState.SourceDir, "\\");
    lstrcpyA(path, SetupState.SourceDir);
    lstrcatA(path, filePart);
    return TRUE;
}

// A quiet run has nobody to ask: it ends, naming what it did not find.
[[noreturn]] static void RefuseMissingInf(LPCSTR directory)
{
    char format[256], text[256];
    LoadSetupString(IDS_SETUP_INF_MISSING, format, sizeof(format));
    wnsprintfA(text, sizeof(text), format, directory);
    text[sizeof(text) - 1] = '\0';
    EndRunWithFailure(text);
}

int OpenSourceInf(LPSTR path)
{
    char filePart[SETUP_PATH_SIZE];
    char directoryPart[SETUP_PATH_SIZE];
    int offset = FilePartOffset(path);
    lstrcpynA(filePart, path + offset, sizeof(filePart));
    lstrcpynA(directoryPart, path, offset + 1 < SETUP_PATH_SIZE ? offset + 1 : SETUP_PATH_SIZE);

    if (!FileExistsOnValidPath(path, 0)) {
        if (SetupState.RunFlags & RF_QUIET)
            RefuseMissingInf(directoryPart);
        BOOL firstPass = TRUE;
        do {
            lstrcpynA(SetupState.SourceDir, firstPass ? "A:\\" : directoryPart, SETUP_PATH_SIZE);
            firstPass = FALSE;
            INT_PTR answer = DialogBoxParamA(SetupState.ResourceLibrary,
                                             MAKEINTRESOURCEA(IDD_SOURCE_PROMPT),
                                             SetupState.CurrentPage, SourcePromptDlgProc, 0);
            if (answer == 0)
                return 0;
            if (answer == -1) {
                // Asking again would fail again: give up on the prompt.
                LogSetupMessage("The prompt for the setup files could not be shown (error %d)",
                                GetLastError());
                FatalSetupError(1024);
            }
            if (!TakeTypedDirectory(path, filePart)) {
                RefuseTypedDirectory();
                path[0] = '\0';
                continue;
            }
            lstrcpynA(directoryPart, SetupState.SourceDir, sizeof(directoryPart));
        } while (!path[0] || !FileExistsOnValidPath(path, 0));
    }
    if (!FOpenInf(path, 1, 0))
        FatalSetupError(1024);
    return 1;
}

INT_PTR CALLBACK SourcePromptDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_SOURCE_DIR, WM_SETTEXT, 0, (LPARAM)SetupState.SourceDir);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            SendDlgItemMessageA(dialog, IDC_SOURCE_DIR, WM_GETTEXT, SETUP_PATH_SIZE,
                                (LPARAM)SetupState.SourceDir);
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return FALSE;
        }
        break;
    }
    return FALSE;
}

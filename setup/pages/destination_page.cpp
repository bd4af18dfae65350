#include <shlwapi.h>
#include <stdlib.h>
#include <string.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/pages/page_common.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"

#define FIELD_READ_SIZE 512
// Not counting a final backslash: the removal must be able to read the
// agent's library path in that directory back from the registry.
#define LONGEST_TYPED_DESTINATION (INSTALL_DIR_LONGEST - 1)

static void ShowFreeSpace(HWND page, char driveLetter)
{
    SetupState.DriveRootPath[0] = driveLetter;
    SetupState.DriveRootPath[1] = ':';
    SetupState.DriveRootPath[2] = '\\';
    SetupState.DriveRootPath[3] = '\0';
    GetDriveFreeSpace(SetupState.DriveRootPath);
    char figure[64];
    FormatKilobytes(SetupState.DriveFreeBytes / 1024, figure, sizeof(figure));
    SetDlgItemTextA(page, IDC_FREE_SPACE, figure);
}

static void ReadSelectedDrive(HWND page, char *item, int size)
{
    LRESULT selection = SendDlgItemMessageA(page, IDC_DRIVE_LIST, CB_GETCURSEL, 0, 0);
    item[0] = '\0';
    CbGetListItem("LocalDrives", (USHORT)(selection + 1), item, (USHORT)size);
    item[size - 1] = '\0';
}

static bool SelectDriveOf(HWND page, char driveLetter)
{
    char prefix[2] = {driveLetter, '\0'};
    return SendDlgItemMessageA(page, IDC_DRIVE_LIST, CB_SELECTSTRING, 0, (LPARAM)prefix) != CB_ERR;
}

static void RefreshRequiredSpace(HWND page)
{
    UpdateWindow(page);
    char item[FIELD_READ_SIZE], label[FIELD_READ_SIZE + 2];
    ReadSelectedDrive(page, item, sizeof(item));
    wnsprintfA(label, sizeof(label), "%s:", item);
    SetDlgItemTextA(page, IDC_DRIVE_LABEL, label);
    // Over an earlier agent the copy needs little or nothing more: the page
    // still shows what the agent takes, and the check leaves out what is
    // in place already.
    ULONGLONG needed = GetRequiredSpaceForDrive(item[0]) >> 10;
    LONGLONG size = (LcbGetCopyListSize() + 1023) / 1024;
    ULONGLONG shown = size > 0 && (ULONGLONG)size > needed ? (ULONGLONG)size : needed;
    SetupState.DriveSpaceInPlaceKb = shown - needed;
    char figure[64];
    FormatKilobytes(shown, figure, sizeof(figure));
    SetDlgItemTextA(page, IDC_REQUIRED_SPACE, figure);
}

static void FillDriveList(HWND page)
{
    GetLocalHardDrivesList("LocalDrives");
    USHORT count = UsGetListLength("LocalDrives");
    for (USHORT i = 1; i <= count; i++) {
        CbGetListItem("LocalDrives", i, SetupState.Scratch, SETUP_SCRATCH_SIZE - 2);
        SetupState.Scratch[SETUP_SCRATCH_SIZE - 3] = '\0';
        lstrcatA(SetupState.Scratch, ":");
        SendDlgItemMessageA(page, IDC_DRIVE_LIST, CB_ADDSTRING, 0, (LPARAM)SetupState.Scratch);
    }
}

static void InitDestinationPage(HWND page)
{
    EnterPage(page);
    if (SetupState.DestinationFirstDisplay) {
        SetupState.DestinationFirstDisplay = 0;
        if (ReadPreviousInstallation())
            AddTrailingBackslash(SetupState.InstallDir);
        else
            lstrcpynA(SetupState.InstallDir, DEFAULT_INSTALL_DIR, SETUP_PATH_SIZE);
    }
    FillDriveList(page);
    SetDlgItemTextA(page, IDC_DEST_DIR, SetupState.InstallDir);
    SelectDriveOf(page, SetupState.InstallDir[0]);
    ShowFreeSpace(page, SetupState.InstallDir[0]);
    PostMessageA(page, PAGE_REFRESH_MESSAGE, 0, 0);
}

static void ChangeDrive(HWND page)
{
    char item[FIELD_READ_SIZE];
    ReadSelectedDrive(page, item, sizeof(item));
    ShowFreeSpace(page, item[0]);
    char text[FIELD_READ_SIZE];
    GetDlgItemTextA(page, IDC_DEST_DIR, text, sizeof(text));
    if (text[0] && text[1] == ':' && lstrlenA(text) < SETUP_PATH_SIZE) {
        text[0] = item[0];
        SetDlgItemTextA(page, IDC_DEST_DIR, text);
        lstrcpynA(SetupState.InstallDir, text, SETUP_PATH_SIZE);
    }
    SendMessageA(page, PAGE_REFRESH_MESSAGE, 0, 0);
}

// The field, wholly selected: what the person types replaces it.
static void FocusDirectoryField(HWND page)
{
    HWND field = GetDlgItem(page, IDC_DEST_DIR);
    SendMessageA(page, WM_NEXTDLGCTL, (WPARAM)field, TRUE);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

static void RefuseEdit(HWND page)
{
    SetDlgItemTextA(page, IDC_DEST_DIR, SetupState.InstallDir);
    FocusDirectoryField(page);
    SetupState.DestinationAccepted = 0;
}

static void CheckEditedDestination(HWND page)
{
    HWND field = GetDlgItem(page, IDC_DEST_DIR);
    char text[FIELD_READ_SIZE];
    GetWindowTextA(field, text, sizeof(text));
    if (!SendMessageA(field, EM_GETMODIFY, 0, 0)) {
        SetupState.DestinationAccepted = 1;
        return;
    }
    SendMessageA(field, EM_SETMODIFY, 0, 0);
    if (lstrlenA(text) - (EndsInBackslash(text) ? 1 : 0) > LONGEST_TYPED_DESTINATION) {
        char format[256];
        LoadSetupString(IDS_FIELD_TOO_LONG, format, sizeof(format));
        ShowSetupMessage(page, MB_ICONEXCLAMATION, format, LONGEST_TYPED_DESTINATION);
        RefuseEdit(page);
        return;
    }
    lstrcpynA(SetupState.Scratch, text, SETUP_PATH_SIZE);
    AddTrailingBackslash(SetupState.Scratch);
    if (!ValidateDestination(SetupState.Scratch)) {
        RefuseEdit(page);
        return;
    }
    lstrcpynA(SetupState.InstallDir, SetupState.Scratch, SETUP_PATH_SIZE);
    if (SetupState.InstallDir[1] == ':' && SelectDriveOf(page, SetupState.InstallDir[0])) {
        ShowFreeSpace(page, SetupState.InstallDir[0]);
        SendMessageA(page, PAGE_REFRESH_MESSAGE, 0, 0);
    }
    SetupState.DestinationAccepted = 1;
}

static ULONGLONG ReadFigure(HWND page, int id)
{
    char text[256];
    GetDlgItemTextA(page, id, text, sizeof(text));
    return ReadKilobytes(text);
}

// Short space: OK measures again; Cancel leads to the drive list, where
// another drive is chosen.
static bool EnoughSpace(HWND page)
{
    ULONGLONG required = ReadFigure(page, IDC_REQUIRED_SPACE);
    required -= required < SetupState.DriveSpaceInPlaceKb ? required : SetupState.DriveSpaceInPlaceKb;
    while (required > ReadFigure(page, IDC_FREE_SPACE)) {
        char text[256];
        LoadSetupString(IDS_DEST_NO_SPACE, text, sizeof(text));
        if (ShowSetupMessage(page, MB_OKCANCEL | MB_ICONEXCLAMATION, text) != IDOK) {
            SendMessageA(page, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(page, IDC_DRIVE_LIST), TRUE);
            return false;
        }
        ShowFreeSpace(page, SetupState.InstallDir[0]);
    }
    return true;
}

// The directory stands on a line of its own after the question's first line;
// it is passed as an argument, so a "%" in it is shown as typed.
static bool ConfirmNewDirectory(HWND page)
{
    char text[256];
    LoadSetupString(IDS_DEST_CREATE, text, sizeof(text));
    char *lineBreak = strchr(text, '\n');
    int answer;
    if (!lineBreak) {
        answer = ShowSetupMessage(page, MB_YESNO | MB_ICONQUESTION, "%s", text);
    } else {
        char head[256];
        lstrcpynA(head, text, (int)(lineBreak - text) + 2);
        answer = ShowSetupMessage(page, MB_YESNO | MB_ICONQUESTION, "%s%s\n%s", head, SetupState.InstallDir,
                                  lineBreak);
    }
    return answer != IDNO;
}

static void GoOnFromDestination(HWND page)
{
    HWND field = GetDlgItem(page, IDC_DEST_DIR);
    if (SendMessageA(field, EM_GETMODIFY, 0, 0))
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEST_DIR, EN_KILLFOCUS), (LPARAM)field);
    if (!SetupState.DestinationAccepted)
        return;
    if (IsSameDirectory(SetupState.InstallDir, SetupState.SourceDir)) {
        char text[256];
        LoadSetupString(IDS_DEST_IS_SOURCE, text, sizeof(text));
        ShowSetupMessage(page, MB_ICONEXCLAMATION, text);
        return;
    }
    char unsafe[256];
    if (RefuseUnsafeDirectory(SetupState.InstallDir, unsafe, sizeof(unsafe))) {
        ShowSetupMessage(page, MB_ICONHAND, "%s", unsafe);
        return;
    }
    if (!EnoughSpace(page))
        return;
    if (DirectoryExists(SetupState.InstallDir) || ConfirmNewDirectory(page))
        EndDialog(page, 1);
    else
        FocusDirectoryField(page);
}

static INT_PTR DestinationCommand(HWND page, WPARAM wParam)
{
    WORD id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDC_DRIVE_LIST && code == CBN_SELCHANGE) {
        ChangeDrive(page);
        return TRUE;
    }
    if (id == IDC_DEST_DIR && code == EN_KILLFOCUS) {
        CheckEditedDestination(page);
        return TRUE;
    }
    if (id == IDC_NEXT) {
        GoOnFromDestination(page);
        return TRUE;
    }
    return code == 0 ? FALSE : TRUE;
}

INT_PTR CALLBACK DestinationDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result;
    if (HandleCommonPageMessage(page, message, wParam, IDB_DESTINATION, DestinationCommand, &result))
        return result;
    switch (message) {
    case WM_INITDIALOG:
        InitDestinationPage(page);
        return TRUE;
    case PAGE_REFRESH_MESSAGE:
        RefreshRequiredSpace(page);
        return TRUE;
    case WM_KEYDOWN:
        return wParam == VK_RETURN ? FALSE : TRUE;
    }
    return FALSE;
}

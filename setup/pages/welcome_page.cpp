#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/pages/page_common.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"

static void InitWelcomePage(HWND page)
{
    if (ReadPreviousInstallation()) {
        SetupState.PreviousInstallFound = 1;
    } else {
        EnableWindow(GetDlgItem(page, IDC_REMOVE_CHOICE), FALSE);
        SetupState.PreviousInstallFound = 0;
    }
    SendDlgItemMessageA(page, IDC_INSTALL_CHOICE, BM_SETCHECK, 1, 0);
    EnterPage(page);
}

static void GoOnWithInstall(HWND page)
{
    SetupState.RunFlags &= ~RF_UNINSTALL;
    if (!StopRunningAgentServices())
        return;
    char infPath[SETUP_PATH_SIZE];
    lstrcpynA(infPath, JoinStrings(SetupState.SourceDir, "setup.inf"), sizeof(infPath));
    if (!OpenSourceInf(infPath))
        return;
    EndDialog(page, 1);
}

static void GoOnWithRemoval(HWND page)
{
    SetupState.RunFlags |= RF_UNINSTALL;
    LoadSetupString(IDS_REMOVE_QUESTION, SetupState.Scratch, 256);
    // Asked directly: the question is not a message for the log.
    if (MessageBoxA(page, SetupState.Scratch, "Setup", MB_YESNO | MB_ICONQUESTION) == IDNO) {
        SetupState.RunFlags &= ~RF_UNINSTALL;
        return;
    }
    if (!StopRunningAgentServices())
        return;
    EndDialog(page, 1);
}

INT_PTR CALLBACK WelcomeDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitWelcomePage(page);
        return TRUE;
    case WM_PAINT:
        return PostPagePaint(page);
    case PAGE_PAINT_MESSAGE:
        PaintPageBitmap(page, IDB_WELCOME);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEXT:
            if (SendDlgItemMessageA(page, IDC_INSTALL_CHOICE, BM_GETCHECK, 0, 0) == BST_CHECKED)
                GoOnWithInstall(page);
            else
                GoOnWithRemoval(page);
            return TRUE;
        case IDC_CANCEL:
            if (ConfirmExitSetup()) {
                EndDialog(page, 0);
                SetupState.RunFlags &= ~RF_UNINSTALL;
                CleanupSetup();
                PostQuitMessage(0);
            }
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

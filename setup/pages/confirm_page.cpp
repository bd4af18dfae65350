#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/pages/page_common.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"

static void InstallFromConfirmPage(HWND page)
{
    // The page's loop ends when this handler returns; the install runs
    // with the frame, its owner, enabled again.
    EndDialog(page, 1);
    SetActiveWindow(SetupState.FrameWindow);
    EnableWindow(SetupState.FrameWindow, TRUE);
    InstallAgent();
    LoadSetupString(IDS_INSTALL_DONE, SetupState.Scratch, 256);
    ShowSetupMessage(SetupState.FrameWindow, MB_ICONINFORMATION, SetupState.Scratch);
    CleanupSetup();
    PostQuitMessage(0);
}

static INT_PTR ConfirmCommand(HWND page, WPARAM wParam)
{
    if (LOWORD(wParam) != IDC_NEXT)
        return FALSE;
    InstallFromConfirmPage(page);
    return TRUE;
}

INT_PTR CALLBACK ConfirmDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result;
    if (HandleCommonPageMessage(page, message, wParam, IDB_CONFIRM, ConfirmCommand, &result))
        return result;
    if (message == WM_INITDIALOG) {
        EnterPage(page);
        // Enter installs: the focus starts on Next, not on Back.
        SetFocus(GetDlgItem(page, IDC_NEXT));
        return FALSE;
    }
    return FALSE;
}

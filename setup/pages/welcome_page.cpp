#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/pages/page_common.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"

// Read once a run: coming back from the destination page, the earlier
// installation's directory and account must not replace what was chosen.
static bool EarlierInstallationFound(void)
{
    if (SetupState.WelcomeShown)
        return SetupState.PreviousInstallFound != 0;
    SetupState.WelcomeShown = 1;
    return ReadPreviousInstallation();
}

static void InitWelcomePage(HWND page)
{
    if (EarlierInstallationFound()) {
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
    JoinPath(infPath, sizeof(infPath), SetupState.SourceDir, "setup.inf");
    if (!OpenSourceInf(infPath))
        return;
    EndDialog(page, 1);
}

static void GoOnWithRemoval(HWND page)
{
    SetupState.RunFlags |= RF_UNINSTALL;
    LoadSetupString(IDS_REMOVE_QUESTION, SetupState.Scratch, 256);
    if (ShowSetupMessage(page, MB_YESNO | MB_ICONQUESTION, "%s", SetupState.Scratch) == IDNO) {
        SetupState.RunFlags &= ~RF_UNINSTALL;
        return;
    }
    if (!StopRunningAgentServices())
        return;
    EndDialog(page, 1);
}

// Tab comes back to the choice that is checked, as the arrow keys left it.
static void PutTabStopOnTheChoice(HWND page)
{
    const int choices[] = {IDC_INSTALL_CHOICE, IDC_REMOVE_CHOICE};
    for (int id : choices) {
        HWND choice = GetDlgItem(page, id);
        LONG_PTR style = GetWindowLongPtrA(choice, GWL_STYLE);
        if (SendMessageA(choice, BM_GETCHECK, 0, 0) == BST_CHECKED)
            style |= WS_TABSTOP;
        else
            style &= ~(LONG_PTR)WS_TABSTOP;
        SetWindowLongPtrA(choice, GWL_STYLE, style);
    }
}

static INT_PTR WelcomeCommand(HWND page, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDC_NEXT:
        if (SendDlgItemMessageA(page, IDC_INSTALL_CHOICE, BM_GETCHECK, 0, 0) == BST_CHECKED)
            GoOnWithInstall(page);
        else
            GoOnWithRemoval(page);
        return TRUE;
    case IDC_INSTALL_CHOICE:
    case IDC_REMOVE_CHOICE:
        PutTabStopOnTheChoice(page);
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK WelcomeDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result;
    if (HandleCommonPageMessage(page, message, wParam, IDB_WELCOME, WelcomeCommand, &result))
        return result;
    if (message == WM_INITDIALOG) {
        InitWelcomePage(page);
        return TRUE;
    }
    return FALSE;
}

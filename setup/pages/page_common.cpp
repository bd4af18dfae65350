#include "setup/pages/page_common.h"

#include "resources/frame_heading.h"
#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"

static void CancelPage(HWND page)
{
    if (!ConfirmExitSetup())
        return;
    EndDialog(page, 0);
    SetupState.RunFlags &= ~RF_UNINSTALL;
    CleanupSetup();
    PostQuitMessage(0);
}

void EnterPage(HWND page)
{
    SetupState.CurrentPage = page;
    CenterDialog(page);
    PlaceBelowFrameHeading(page, SetupState.FrameWindow);
}

static bool IsOnPage(HWND page, HWND window)
{
    return window != NULL && IsChild(page, window);
}

void KeepFocusOnPage(HWND page, HWND focusBefore)
{
    // An ended page is hidden; one under a box of its own is disabled.
    if (!IsWindowVisible(page) || !IsWindowEnabled(page) || IsOnPage(page, GetFocus()))
        return;
    // Activation gives a dialog the control it remembered, if any.
    SetForegroundWindow(page);
    if (IsOnPage(page, GetFocus()))
        return;
    HWND control = focusBefore;
    if (!IsOnPage(page, control) || !IsWindowVisible(control) || !IsWindowEnabled(control))
        control = GetNextDlgTabItem(page, NULL, FALSE);
    if (control)
        SendMessageA(page, WM_NEXTDLGCTL, (WPARAM)control, TRUE);
}

bool HandleCommonPageMessage(HWND page, UINT message, WPARAM wParam, int bitmapId, PageCommand command,
                             INT_PTR *result)
{
    *result = TRUE;
    switch (message) {
    case WM_PAINT:
        PostMessageA(page, PAGE_PAINT_MESSAGE, 0, 0);
        *result = FALSE;
        return true;
    case PAGE_PAINT_MESSAGE:
        PaintPageBitmap(page, bitmapId);
        return true;
    case WM_COMMAND: {
        HWND focus = GetFocus();
        if (LOWORD(wParam) == IDC_BACK)
            EndDialog(page, 2);
        else if (LOWORD(wParam) == IDC_CANCEL)
            CancelPage(page);
        else
            *result = command(page, wParam);
        KeepFocusOnPage(page, focus);
        return true;
    }
    }
    return false;
}

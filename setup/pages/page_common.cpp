#include "setup/pages/page_common.h"

#include "setup/messages/messages.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"

INT_PTR PostPagePaint(HWND page)
{
    PostMessageA(page, PAGE_PAINT_MESSAGE, 0, 0);
    return FALSE;
}

void CancelPage(HWND page)
{
    if (!ConfirmExitSetup())
        return;
    EndDialog(page, 0);
    CleanupSetup();
    PostQuitMessage(0);
}

void EnterPage(HWND page)
{
    SetupState.CurrentPage = page;
    CenterDialog(page);
}

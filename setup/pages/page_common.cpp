#include "setup/pages/page_common.h"

#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"

INT_PTR PostPagePaint(HWND page)
{
    PostMessageA(page, PAGE_PAINT_MESSAGE, 0, 0);
    return FALSE;
}

static void CancelPage(HWND page)
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

bool HandleCommonPageMessage(HWND page, UINT message, WPARAM wParam, int bitmapId, INT_PTR *result)
{
    *result = TRUE;
    if (message == WM_PAINT) {
        *result = PostPagePaint(page);
        return true;
    }
    if (message == PAGE_PAINT_MESSAGE) {
        PaintPageBitmap(page, bitmapId);
        return true;
    }
    if (message != WM_COMMAND)
        return false;
    if (LOWORD(wParam) == IDC_BACK) {
        EndDialog(page, 2);
        return true;
    }
    if (LOWORD(wParam) == IDC_CANCEL) {
        CancelPage(page);
        return true;
    }
    return false;
}

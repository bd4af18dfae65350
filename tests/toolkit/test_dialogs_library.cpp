/*
 * Dialog procedure of the test dialog library. At WM_INITDIALOG it posts
 * itself the command given as lParam (0: none), so a test can run the
 * toolkit's dialog loop without a second thread.
 */
#include "setuptk.h"
#include "test_dialogs_ids.h"

namespace {

HWND g_lastDialog = NULL;
LONG g_created = 0;

}  // namespace

extern "C" __declspec(dllexport) HWND WINAPI TestLastDialog(void)
{
    return g_lastDialog;
}

extern "C" __declspec(dllexport) LONG WINAPI TestDialogsCreated(void)
{
    return g_created;
}

extern "C" __declspec(dllexport) INT_PTR CALLBACK TestDlgProc(HWND dialog, UINT message,
                                                              WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        g_lastDialog = dialog;
        ++g_created;
        if (lParam != 0)
            PostMessageA(dialog, WM_COMMAND, (WPARAM)lParam, 0);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TEST_CONTINUE:
            FSetSymbolValue("DLGEVENT", "CONTINUE");
            return TRUE;
        case IDC_TEST_EXIT:
            FSetSymbolValue("DLGEVENT", "EXIT");
            return TRUE;
        case IDC_TEST_BACK:
            FSetSymbolValue("DLGEVENT", "BACK");
            return TRUE;
        case IDC_TEST_DESTROY:
            DestroyWindow(dialog);
            return TRUE;
        case IDC_TEST_QUIT:
            PostQuitMessage(7);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

// The progress gauge: a modeless dialog of this library's own resources,
// shown while the copy list is copied. Its button (IDCANCEL, so also Esc and
// the close box) asks the copy to stop at the next progress report.
#include "internal.h"
#include "gauge_ids.h"
#include "setuptk.h"

#include <commctrl.h>
#include <cstdio>

namespace {

HWND g_gauge = NULL;
HWND g_disabledOwner = NULL;
BOOL g_cancel = FALSE;
bool g_positionSet = false;
POINT g_position = { 0, 0 };
int g_fileCount = 0;
int g_shownPerMille = -1;

void StopCopying(HWND dialog)
{
    g_cancel = TRUE;
    EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
    SetDlgItemTextA(dialog, IDC_GAUGE_ACTION, "Stopping the copy...");
}

INT_PTR CALLBACK GaugeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_GAUGE_BAR, PBM_SETRANGE32, 0, 1000);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            StopCopying(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        StopCopying(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

// Centred over its owner unless asked to appear elsewhere, and wholly on
// the screen.
void PlaceGauge(HWND gauge)
{
    RECT box;
    GetWindowRect(gauge, &box);
    int width = box.right - box.left;
    int height = box.bottom - box.top;
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT over = { 0, 0, screenWidth, screenHeight };
    HWND owner = GetWindow(gauge, GW_OWNER);
    if (owner != NULL)
        GetWindowRect(owner, &over);
    int x = g_positionSet ? g_position.x : (over.left + over.right - width) / 2;
    int y = g_positionSet ? g_position.y : (over.top + over.bottom - height) / 2;
    if (x + width > screenWidth)
        x = screenWidth - width;
    if (y + height > screenHeight)
        y = screenHeight - height;
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    SetWindowPos(gauge, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

bool GaugeOpen(HWND owner, int fileCount)
{
    GaugeClose();
    g_cancel = FALSE;
    g_fileCount = fileCount;
    g_shownPerMille = -1;
    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_PROGRESS_CLASS };
    InitCommonControlsEx(&controls);
    RegisterStextClass();
    if (owner != NULL && !IsWindow(owner))
        owner = NULL;
    g_gauge = CreateDialogParamA(g_module, MAKEINTRESOURCEA(IDD_COPY_GAUGE), owner, GaugeDlgProc, 0);
    if (g_gauge == NULL)
        return false;
    PlaceGauge(g_gauge);
    ShowWindow(g_gauge, SW_SHOWNORMAL);
    UpdateWindow(g_gauge);
    // The gauge stands for a modal step: the frame takes no input meanwhile.
    if (owner != NULL && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        g_disabledOwner = owner;
    }
    return true;
}

void GaugeClose()
{
    if (g_disabledOwner != NULL) {
        EnableWindow(g_disabledOwner, TRUE);
        g_disabledOwner = NULL;
    }
    if (g_gauge != NULL) {
        DestroyWindow(g_gauge);
        g_gauge = NULL;
    }
}

void GaugeShowFile(const char* path, int index)
{
    if (g_gauge == NULL)
        return;
    SetDlgItemTextA(g_gauge, IDC_GAUGE_FILE, path);
    char count[96];
    snprintf(count, sizeof count, "File %d of %d", index + 1, g_fileCount);
    count[sizeof count - 1] = '\0';
    SetDlgItemTextA(g_gauge, IDC_GAUGE_COUNT, count);
}

void GaugeShowProgress(int perMille)
{
    if (g_gauge == NULL || perMille == g_shownPerMille)
        return;
    g_shownPerMille = perMille;
    SendDlgItemMessageA(g_gauge, IDC_GAUGE_BAR, PBM_SETPOS, static_cast<WPARAM>(perMille), 0);
}

bool GaugePump()
{
    MSG message;
    while (!g_cancel && PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Stop, and leave the quit for the caller's own loop.
            g_cancel = TRUE;
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (g_gauge != NULL && IsDialogMessageA(g_gauge, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return !g_cancel;
}

bool GaugeMessageWaiting()
{
    return HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE | QS_KEY | QS_MOUSEBUTTON)) != 0;
}

bool GaugeQuitRequested()
{
    return g_cancel != FALSE;
}

void GaugeSetPosition(int x, int y)
{
    g_position.x = x;
    g_position.y = y;
    g_positionSet = true;
}

extern "C" TK_INS VOID WINAPI ProSetPos(int x, int y)
{
    GaugeSetPosition(x, y);
    if (g_gauge != NULL)
        PlaceGauge(g_gauge);
}

// "stext": the text control of the toolkit's dialogs. It paints its window
// text like a static control (left, centred or right; a path cut in the
// middle with SS_PATHELLIPSIS) in the dialog's font and colours. The class
// belongs to this module, so a program may replace it with one of its own.
#include "internal.h"

namespace {

const char kClassName[] = "stext";

// The font set by WM_SETFONT, kept in the window's extra bytes.
HFONT FontOf(HWND window)
{
    return reinterpret_cast<HFONT>(GetWindowLongPtrA(window, 0));
}

UINT DrawFlags(LONG style)
{
    UINT flags = DT_NOPREFIX;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER: flags |= DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: flags |= DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFTNOWORDWRAP: flags |= DT_LEFT | DT_SINGLELINE; break;
    default: flags |= DT_LEFT | DT_WORDBREAK; break;
    }
    if (style & SS_PATHELLIPSIS)
        flags |= DT_PATH_ELLIPSIS | DT_SINGLELINE;
    else if (style & SS_ENDELLIPSIS)
        flags |= DT_END_ELLIPSIS | DT_SINGLELINE;
    return flags;
}

void Paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc == NULL)
        return;
    RECT client;
    GetClientRect(window, &client);
    HWND parent = GetParent(window);
    HBRUSH background = reinterpret_cast<HBRUSH>(
        SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
    if (background == NULL)
        background = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &client, background);
    char text[1024];
    int length = GetWindowTextA(window, text, sizeof text);
    HFONT font = FontOf(window);
    HGDIOBJ previous = font != NULL ? SelectObject(dc, font) : NULL;
    int oldMode = SetBkMode(dc, TRANSPARENT);
    if (!IsWindowEnabled(window))
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(dc, text, length, &client, DrawFlags(GetWindowLongA(window, GWL_STYLE)));
    SetBkMode(dc, oldMode);
    if (previous != NULL)
        SelectObject(dc, previous);
    EndPaint(window, &paint);
}

LRESULT CALLBACK StextWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;   // painted with the text, without flicker
    case WM_SETFONT:
        SetWindowLongPtrA(window, 0, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam))
            InvalidateRect(window, NULL, TRUE);
        return 0;
    case WM_GETFONT:
        return static_cast<LRESULT>(GetWindowLongPtrA(window, 0));
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        InvalidateRect(window, NULL, TRUE);
        return result;
    }
    case WM_ENABLE:
        InvalidateRect(window, NULL, TRUE);
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

bool RegisterStextClass()
{
    WNDCLASSA existing;
    if (GetClassInfoA(g_module, kClassName, &existing))
        return true;    // ours, or the one a program put in its place
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_PARENTDC;
    wc.lpfnWndProc = StextWndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = g_module;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

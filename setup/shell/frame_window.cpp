#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"

static void TraceFrameMessage(void)
{
    static const char trace[] = "In MyOwnWndProc()\n";
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written;
    if (output && output != INVALID_HANDLE_VALUE)
        WriteFile(output, trace, sizeof(trace) - 1, &written, NULL);
}

static LRESULT PaintFrame(HWND window)
{
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(memory, SetupState.FrameBitmap);
    RECT client;
    GetClientRect(window, &client);
    BITMAP bitmap;
    ZeroMemory(&bitmap, sizeof(bitmap));
    GetObjectA(SetupState.FrameBitmap, sizeof(bitmap), &bitmap);
    StretchBlt(target, 0, 0, client.right - client.left, client.bottom - client.top, memory, 0, 0,
               bitmap.bmWidth, bitmap.bmHeight, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    return EndPaint(window, &paint);
}

LRESULT CALLBACK MyOwnWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TraceFrameMessage();
    switch (message) {
    case WM_DESTROY: {
        HBITMAP bitmap = SetupState.FrameBitmap;
        SetupState.FrameBitmap = NULL;
        return DeleteObject(bitmap);
    }
    case WM_PAINT:
        return PaintFrame(window);
    default:
        return CallWindowProcA(SetupState.OldFrameProc, window, message, wParam, lParam);
    }
}

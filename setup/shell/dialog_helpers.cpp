#include "resources/resource_ids.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"

void CenterDialog(HWND window)
{
    RECT bounds;
    GetWindowRect(window, &bounds);
    int width = bounds.right - bounds.left;
    int height = bounds.bottom - bounds.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void PaintPageBitmap(HWND page, int bitmapId)
{
    HWND picture = GetDlgItem(page, IDC_PICTURE);
    HDC target = GetDC(picture);
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = LoadBitmapA(SetupState.ResourceLibrary, MAKEINTRESOURCEA((WORD)bitmapId));
    HGDIOBJ previous = SelectObject(memory, bitmap);
    RECT client;
    GetClientRect(picture, &client);
    BITMAP size;
    ZeroMemory(&size, sizeof(size));
    GetObjectA(bitmap, sizeof(size), &size);
    StretchBlt(target, 0, 0, client.right - client.left, client.bottom - client.top, memory, 0, 0,
               size.bmWidth, size.bmHeight, SRCCOPY);
    SelectObject(memory, previous);
    ReleaseDC(picture, target);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

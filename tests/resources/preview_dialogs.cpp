// Shows every dialog of HFNTSET.DLL with the contents the program puts in
// it and saves each, as drawn on the screen, to DIR\<template>.bmp, for a
// look at the layout on a real display:
//   hfntset_preview.exe DIR
#include <windows.h>

#include <stdio.h>

#include "resource_ids.h"

namespace {

HMODULE g_library;

UINT PictureOf(UINT dialogId)
{
    switch (dialogId) {
    case IDD_WELCOME: return IDB_WELCOME;
    case IDD_DESTINATION: return IDB_DESTINATION;
    case IDD_SQL_ACCOUNT: return IDB_SQL_ACCOUNT;
    case IDD_CONFIRM: return IDB_CONFIRM;
    }
    return 0;
}

void PaintPicture(HWND dialog, UINT bitmapId)
{
    HWND picture = GetDlgItem(dialog, IDC_PICTURE);
    HBITMAP bitmap = LoadBitmapA(g_library, MAKEINTRESOURCEA(bitmapId));
    if (!picture || !bitmap)
        return;
    HDC dc = GetDC(picture);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT box;
    GetClientRect(picture, &box);
    BITMAP info;
    GetObjectA(bitmap, sizeof(info), &info);
    StretchBlt(dc, 0, 0, box.right, box.bottom, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(picture, dc);
    DeleteObject(bitmap);
}

INT_PTR CALLBACK PreviewDlgProc(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    if (message == WM_PAINT) {
        PostMessageA(dialog, WM_APP, 0, 0);
        return FALSE;
    }
    if (message == WM_APP) {
        PaintPicture(dialog, PictureOf((UINT)GetWindowLongPtrA(dialog, DWLP_USER)));
        return TRUE;
    }
    return FALSE;
}

void LoadInto(HWND dialog, int control, UINT stringId)
{
    char text[512];
    LoadStringA(g_library, stringId, text, sizeof(text));
    SetDlgItemTextA(dialog, control, text);
}

void FillSampleContents(HWND dialog, UINT id)
{
    HWND drives = GetDlgItem(dialog, IDC_DRIVE_LIST);
    SendMessageA(drives, CB_ADDSTRING, 0, (LPARAM) "C:");
    SendMessageA(drives, CB_ADDSTRING, 0, (LPARAM) "D:");
    SendMessageA(drives, CB_SETCURSEL, 0, 0);
    SetDlgItemTextA(dialog, IDC_DEST_DIR, "C:\\DORURE\\");
    SetDlgItemTextA(dialog, IDC_DRIVE_LABEL, "C:");
    SetDlgItemTextA(dialog, IDC_FREE_SPACE, "4294967295");
    SetDlgItemTextA(dialog, IDC_REQUIRED_SPACE, "2816");
    SetDlgItemTextA(dialog, IDC_SQL_LOGIN, "sa");
    SetDlgItemTextA(dialog, IDC_SQL_PASSWORD, "secret");
    SetDlgItemTextA(dialog, IDC_SQL_CONFIRM, "secret");
    SetDlgItemTextA(dialog, IDC_SOURCE_DIR, "\\\\BACKUP\\DIST\\SQLAGENT\\");
    SendDlgItemMessageA(dialog, IDC_INSTALL_CHOICE, BM_SETCHECK, 1, 0);
    LoadInto(dialog, IDC_SERVICE_STATUS, IDS_BRD_SERVICE_TITLE);
    LoadInto(dialog, IDC_START_STATUS, IDS_RPC_SERVICE_TITLE);
    HRSRC license = FindResourceA(NULL, MAKEINTRESOURCEA(IDR_LICENSE), "LICENSE");
    if (id == IDD_LICENSE && license) {
        DWORD size = SizeofResource(NULL, license);
        char *text = (char *)HeapAlloc(GetProcessHeap(), 0, size + 1);
        memcpy(text, LockResource(LoadResource(NULL, license)), size);
        text[size] = '\0';
        SetDlgItemTextA(dialog, IDC_LICENSE_TEXT, text);
        HeapFree(GetProcessHeap(), 0, text);
    }
}

void Pump(DWORD milliseconds)
{
    DWORD end = GetTickCount() + milliseconds;
    while ((LONG)(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
}

bool SaveWindowPicture(HWND window, const char *path)
{
    RECT box;
    GetWindowRect(window, &box);
    int width = box.right - box.left, height = box.bottom - box.top;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    DWORD rowSize = ((DWORD)width * 3 + 3) & ~3u;
    DWORD imageSize = rowSize * height;
    char *pixels = (char *)HeapAlloc(GetProcessHeap(), 0, imageSize);
    GetDIBits(memory, bitmap, 0, height, pixels, (BITMAPINFO *)&header, DIB_RGB_COLORS);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + imageSize;
    FILE *out = fopen(path, "wb");
    bool written = out && fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&header, sizeof(header), 1, out) == 1 &&
                   fwrite(pixels, imageSize, 1, out) == 1;
    if (out)
        fclose(out);
    HeapFree(GetProcessHeap(), 0, pixels);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return written;
}

}  // namespace

int main(int argc, char **argv)
{
    const char *directory = argc > 1 ? argv[1] : ".";
    g_library = LoadLibraryA("HFNTSET.DLL");
    if (!g_library) {
        fprintf(stderr, "HFNTSET.DLL cannot be loaded (error %lu)\n", GetLastError());
        return 1;
    }
    const UINT templates[] = {IDD_WELCOME, IDD_DESTINATION, IDD_SQL_ACCOUNT, IDD_CONFIRM, IDD_LICENSE,
                              IDD_SOURCE_PROMPT, IDD_SERVICE_STOP, IDD_SERVICE_CREATE, IDD_SERVICE_REMOVE,
                              IDD_SERVICE_START};
    int failures = 0;
    for (UINT id : templates) {
        HWND dialog = CreateDialogParamA(g_library, MAKEINTRESOURCEA(id), NULL, PreviewDlgProc, id);
        if (!dialog) {
            fprintf(stderr, "template %u cannot be created\n", id);
            ++failures;
            continue;
        }
        FillSampleContents(dialog, id);
        SetWindowPos(dialog, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        Pump(700);
        char path[MAX_PATH];
        snprintf(path, sizeof(path), "%s\\%u.bmp", directory, id);
        if (!SaveWindowPicture(dialog, path)) {
            fprintf(stderr, "%s cannot be written\n", path);
            ++failures;
        }
        DestroyWindow(dialog);
    }
    return failures ? 1 : 0;
}

#include "license_dialog.h"

#include <errno.h>
#include <stdlib.h>

#include "frame_heading.h"
#include "resource_ids.h"
#include "setuptk.h"

#define HANDLE_TEXT_SIZE 32

// The address named by "LicenseHandle", or NULL when the symbol holds no
// plain decimal number of a user-space address.
static const char *ReadLicenseAddress(void)
{
    char text[HANDLE_TEXT_SIZE];
    USHORT length = CbGetSymbolValue("LicenseHandle", text, sizeof(text));
    if (length == 0 || length >= sizeof(text))
        return NULL;
    char *end = NULL;
    errno = 0;
    long long value = strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value <= 0)
        return NULL;
    return (const char *)(LONG_PTR)value;
}

static bool IsReadableProtection(DWORD protect)
{
    if (protect & (PAGE_GUARD | PAGE_NOACCESS))
        return false;
    return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                       PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

// Bytes from `start` that can be read, up to `limit`.
static size_t ReadableLength(const char *start, size_t limit)
{
    size_t readable = 0;
    while (readable < limit) {
        MEMORY_BASIC_INFORMATION region;
        if (!VirtualQuery(start + readable, &region, sizeof(region)))
            break;
        if (region.State != MEM_COMMIT || !IsReadableProtection(region.Protect))
            break;
        size_t regionEnd = (size_t)((const char *)region.BaseAddress + region.RegionSize - start);
        readable = regionEnd < limit ? regionEnd : limit;
    }
    return readable;
}

// When the address is the start of a "LICENSE" resource of the module
// that holds it, the resource's own size: the text need not end in a zero.
static bool FindResourceSize(const char *text, size_t *size)
{
    HMODULE module = NULL;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            text, &module))
        return false;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(IDR_LICENSE), "LICENSE");
    if (!resource)
        return false;
    HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded || LockResource(loaded) != (LPVOID)text)
        return false;
    *size = SizeofResource(module, resource);
    return true;
}

// Length of the agreement text: up to its first zero byte, within what can
// be read and within LICENSE_TEXT_LIMIT.
static size_t LicenseTextLength(const char *text)
{
    size_t limit = LICENSE_TEXT_LIMIT;
    size_t resourceSize;
    if (FindResourceSize(text, &resourceSize) && resourceSize < limit)
        limit = resourceSize;
    limit = ReadableLength(text, limit);
    size_t length = 0;
    while (length < limit && text[length] != '\0')
        ++length;
    return length;
}

// A copy for the edit control, which breaks lines only at CR LF: a lone
// LF or CR becomes CR LF. Freed with HeapFree.
static char *CopyWithCrLf(const char *text, size_t length)
{
    char *copy = (char *)HeapAlloc(GetProcessHeap(), 0, length * 2 + 1);
    if (!copy)
        return NULL;
    size_t out = 0;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < length && text[i + 1] == '\n') {
            copy[out++] = '\r';
            copy[out++] = '\n';
            ++i;
        } else if (c == '\r' || c == '\n') {
            copy[out++] = '\r';
            copy[out++] = '\n';
        } else {
            copy[out++] = c;
        }
    }
    copy[out] = '\0';
    return copy;
}

static HMODULE ThisLibrary(void)
{
    HMODULE module = NULL;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       (LPCSTR)&ThisLibrary, &module);
    return module;
}

// Without a text there is nothing to agree to: say so and leave only the
// way out.
static void ShowLicenseUnavailable(HWND dialog)
{
    char text[512];
    if (!LoadStringA(ThisLibrary(), IDS_LICENSE_UNAVAILABLE, text, sizeof(text)))
        lstrcpynA(text, "The license agreement cannot be shown.", sizeof(text));
    SetDlgItemTextA(dialog, IDC_LICENSE_TEXT, text);
    EnableWindow(GetDlgItem(dialog, IDC_LICENSE_ACCEPT), FALSE);
}

// Fills the text field; answers whether the agreement could be shown.
static bool ShowLicenseText(HWND dialog)
{
    const char *address = ReadLicenseAddress();
    if (!address || ReadableLength(address, 1) == 0)
        return false;
    size_t length = LicenseTextLength(address);
    if (length == 0)
        return false;
    char *text = CopyWithCrLf(address, length);
    if (!text)
        return false;
    HWND field = GetDlgItem(dialog, IDC_LICENSE_TEXT);
    SendMessageA(field, EM_LIMITTEXT, 0, 0);
    SetWindowTextA(field, text);
    HeapFree(GetProcessHeap(), 0, text);
    return true;
}

#define LICENSE_PLACE_MESSAGE (WM_APP + 1)

static const char OriginalTextProcProperty[] = "LicenseTextProc";

// The dialog manager selects the whole text of an edit field that Tab
// brings the focus to, which here would jump to the agreement's end: the
// agreement says it has no selection, so the reader's place is kept.
static LRESULT CALLBACK LicenseTextProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC original = (WNDPROC)GetPropA(field, OriginalTextProcProperty);
    if (!original)
        return DefWindowProcA(field, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(field, GWLP_WNDPROC, (LONG_PTR)original);
        RemovePropA(field, OriginalTextProcProperty);
        return CallWindowProcA(original, field, message, wParam, lParam);
    }
    LRESULT result = CallWindowProcA(original, field, message, wParam, lParam);
    return message == WM_GETDLGCODE ? (result & ~(LRESULT)DLGC_HASSETSEL) : result;
}

static void KeepReadersPlace(HWND field)
{
    LONG_PTR original = GetWindowLongPtrA(field, GWLP_WNDPROC);
    if (original && SetPropA(field, OriginalTextProcProperty, (HANDLE)original))
        SetWindowLongPtrA(field, GWLP_WNDPROC, (LONG_PTR)LicenseTextProc);
}

// The reader starts in the agreement, at its top, so that Page Down reads
// on; without an agreement, on the one way out.
static void InitLicenseDialog(HWND dialog)
{
    HWND field = GetDlgItem(dialog, IDC_LICENSE_TEXT);
    KeepReadersPlace(field);
    HWND focus = field;
    if (ShowLicenseText(dialog)) {
        SendMessageA(dialog, DM_SETDEFID, IDC_LICENSE_ACCEPT, 0);
    } else {
        ShowLicenseUnavailable(dialog);
        SendMessageA(dialog, DM_SETDEFID, IDC_LICENSE_DECLINE, 0);
        focus = GetDlgItem(dialog, IDC_LICENSE_DECLINE);
    }
    SendMessageA(field, EM_SETSEL, 0, 0);
    SendMessageA(field, EM_SCROLLCARET, 0, 0);
    SetFocus(focus);
    // The toolkit centres the dialog once it is made; it moves after that.
    PostMessageA(dialog, LICENSE_PLACE_MESSAGE, 0, 0);
}

static void SetDialogEvent(LPCSTR event)
{
    FSetSymbolValue("DLGEVENT", event);
}

extern "C" INT_PTR CALLBACK FLicenseDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitLicenseDialog(dialog);
        // The focus is set: the dialog manager would select all of the text.
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_LICENSE_ACCEPT:
            SetDialogEvent("CONTINUE");
            return TRUE;
        case IDC_LICENSE_DECLINE:
        case IDCANCEL:
            SetDialogEvent("CANCEL");
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        SetDialogEvent("CANCEL");
        return TRUE;
    case LICENSE_PLACE_MESSAGE:
        PlaceBelowFrameHeading(dialog, GetWindow(dialog, GW_OWNER));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // The read-only agreement reads better on the window colour.
        if ((HWND)lParam == GetDlgItem(dialog, IDC_LICENSE_TEXT)) {
            SetBkColor((HDC)wParam, GetSysColor(COLOR_WINDOW));
            SetTextColor((HDC)wParam, GetSysColor(COLOR_WINDOWTEXT));
            return (INT_PTR)GetSysColorBrush(COLOR_WINDOW);
        }
        return FALSE;
    }
    return FALSE;
}

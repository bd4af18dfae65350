/*
 * Three-dimensional controls: dialogs of a registered program get the gray
 * button-face look. Ctl3dAutoSubclass hooks window creation on the
 * program's thread, so every dialog made there afterwards (its own, a
 * resource library's, a message box) is subclassed as it is created.
 */
#include <windows.h>

extern "C" {
BOOL WINAPI Ctl3dRegister(HINSTANCE instance);
BOOL WINAPI Ctl3dUnregister(HINSTANCE instance);
BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE instance);
}

namespace {

const char kOldProcProperty[] = "Ctl3dOldWndProc";
const char kDialogClass[] = "#32770";
const int kMaxRegistrations = 8;

struct Registration {
    HINSTANCE instance;
    DWORD thread;
    HHOOK hook;
};

Registration g_registrations[kMaxRegistrations];
int g_registrationCount = 0;

Registration *FindRegistration(HINSTANCE instance)
{
    for (int i = 0; i < g_registrationCount; ++i) {
        if (g_registrations[i].instance == instance)
            return &g_registrations[i];
    }
    return NULL;
}

bool HasClass(HWND window, const char *className)
{
    char name[64];
    if (!GetClassNameA(window, name, sizeof(name)))
        return false;
    return lstrcmpiA(name, className) == 0;
}

void SinkEditField(HWND edit)
{
    LONG_PTR exStyle = GetWindowLongPtrA(edit, GWL_EXSTYLE);
    LONG_PTR style = GetWindowLongPtrA(edit, GWL_STYLE);
    if ((exStyle & WS_EX_CLIENTEDGE) && !(style & WS_BORDER))
        return;
    SetWindowLongPtrA(edit, GWL_STYLE, style & ~(LONG_PTR)WS_BORDER);
    SetWindowLongPtrA(edit, GWL_EXSTYLE, exStyle | WS_EX_CLIENTEDGE);
    SetWindowPos(edit, NULL, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

BOOL CALLBACK SinkEditChild(HWND child, LPARAM dialog)
{
    if (GetParent(child) == (HWND)dialog && HasClass(child, "Edit"))
        SinkEditField(child);
    return TRUE;
}

// The dialog's own procedure may choose its colours; only when it leaves a
// control alone does it get the button face.
LRESULT ControlColor(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DLGPROC own = (DLGPROC)(void *)GetWindowLongPtrA(dialog, DWLP_DLGPROC);
    if (own) {
        // A Unicode dialog (a message box) holds a handle here, not an address.
        INT_PTR chosen = CallWindowProcA((WNDPROC)(void *)own, dialog, message, wParam, lParam);
        if (chosen)
            return chosen;
    }
    HDC context = (HDC)wParam;
    SetTextColor(context, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(context, GetSysColor(COLOR_BTNFACE));
    return (LRESULT)GetSysColorBrush(COLOR_BTNFACE);
}

LRESULT CALLBACK Ctl3dDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC old = (WNDPROC)(void *)GetPropA(dialog, kOldProcProperty);
    if (old == NULL)
        return DefDlgProcA(dialog, message, wParam, lParam);
    switch (message) {
    case WM_INITDIALOG: {
        LRESULT result = CallWindowProcA(old, dialog, message, wParam, lParam);
        EnumChildWindows(dialog, SinkEditChild, (LPARAM)dialog);
        return result;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return ControlColor(dialog, message, wParam, lParam);
    case WM_NCDESTROY:
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, (LONG_PTR)old);
        RemovePropA(dialog, kOldProcProperty);
        return CallWindowProcA(old, dialog, message, wParam, lParam);
    default:
        return CallWindowProcA(old, dialog, message, wParam, lParam);
    }
}

void SubclassDialog(HWND dialog)
{
    if (GetPropA(dialog, kOldProcProperty) != NULL)
        return;
    LONG_PTR old = GetWindowLongPtrA(dialog, GWLP_WNDPROC);
    if (old == 0 || !SetPropA(dialog, kOldProcProperty, (HANDLE)old))
        return;
    SetWindowLongPtrA(dialog, GWLP_WNDPROC, (LONG_PTR)Ctl3dDialogProc);
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && HasClass((HWND)wParam, kDialogClass))
        SubclassDialog((HWND)wParam);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

void Unhook(Registration &registration)
{
    if (registration.hook) {
        UnhookWindowsHookEx(registration.hook);
        registration.hook = NULL;
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    else if (reason == DLL_PROCESS_DETACH && reserved == NULL) {
        for (int i = 0; i < g_registrationCount; ++i)
            Unhook(g_registrations[i]);
    }
    return TRUE;
}

extern "C" {

BOOL WINAPI Ctl3dRegister(HINSTANCE instance)
{
    if (FindRegistration(instance))
        return TRUE;
    if (g_registrationCount >= kMaxRegistrations)
        return FALSE;
    Registration &added = g_registrations[g_registrationCount++];
    added.instance = instance;
    added.thread = GetCurrentThreadId();
    added.hook = NULL;
    return TRUE;
}

BOOL WINAPI Ctl3dUnregister(HINSTANCE instance)
{
    for (int i = 0; i < g_registrationCount; ++i) {
        if (g_registrations[i].instance != instance)
            continue;
        Unhook(g_registrations[i]);
        g_registrations[i] = g_registrations[--g_registrationCount];
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE instance)
{
    Registration *registration = FindRegistration(instance);
    if (registration == NULL)
        return FALSE;
    if (registration->hook == NULL)
        registration->hook = SetWindowsHookExA(WH_CBT, CreationHook, NULL, registration->thread);
    return registration->hook != NULL;
}

}  // extern "C"

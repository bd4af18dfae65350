/*
 * Toolkit dialogs: modeless dialogs whose procedure lives in another
 * library. The call returns as soon as the procedure has told what the user
 * did through the DLGEVENT symbol; the dialog itself stays up on the stack.
 */
#include "setuptk.h"
#include "dialog_stack.h"

namespace {

const char kEventSymbol[] = "DLGEVENT";

enum LoopEnd { kEventSet, kDialogGone, kQuitArrived };

bool EventSet(void)
{
    return CbGetSymbolValue(kEventSymbol, NULL, 0) > 0;
}

bool SameDialog(const ToolkitDialog *dialog, LPCSTR templateLibrary, int dialogId)
{
    return dialog != NULL && dialog->dialogId == dialogId &&
           lstrcmpiA(dialog->templateName, templateLibrary) == 0;
}

void CenterOnScreen(HWND window)
{
    RECT box;
    if (!GetWindowRect(window, &box))
        return;
    int x = (GetSystemMetrics(SM_CXSCREEN) - (box.right - box.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (box.bottom - box.top)) / 2;
    SetWindowPos(window, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Loads both libraries, creates the dialog and pushes it; false (with
// nothing held) when any step fails.
bool CreateToolkitDialog(HWND owner, LPCSTR templateLibrary, int dialogId, LPCSTR procName,
                         LPCSTR procLibrary, LONG_PTR extra1)
{
    if (lstrlenA(templateLibrary) >= MAX_PATH)
        return false;
    ToolkitDialog dialog;
    ZeroMemory(&dialog, sizeof(dialog));
    dialog.owner = owner;
    dialog.dialogId = dialogId;
    lstrcpynA(dialog.templateName, templateLibrary, MAX_PATH);

    dialog.templateLibrary = LoadLibraryA(templateLibrary);
    dialog.procLibrary = LoadLibraryA(procLibrary);
    DLGPROC procedure = NULL;
    if (dialog.procLibrary)
        procedure = (DLGPROC)(void *)GetProcAddress(dialog.procLibrary, procName);
    if (dialog.templateLibrary && procedure)
        dialog.window = CreateDialogParamA(dialog.templateLibrary, MAKEINTRESOURCEA(dialogId), owner,
                                           procedure, (LPARAM)extra1);
    if (dialog.window == NULL || !PushDialog(dialog)) {
        if (dialog.window)
            DestroyWindow(dialog.window);
        if (dialog.procLibrary)
            FreeLibrary(dialog.procLibrary);
        if (dialog.templateLibrary)
            FreeLibrary(dialog.templateLibrary);
        return false;
    }
    CenterOnScreen(dialog.window);
    return true;
}

// Runs the thread's messages until the event is set, the dialog is gone or
// a quit arrives. Messages sent from other threads or processes (a click
// sent to a button) are handled while waiting, so the event is checked
// after those as well as after every posted message.
LoopEnd RunDialogLoop(HWND dialog)
{
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Left queued for the caller's own loop.
                PostQuitMessage((int)message.wParam);
                return kQuitArrived;
            }
            if (!IsWindow(dialog) || !IsDialogMessageA(dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            if (EventSet())
                return kEventSet;
            if (!IsWindow(dialog))
                return kDialogGone;
        }
        if (EventSet())
            return kEventSet;
        if (!IsWindow(dialog))
            return kDialogGone;
        MsgWaitForMultipleObjectsEx(0, NULL, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace

extern "C" {

BOOL WINAPI FDoDialogExt(HWND owner, LPCSTR templateLibrary, int dialogId, LPCSTR procName,
                         LPCSTR procLibrary, LONG_PTR extra1, LONG_PTR extra2)
{
    if (templateLibrary == NULL || procName == NULL || procLibrary == NULL)
        return FALSE;
    DropDeadDialogs();
    FRemoveSymbol(kEventSymbol);

    if (!SameDialog(TopDialog(), templateLibrary, dialogId) &&
        !CreateToolkitDialog(owner, templateLibrary, dialogId, procName, procLibrary, extra1))
        return FALSE;

    ToolkitDialog *top = TopDialog();
    HWND dialog = top->window;
    if (top->owner) {
        // EnableWindow answers nonzero when the window was already disabled.
        BOOL wasDisabled = EnableWindow(top->owner, FALSE);
        if (!wasDisabled)
            top->ownerWasEnabled = TRUE;
    }
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);

    LoopEnd end = RunDialogLoop(dialog);
    if (end == kDialogGone) {
        DropDeadDialogs();
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"

/* The toolkit's dialog stack, shared by the dialog loop and the kill calls. */
#ifndef MSUILSTF_DIALOG_STACK_H
#define MSUILSTF_DIALOG_STACK_H

#include <windows.h>

struct ToolkitDialog {
    HWND window;
    HWND owner;
    BOOL ownerWasEnabled;
    HMODULE templateLibrary;
    HMODULE procLibrary;
    char templateName[MAX_PATH];
    int dialogId;
};

// The dialog on top, or NULL when the stack is empty.
ToolkitDialog *TopDialog(void);
// Pushes a dialog; false when the stack is full.
bool PushDialog(const ToolkitDialog &dialog);
// Removes the top dialog: gives the owner back, destroys the window if it
// is still there and releases both libraries.
void PopDialog(void);
// Forgets dialogs whose windows were destroyed behind the stack's back.
void DropDeadDialogs(void);
int DialogCount(void);

#endif

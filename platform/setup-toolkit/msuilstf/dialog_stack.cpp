#include "setuptk.h"
#include "dialog_stack.h"

namespace {

const int kMaxDialogs = 16;
ToolkitDialog g_stack[kMaxDialogs];
int g_count = 0;

bool OwnerStillInUse(HWND owner, int below)
{
    for (int i = 0; i < below; ++i) {
        if (g_stack[i].owner == owner)
            return true;
    }
    return false;
}

void ReleaseDialog(int index)
{
    ToolkitDialog dialog = g_stack[index];
    for (int i = index; i + 1 < g_count; ++i)
        g_stack[i] = g_stack[i + 1];
    --g_count;

    // The owner comes back before the dialog goes, so activation returns to it.
    if (dialog.owner && dialog.ownerWasEnabled && !OwnerStillInUse(dialog.owner, g_count) &&
        IsWindow(dialog.owner))
        EnableWindow(dialog.owner, TRUE);
    if (dialog.window && IsWindow(dialog.window))
        DestroyWindow(dialog.window);
    if (dialog.procLibrary)
        FreeLibrary(dialog.procLibrary);
    if (dialog.templateLibrary)
        FreeLibrary(dialog.templateLibrary);
}

}  // namespace

ToolkitDialog *TopDialog(void)
{
    return g_count > 0 ? &g_stack[g_count - 1] : NULL;
}

bool PushDialog(const ToolkitDialog &dialog)
{
    if (g_count >= kMaxDialogs)
        return false;
    g_stack[g_count++] = dialog;
    return true;
}

void PopDialog(void)
{
    if (g_count > 0)
        ReleaseDialog(g_count - 1);
}

void DropDeadDialogs(void)
{
    for (int i = g_count - 1; i >= 0; --i) {
        if (!IsWindow(g_stack[i].window))
            ReleaseDialog(i);
    }
}

int DialogCount(void)
{
    return g_count;
}

extern "C" {

BOOL WINAPI FKillNDialogs(int count)
{
    DropDeadDialogs();
    if (count < 0)
        count = g_count;
    while (count-- > 0 && g_count > 0)
        PopDialog();
    return TRUE;
}

int WINAPI CDialogsOnStack(void)
{
    DropDeadDialogs();
    return g_count;
}

}  // extern "C"

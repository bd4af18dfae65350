#include "platform/setup-toolkit/setuptk.h"
#include "setup/messages/messages.h"
#include "setup/toolkit/toolkit.h"

LPSTR ShowToolkitDialog(LPCSTR library, int dialogId, LPCSTR procName, LONG_PTR extra1,
                        LONG_PTR extra2, LPSTR eventBuffer, int eventSize)
{
    if (!FDoDialogExt(HwndFrame(), library, dialogId, procName, library, extra1, extra2))
        FatalSetupError(1024);
    PumpPendingMessages();
    return GetSymbolValue("DLGEVENT", eventBuffer, eventSize);
}

unsigned DialogEventSum(LPCSTR event)
{
    unsigned short sum = 0;
    if (event[0]) {
        sum = (unsigned short)(sum + (signed char)event[0]);
        sum = (unsigned short)(sum + (signed char)event[1]);
    }
    return sum;
}

void KillDialogs(int count)
{
    if (!FKillNDialogs(count))
        FatalSetupError(1024);
    PumpPendingMessages();
}

void KillAllDialogs(void)
{
    KillDialogs(-1);
}

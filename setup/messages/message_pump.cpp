#include "setup/messages/messages.h"

void PumpPendingMessages(void)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            FatalSetupError(1025);
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

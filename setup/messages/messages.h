/* Message boxes, log lines, the exit question and the fatal-error path. */
#ifndef SETUP_MESSAGES_H
#define SETUP_MESSAGES_H

#include <windows.h>

int ShowSetupMessage(HWND owner, UINT style, LPCSTR format, ...);
void LogSetupMessage(LPCSTR format, ...);
int ConfirmExitSetup(void);
[[noreturn]] void FatalSetupError(int id);
void PumpPendingMessages(void);

/* Loads a string of the resource library into a buffer; answers its length
 * (0 when the library lacks it, the buffer then holding the empty text). */
int LoadSetupString(UINT id, LPSTR buffer, int size);

/* Ends the process at once: used where the fatal path would re-enter itself. */
[[noreturn]] void EndSetupProcess(void);

#endif

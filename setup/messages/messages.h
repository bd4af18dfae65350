/* Message boxes, log lines, the exit question and the fatal-error path. */
#ifndef SETUP_MESSAGES_H
#define SETUP_MESSAGES_H

#include <windows.h>

int ShowSetupMessage(HWND owner, UINT style, LPCSTR format, ...);
void LogSetupMessage(LPCSTR format, ...);
int ConfirmExitSetup(void);
[[noreturn]] void FatalSetupError(int id);
/* The fatal path with its own text: what happened, with its details. */
[[noreturn]] void FatalSetupErrorWithText(LPCSTR text);
void PumpPendingMessages(void);

/* Loads a string of the resource library into a buffer; answers its length
 * (0 when the library lacks it, the buffer then holding the empty text). */
int LoadSetupString(UINT id, LPSTR buffer, int size);

/* Problems of a road that goes on after them. The first one is kept as
 * the failure description of the status MIF; the others are counted.
 * NoteRunFailure only keeps it (the caller has said it already);
 * ReportRunFailure shows it (a box, or a log line in quiet runs) as well. */
void NoteRunFailure(LPCSTR format, ...);
void ReportRunFailure(HWND owner, UINT style, LPCSTR format, ...);
bool RunHasFailed(void);

/* The log's first line (version, command line, distribution directory)
 * and last line (the outcome as the status file says it, the duration).
 * NoteRunEnd keeps the text of a run that ends early for the last line. */
void LogRunStart(void);
void NoteRunEnd(LPCSTR failure);
void LogRunEnd(void);

/* Ends the process at once: used where the fatal path would re-enter itself. */
[[noreturn]] void EndSetupProcess(void);

#endif

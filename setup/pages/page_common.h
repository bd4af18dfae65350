/* What every wizard page does alike: painting its picture, leaving, and
 * keeping the keyboard focus. */
#ifndef SETUP_PAGE_COMMON_H
#define SETUP_PAGE_COMMON_H

#include <windows.h>

// A page's own commands: TRUE when handled, as a dialog procedure answers.
typedef INT_PTR (*PageCommand)(HWND page, WPARAM wParam);

// What the pages share: the picture (WM_PAINT lets the dialog paint,
// message 1074 then paints the bitmap), Back (result 2), Cancel (the exit
// question; on Yes the page ends with 0 and setup ends) and every other
// command through `command`. A page that stays after a command keeps the
// keyboard focus. TRUE when the message was one of these; *result is then
// the answer.
bool HandleCommonPageMessage(HWND page, UINT message, WPARAM wParam, int bitmapId, PageCommand command,
                             INT_PTR *result);
// The exit question has no owner: when it goes, no window of setup is
// active. A page that is still shown and enabled takes the focus back, on
// the control that had it before (or its first tab stop).
void KeepFocusOnPage(HWND page, HWND focusBefore);
// Shows why the destination is refused, naming it and the rule it breaks
// (the family of rules is the string id); answers false.
bool RefuseDestination(UINT id, LPCSTR path);
// KB figures in the user's number format, and read back from it.
void FormatKilobytes(ULONGLONG kilobytes, LPSTR text, int size);
ULONGLONG ReadKilobytes(LPCSTR text);
// Records the page as the current one and centres it below the frame's heading.
void EnterPage(HWND page);

#endif

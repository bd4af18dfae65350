/* What every wizard page does alike: painting its picture and leaving. */
#ifndef SETUP_PAGE_COMMON_H
#define SETUP_PAGE_COMMON_H

#include <windows.h>

// WM_PAINT: let the dialog paint, then paint the picture from message 1074.
INT_PTR PostPagePaint(HWND page);
// Cancel: the exit question; on Yes the page ends with 0 and setup ends.
void CancelPage(HWND page);
// Records the page as the current one and centres it.
void EnterPage(HWND page);

#endif

/* What every wizard page does alike: painting its picture and leaving. */
#ifndef SETUP_PAGE_COMMON_H
#define SETUP_PAGE_COMMON_H

#include <windows.h>

// What the pages with Back and Next share: the picture (WM_PAINT lets the
// dialog paint, message 1074 then paints the bitmap), Back (result 2) and
// Cancel (the exit question; on Yes the page ends with 0 and setup ends).
// TRUE when the message was one of these; *result is then the answer.
bool HandleCommonPageMessage(HWND page, UINT message, WPARAM wParam, int bitmapId, INT_PTR *result);
// WM_PAINT alone, for the welcome page.
INT_PTR PostPagePaint(HWND page);
// Records the page as the current one and centres it.
void EnterPage(HWND page);

#endif

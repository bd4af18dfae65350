/* The wait cursor shown while setup works. */
#include "setuptk.h"

extern "C" {

HCURSOR WINAPI HShowWaitCursor(void)
{
    HCURSOR previous = SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_WAIT));
    // With no cursor before, giving it back means the ordinary arrow.
    return previous ? previous : LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
}

BOOL WINAPI FRestoreCursor(HCURSOR previous)
{
    SetCursor(previous ? previous : LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
    return TRUE;
}

}  // extern "C"

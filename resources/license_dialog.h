/*
 * The licence agreement dialog of HFNTSET.DLL, run by the Setup Toolkit's
 * FDoDialogExt on template IDD_LICENSE. The caller puts the address of the
 * agreement text, as signed decimal text, in the symbol "LicenseHandle";
 * the dialog answers through the symbol "DLGEVENT": "CONTINUE" when the
 * agreement is accepted, "CANCEL" when it is declined or the dialog closed.
 */
#ifndef LICENSE_DIALOG_H
#define LICENSE_DIALOG_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

INT_PTR CALLBACK FLicenseDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#ifdef __cplusplus
}
#endif

/* Longest agreement text shown; a longer one is cut there. */
#define LICENSE_TEXT_LIMIT (1024 * 1024)

#endif

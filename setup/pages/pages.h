/* The wizard pages: what the shell runs to take the administrator through
 * an interactive install or removal. The agent's own rules, which the pages
 * apply, are in setup/agent_rules/. */
#ifndef SETUP_PAGES_H
#define SETUP_PAGES_H

#include <windows.h>

#define PAGE_PAINT_MESSAGE    1074
#define PAGE_REFRESH_MESSAGE  1075

INT_PTR CALLBACK WelcomeDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void ShowLicenseAgreement(void);
INT_PTR CALLBACK ConfirmDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DestinationDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SqlAccountDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

/* The destination page's figures and checks. */
int GetDriveFreeSpace(LPCSTR rootPath);
DWORD GetRequiredSpaceForDrive(char driveLetter);
bool ValidateDestination(LPCSTR path);

#endif

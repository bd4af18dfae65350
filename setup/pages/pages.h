/* The wizard pages and the rules behind them. */
#ifndef SETUP_PAGES_H
#define SETUP_PAGES_H

#include <windows.h>

#define PAGE_PAINT_MESSAGE    1074
#define PAGE_REFRESH_MESSAGE  1075
#define DEFAULT_INSTALL_DIR   "C:\\DORURE\\"
#define AGENT_CONFIG_KEY      "SOFTWARE\\Tamarack\\KSAgent\\CurrentVersion\\agent\\dorure60"
#define SCRAMBLE_CONSTANT     0xD2

INT_PTR CALLBACK WelcomeDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void ShowLicenseAgreement(void);
INT_PTR CALLBACK ConfirmDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DestinationDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SqlAccountDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

BOOL EndsInBackslash(LPCSTR path);
void AddTrailingBackslash(LPSTR path);
void RemoveTrailingBackslash(LPSTR path);
bool IsFullLocalPath(LPCSTR path);
bool IsFullLocalDirectory(LPCSTR directory);
bool DirectoryExists(LPCSTR path);
int GetDriveFreeSpace(LPCSTR rootPath);
DWORD GetRequiredSpaceForDrive(char driveLetter);
bool ValidateDestination(LPCSTR path);
bool IsValid83Path(LPCSTR path);

void ScrambleText(LPCSTR source, LPSTR destination, int length);
/* TRUE when the text scrambles without a zero byte, so it can be stored. */
bool IsStorableCredential(LPCSTR text);
bool ReadPreviousInstallation(void);
void CutAtLastBackslash(LPSTR path, LPSTR destination);

#endif

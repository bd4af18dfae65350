/* The binding over the Setup Toolkit: every wrapper turns a toolkit failure
 * into FatalSetupError; plus string joiners, the source prompt, the copy
 * list and the run-time registry helpers. */
#ifndef SETUP_TOOLKIT_H
#define SETUP_TOOLKIT_H

#include <windows.h>

#define JOIN_STRINGS_SIZE   1032
#define JOIN_STRINGS3_SIZE  3584

LPSTR JoinStrings(LPCSTR first, LPCSTR second);
LPSTR JoinStrings3(LPCSTR first, LPCSTR second, LPCSTR third);
void TrimTrailingBlanks(LPSTR text);

int DriveNumberOfPath(LPCSTR path);
BOOL IsValidDrive(LPSTR path);
BOOL IsRemovableDrive(LPSTR path);
BOOL IsRemoteDrive(LPCSTR path);
void GetLocalHardDrivesList(LPCSTR symbol);
BOOL FileExistsOnValidPath(LPSTR path, int mode);
void SetAbout(LPCSTR title, LPCSTR text);
void SetFrameTitle(LPCSTR text);
void RestoreCursor(HCURSOR cursor);
int InitializeInstall(void);
void CreateProgManGroup(LPCSTR group, LPCSTR text, int mode);
void ShowProgManGroup(LPCSTR group, int command, int mode);
LONG GetCopyListCost(LPCSTR extraList, LPCSTR costList, LPCSTR neededList);
void CreateProgManItem(LPCSTR group, LPCSTR text, LPCSTR command, LPCSTR extra, int mode);
void CopyFilesInCopyList(void);
/* Ends setup after a copy that stopped (48) or failed (the Win32 error). */
[[noreturn]] void EndFailedCopy(int result);
void AddSectionFilesToCopyList(LPCSTR section, LPCSTR sourceDir, LPCSTR destDir);
void OpenLogFile(LPCSTR path, int mode);
void CloseLogFile(void);
void WriteToLogFile(LPCSTR text);
void TerminateToolkit(void);
LPSTR GetSymbolValue(LPCSTR name, LPSTR buffer, int size);
USHORT GetListLength(LPCSTR name);
LPSTR GetListItem(LPCSTR name, int index, LPSTR buffer, int size);
void SetSymbolValue(LPCSTR name, LPCSTR value);
LPSTR ShowToolkitDialog(LPCSTR library, int dialogId, LPCSTR procName, LONG_PTR extra1,
                        LONG_PTR extra2, LPSTR eventBuffer, int eventSize);
unsigned DialogEventSum(LPCSTR event);
void KillDialogs(int count);
void KillAllDialogs(void);

int OpenSourceInf(LPSTR path);
INT_PTR CALLBACK SourcePromptDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void PrepareCopyList(void);
void BuildCopyList(void);

#define DLGEVENT_CONTINUE 146
#define DLGEVENT_CANCEL   132
#define DLGEVENT_EXIT     157

/* Reads a text value (REG_SZ or REG_EXPAND_SZ, not expanded) of at most
 * size bytes with its terminator; a longer value, another type or a missing
 * value is unreadable (false), never cut. */
bool ReadRegistryText(HKEY key, LPCSTR name, LPSTR text, DWORD size, DWORD *valueType = NULL);

/* Deletes a file that setup placed, clearing its read-only attribute. */
bool DeleteSetupFile(LPCSTR path);

/* Registry helpers called through entry points loaded at run time. */
int LoadRegistryFunctions(void);
/* The same from a library of that name that exports the entry points. */
int LoadRegistryFunctionsFrom(LPCSTR libraryName);
void UnloadRegistryFunctions(void);
int DeleteAllSubKeys(HKEY root, LPCSTR path);
int RegKeyExists(HKEY root, LPCSTR path);
void DeleteRegKeyTree(HKEY root, LPCSTR path);

#endif

/*
 * The Setup Toolkit: frame window, log file, symbol table, .inf and copy
 * list, copy with progress gauge, drive tests, toolkit dialogs and Program
 * Manager items. Five libraries; each function below names the one that
 * exports it.
 *
 * Conventions: ANSI strings; an F... function answers TRUE (nonzero) for
 * success; Cb... answers a byte count, Us... an unsigned short, Lcb... a
 * long byte count, Grc... a result code (0 success), H... a handle.
 * Drive numbers count from 1 for A.
 */
#ifndef SETUPTK_H
#define SETUPTK_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(SETUPTK_BUILD_MSCOMSTF)
#define TK_COM __declspec(dllexport)
#else
#define TK_COM __declspec(dllimport)
#endif
#if defined(SETUPTK_BUILD_MSSHLSTF)
#define TK_SHL __declspec(dllexport)
#else
#define TK_SHL __declspec(dllimport)
#endif
#if defined(SETUPTK_BUILD_MSUILSTF)
#define TK_UIL __declspec(dllexport)
#else
#define TK_UIL __declspec(dllimport)
#endif
#if defined(SETUPTK_BUILD_MSDETSTF)
#define TK_DET __declspec(dllexport)
#else
#define TK_DET __declspec(dllimport)
#endif
#if defined(SETUPTK_BUILD_MSINSSTF)
#define TK_INS __declspec(dllexport)
#else
#define TK_INS __declspec(dllimport)
#endif

/* ---- MSCOMSTF.DLL: symbols and lists, log file, error reports ---------- */

/* Sets a symbol to a single text value (replacing any earlier value or list). */
TK_COM BOOL WINAPI FSetSymbolValue(LPCSTR name, LPCSTR value);
/* Removes a symbol; TRUE also when it did not exist. */
TK_COM BOOL WINAPI FRemoveSymbol(LPCSTR name);
/* Copies at most size-1 bytes of the value and a terminator; answers the
 * value's full length, so an answer >= size means the buffer was too small.
 * An unknown symbol reads as the empty text. */
TK_COM USHORT WINAPI CbGetSymbolValue(LPCSTR name, LPSTR buffer, USHORT size);
/* Appends one item to the list held by a symbol (a new symbol if needed). */
TK_COM BOOL WINAPI FAddListItem(LPCSTR name, LPCSTR item);
/* Number of items of a symbol's list; a plain value counts as one item,
 * an unknown symbol as none. */
TK_COM USHORT WINAPI UsGetListLength(LPCSTR name);
/* Item index (from 1) of a list, copied as CbGetSymbolValue does; answers
 * the item's length. Index out of range reads as the empty text. */
TK_COM USHORT WINAPI CbGetListItem(LPCSTR name, USHORT index, LPSTR buffer, USHORT size);

/* Opens the log file; mode 1 appends to an existing file, 0 empties it. */
TK_COM BOOL WINAPI FOpenLogFile(LPCSTR path, int mode);
/* Writes one time-stamped line; mode is reserved (callers pass 1). */
TK_COM BOOL WINAPI FWriteToLogFile(LPCSTR text, int mode);
TK_COM BOOL WINAPI FCloseLogFile(void);
/* TRUE while a log file is open. */
TK_COM BOOL WINAPI FLogFileOpen(void);

/* Records an error (code, vital flag, up to three texts) in the log and the
 * debugger output; answers the error code. It shows no box, so an
 * unattended run is never stopped by it. */
TK_COM int WINAPI EercErrorHandler(int code, int vital, LPCSTR text1, LPCSTR text2, LPCSTR text3);
/* A message box owned by the frame, shown whatever the caller's mode. */
TK_COM int WINAPI DoMsgBox(LPCSTR text, LPCSTR caption, UINT style);

/* ---- MSSHLSTF.DLL: the frame window ------------------------------------ */

/* Creates the full-screen frame; answers 1 on success, 0 on failure and -1
 * when the command line asks the toolkit to stop. */
TK_SHL int WINAPI InitializeFrame(LPCSTR commandLine);
TK_SHL HWND WINAPI HwndFrame(void);
TK_SHL HINSTANCE WINAPI HinstFrame(void);
TK_SHL VOID WINAPI TerminateFrame(void);
/* Sets the title and text of the frame's About box. */
TK_SHL BOOL WINAPI FSetAbout(LPCSTR title, LPCSTR text);

/* ---- MSUILSTF.DLL: toolkit dialogs, cursor ----------------------------- */

/* Shows dialog `dialogId` of `templateLibrary` with the dialog procedure
 * `procName` exported by `procLibrary`, owned by `owner`, and runs its loop
 * until the procedure sets "DLGEVENT". The dialog stays up (on the toolkit's
 * dialog stack) until FKillNDialogs; showing the dialog that is already on
 * top of the stack reuses it. extra1 reaches the procedure as the lParam of
 * WM_INITDIALOG. */
TK_UIL BOOL WINAPI FDoDialogExt(HWND owner, LPCSTR templateLibrary, int dialogId, LPCSTR procName,
                                LPCSTR procLibrary, LONG_PTR extra1, LONG_PTR extra2);
/* Removes the top `count` dialogs, or all of them for -1. */
TK_UIL BOOL WINAPI FKillNDialogs(int count);
/* Number of dialogs on the stack. */
TK_UIL int WINAPI CDialogsOnStack(void);
TK_UIL HCURSOR WINAPI HShowWaitCursor(void);
TK_UIL BOOL WINAPI FRestoreCursor(HCURSOR previous);

/* ---- MSDETSTF.DLL: drives and paths ------------------------------------ */

TK_DET BOOL WINAPI FIsValidDrive(int drive);
TK_DET BOOL WINAPI FIsRemoveDrive(int drive);
TK_DET BOOL WINAPI FIsRemoteDrive(int drive);
/* A full path with a drive, well formed (no empty or illegal component). */
TK_DET BOOL WINAPI FValidPath(LPCSTR path);
/* Like FValidPath, for a directory (a trailing backslash is allowed). */
TK_DET BOOL WINAPI FValidDir(LPCSTR path);
TK_DET BOOL WINAPI FDirExists(LPCSTR path);
/* Mode 0: any file of that name; 1: also readable. */
TK_DET BOOL WINAPI FDoesFileExist(LPCSTR path, int mode);
/* Fills the list symbol with one item per local fixed drive ("C", "D", ...). */
TK_DET BOOL WINAPI FGetLocalHardDrivesList(LPCSTR symbol);

/* ---- MSINSSTF.DLL: install engine, .inf, copy list, Program Manager ---- */

TK_INS BOOL WINAPI FInitializeInstall(HINSTANCE instance, HWND frame);
TK_INS VOID WINAPI TerminateInstall(void);

/* Opens an .inf file (closing the one open before). mode and reserved are
 * passed as 1 and 0. A malformed file fails, with a log line naming the
 * file and the line. */
TK_INS BOOL WINAPI FOpenInf(LPCSTR path, int mode, int reserved);

TK_INS VOID WINAPI ResetCopyList(void);
/* Adds every file of a section of the open .inf, from sourceDir to destDir. */
TK_INS BOOL WINAPI FAddSectionFilesToCopyList(LPCSTR section, LPCSTR sourceDir, LPCSTR destDir);
/* Nonzero: files are copied; 0: the copy only walks the list. */
TK_INS VOID WINAPI SetCopyMode(int mode);
/* Fills three lists of 26 items (A to Z): EXTRAS (bytes to keep free),
 * COSTS (bytes the copy needs on that drive), NEEDED (bytes missing beyond
 * the free space). Answers the total cost, or a negative value on failure. */
TK_INS LONG WINAPI LcbGetCopyListCost(LPCSTR extrasList, LPCSTR costsList, LPCSTR neededList);
/* The sizes the .inf lists for every file of the copy list, in bytes: what
 * the files take, whatever is already on the disk. */
TK_INS LONGLONG WINAPI LcbGetCopyListSize(void);
/* Copies the list with the progress gauge: 0 done, 48 the user quit,
 * otherwise the Win32 error of the first file that failed. */
TK_INS int WINAPI GrcCopyFilesInCopyList(HINSTANCE instance);
/* TRUE: a copy keeps the earlier versions it replaces (and its journal) in
 * each destination's work folder until FCommitCopy or FRollBackCopy; FALSE
 * (the default): a copy is final when it ends. */
TK_INS VOID WINAPI SetCopyKeepsEarlierVersions(BOOL keep);
/* Makes the copy into a directory final, or gives the directory back as it
 * was before it; both also finish what a stopped program left there. */
TK_INS BOOL WINAPI FCommitCopy(LPCSTR directory);
TK_INS BOOL WINAPI FRollBackCopy(LPCSTR directory);
/* TRUE: a file whose earlier version another program holds is placed when
 * Windows restarts (MoveFileEx), and the copy goes on; FALSE (the default):
 * such a file fails the copy. Each call starts the list below afresh. */
TK_INS VOID WINAPI SetCopyPlacesFilesInUseAtRestart(BOOL place);
/* The files placed at the next restart, by their full paths; a path longer
 * than size is refused. */
TK_INS int WINAPI CFilesPlacedAtRestart(void);
TK_INS BOOL WINAPI FGetFilePlacedAtRestart(int index, LPSTR path, int size);
/* The file (or directory) the last copy failed on, "" when it did not fail;
 * answers its length. A longer name is cut to fit the buffer. */
TK_INS int WINAPI CbGetCopyFailure(LPSTR buffer, int size);
/* Where the progress gauge appears (screen coordinates of its corner);
 * without it, the gauge is centred over the window it belongs to. */
TK_INS VOID WINAPI ProSetPos(int x, int y);

TK_INS BOOL WINAPI FCreateProgManGroup(LPCSTR group, LPCSTR text, int mode);
TK_INS BOOL WINAPI FShowProgManGroup(LPCSTR group, LPCSTR command, int mode);
TK_INS BOOL WINAPI FCreateProgManItem(LPCSTR group, LPCSTR item, LPCSTR command, int mode);
TK_INS BOOL WINAPI FRemoveProgManItem(LPCSTR group, LPCSTR item, LPCSTR command);

#ifdef __cplusplus
}
#endif

#endif

/* Programs and Features: the entry that lists the agent there, the copy of
 * setup its removal command runs (kept outside the agent's directory), and
 * the hand-over that lets a removal started from that copy delete it. */
#ifndef SETUP_PROGRAMS_AND_FEATURES_H
#define SETUP_PROGRAMS_AND_FEATURES_H

#include <windows.h>

#include "product.h"

/* The kept copy: what a removal needs of the distribution. */
#define REMOVAL_COPY_FILE_COUNT 9
extern const char *const RemovalCopyFiles[REMOVAL_COPY_FILE_COUNT];
bool GetRemovalCopyDirectory(LPSTR directory, int size);
bool GetProgramDirectory(LPSTR directory, int size);
bool RunsFromRemovalCopy(void);
bool CopyRemovalFiles(LPCSTR from, LPCSTR to);
bool DeleteRemovalFiles(LPCSTR directory);
bool KeepRemovalCopy(void);
void DeleteRemovalCopyNow(void);
void RemoveRemovalCopy(void);

/* The entry, written with the kept copy and removed with it. */
DWORD WriteUninstallEntry(LPCSTR copyDirectory);
void RegisterForRemoval(void);
void RemoveRegistrationForRemoval(void);

/* The program started from the kept copy hands the removal to a temporary
 * copy of itself and waits for it; its exit code is that of the copy that
 * did the work. TakeHandOff is that copy's side. */
bool HandOffFromRemovalCopy(LPCSTR commandLine, DWORD *exitCode);
void TakeHandOff(LPCSTR commandLine);

#endif

/* The removal sequence and its decision about shared files and services. */
#ifndef SETUP_UNINSTALL_H
#define SETUP_UNINSTALL_H

#include <windows.h>

/* Other agents of the family: none, one whose directory is known (the first
 * in enumeration order), or only ones whose directory cannot be read. */
enum OtherAgentState { NoOtherAgent, OtherAgentKnown, OtherAgentUnknown };

void UninstallAgent(void);
/* The unattended removal's start: the installation must be there, with a
 * directory the removal can place; otherwise setup ends, removing nothing. */
void ReadInstallationToRemove(void);
bool ReadServiceDirectory(LPSTR destination);
OtherAgentState FindOtherAgentDirectory(LPSTR destination, LPSTR unknownName);
void SettleSharedFiles(bool sameDirectory, OtherAgentState otherAgent, LPCSTR otherDirectory, LPCSTR unknownAgent,
                       int &removeAllFiles);
bool SetServiceImagePath(LPCSTR serviceKey, LPCSTR executablePath);
void RemoveProductEntry(void);
bool DeleteAgentFiles(int removeAllFiles);

#endif

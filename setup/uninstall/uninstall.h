/* The removal sequence and its decision about shared files and services. */
#ifndef SETUP_UNINSTALL_H
#define SETUP_UNINSTALL_H

#include <windows.h>

void UninstallAgent(void);
bool ReadServiceDirectory(LPSTR destination);
bool FindOtherAgentDirectory(LPSTR destination);
void SettleSharedFiles(bool sameDirectory, bool otherAgent, LPCSTR otherDirectory, int &removeAllFiles);
bool SetServiceImagePath(LPCSTR serviceKey, LPCSTR executablePath);
void RemoveProductEntry(void);
bool DeleteAgentFiles(int removeAllFiles);

#endif

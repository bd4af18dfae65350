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
bool ReadInstallationToRemove(void);
/* False when the service's registration cannot be read; a service that is
 * not registered (an earlier removal took it) leaves *found false. */
bool ReadServiceDirectory(LPSTR destination, bool *found);
OtherAgentState FindOtherAgentDirectory(LPSTR destination, LPSTR unknownName);
/* The agent services, one bit each as in AgentServiceNames. */
#define RPC_SERVICE_BIT    1u
#define ALL_AGENT_SERVICES 3u
/* Removes, keeps or hands over the services the agent shares with others;
 * returns the services that stay. */
DWORD SettleSharedServices(bool sameDirectory, OtherAgentState otherAgent, LPCSTR otherDirectory,
                           LPCSTR unknownAgent, int &removeAllFiles);
/* Last of the removal: what tells a later run that the agent is here, and
 * where; the family's key too when no agent of the family stays. */
void RemoveAgentKeys(bool familyGoes);
bool SetServiceImagePath(LPCSTR serviceKey, LPCSTR executablePath);
void RemoveProductEntry(void);
/* The agent's files, the copy's work folder and the directory. */
enum FilesOutcome { FilesGone, FilesGoneDirectoryKept, FilesLeftBehind };
FilesOutcome DeleteAgentFiles(int removeAllFiles);

#endif

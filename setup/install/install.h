/* The install sequence, the agent's configuration and its services. */
#ifndef SETUP_INSTALL_H
#define SETUP_INSTALL_H

#include <windows.h>

#include "setup/agent_rules/agent_rules.h"

void InstallAgent(void);
/* Files in use are placed at the next restart: the run notes them after the
 * copy (SetupState.RestartNeeded) and its outcome says so. */
void NoteFilesPlacedAtRestart(void);
/* Ends an unattended run whose drive lacks room for the copy (earlier
 * versions count: they are kept until the new files are all in place). */
void RefuseShortDiskSpace(void);
bool DescribeRestartNeeded(LPSTR text, int size);
void WriteAgentConfiguration(void);
DWORD SetAgentStringValue(LPCSTR keyName, LPCSTR subKeyName, LPCSTR valueName, LPCSTR text);
DWORD SetAgentDwordValue(LPCSTR keyName, LPCSTR subKeyName, LPCSTR valueName, DWORD number);

/* Creates the configuration key with its protected list (full control for
 * Administrators and SYSTEM, nothing for anyone else), or gives an existing
 * key that list; the error is the system's when it fails. */
enum KeyProtection { KeyProtected, KeyNotCreated, KeyNotProtected };
KeyProtection ProtectAgentConfigKey(DWORD *error);
/* Creates the install directory and every missing parent with a protected
 * list (full control for Administrators and SYSTEM, reading and running for
 * Users); a directory that exists keeps its own, and the log says who else
 * may change files in it. Answers 0 or the error of the creation that failed. */
DWORD PrepareAgentDirectory(LPCSTR directory);
/* A directory that exists, holds more than the agent's files, and that
 * someone besides Administrators and SYSTEM owns or may change: true, with
 * the text that says who and what to do. */
bool RefuseUnsafeDirectory(LPCSTR directory, LPSTR text, int size);

extern "C" DWORD WINAPI RegisterAgentProduct(DWORD product, DWORD reserved, LPCSTR systemDirectory,
                                             DWORD reinstall);
extern "C" DWORD WINAPI UnregisterAgentProduct(void);

extern const char *const AgentServiceNames[2];
extern const UINT AgentServiceTitleIds[2];

/* The program path of a service: what the service manager runs. */
bool ServiceProgramOfImagePath(LPCSTR imagePath, LPSTR program, int size);
bool ReadServiceProgram(LPCSTR serviceKey, LPSTR program, int size);
/* The ImagePath for a program: quoted when it holds a blank. False when it
 * does not fit the size. */
bool ServiceImagePathOf(LPCSTR program, LPSTR imagePath, int size);

/* A stop is waited for this long at most, whatever the service reports. */
#define SERVICE_STOP_LIMIT_MS 30000
bool StopServiceAndWait(SC_HANDLE service);
DWORD StopServiceWithin(SC_HANDLE service);
DWORD RemoveService(LPCSTR serviceName);
DWORD CreateAgentService(LPCSTR serviceName, LPCSTR displayName, LPCSTR path, DWORD startType);
BOOL StartAgentService(LPCSTR machine, LPCSTR serviceName);
BOOL StopRunningAgentServices(void);
void RestartStoppedAgentServices(void);
void ReplaceAgentServices(void);
void ShowServiceRemovalDialog(void);
void OfferAgentStart(void);
INT_PTR CALLBACK ServiceStopDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ServiceCreationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ServiceRemovalDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ServiceStartDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif

/* The install sequence, the agent's configuration and its services. */
#ifndef SETUP_INSTALL_H
#define SETUP_INSTALL_H

#include <windows.h>

#include "product.h"

#define AGENT_CONFIG_ROOT   "SOFTWARE\\Tamarack\\KSAgent\\CurrentVersion"
#define AGENT_KEY_CLASS     "TSIData"
#define AGENT_CONFIG_NAME   "dorure60"
#define AGENT_PRODUCT_CODE  37
#define AGENT_NOTES_FILE    "DORURE60.WRI"
#define AGENT_LIBRARY_FILE  "dorure60.dll"
#define AGENT_SERVICE_EXE   "KVASVR.EXE"
#define RPC_SERVICE_NAME    "KvaRpcService"
#define BRD_SERVICE_NAME    "KvaBrdService"
#define SERVICES_KEY        "SYSTEM\\CurrentControlSet\\Services\\"
/* The removal reads "ImagePath" and "dll" values of at most 255 bytes. */
#define SERVICE_IMAGE_PATH_SIZE 256
/* The longest install directory (with its backslash) whose library path,
 * "dll", the removal can still read back. */
#define INSTALL_DIR_LONGEST (254 - ((int)sizeof(AGENT_LIBRARY_FILE) - 1))

void InstallAgent(void);
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

extern "C" DWORD WINAPI RegisterAgentProduct(DWORD product, DWORD reserved, LPCSTR systemDirectory,
                                             DWORD reinstall);
extern "C" DWORD WINAPI UnregisterAgentProduct(void);

extern const char *const AgentServiceNames[2];
extern const UINT AgentServiceTitleIds[2];

/* Programs and Features: the entry, and the copy of setup its removal
 * command runs, kept outside the agent's directory. */
#define UNINSTALL_ENTRY_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" PRODUCT_UNINSTALL_KEY
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
DWORD WriteUninstallEntry(LPCSTR copyDirectory);
void RegisterForRemoval(void);
void RemoveRegistrationForRemoval(void);

/* The program path of a service: what the service manager runs. */
bool ServiceProgramOfImagePath(LPCSTR imagePath, LPSTR program, int size);
bool ReadServiceProgram(LPCSTR serviceKey, LPSTR program, int size);
/* The ImagePath for a program: quoted when it holds a blank. False when it
 * does not fit the size. */
bool ServiceImagePathOf(LPCSTR program, LPSTR imagePath, int size);

/* A stop is waited for this long at most, whatever the service reports. */
#define SERVICE_STOP_LIMIT_MS 30000
bool StopServiceAndWait(SC_HANDLE service);
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

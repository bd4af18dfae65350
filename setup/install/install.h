/* The install sequence, the agent's configuration and its services. */
#ifndef SETUP_INSTALL_H
#define SETUP_INSTALL_H

#include <windows.h>

#define AGENT_CONFIG_ROOT   "SOFTWARE\\Tamarack\\KSAgent\\CurrentVersion"
#define AGENT_KEY_CLASS     "TSIData"
#define AGENT_PRODUCT_CODE  37
#define AGENT_NOTES_FILE    "DORURE60.WRI"
#define AGENT_LIBRARY_FILE  "dorure60.dll"
#define AGENT_SERVICE_EXE   "KVASVR.EXE"
#define RPC_SERVICE_NAME    "KvaRpcService"
#define BRD_SERVICE_NAME    "KvaBrdService"

void InstallAgent(void);
void WriteAgentConfiguration(void);
DWORD SetAgentStringValue(LPCSTR keyName, LPCSTR subKeyName, LPCSTR valueName, LPCSTR text);
DWORD SetAgentDwordValue(LPCSTR keyName, LPCSTR subKeyName, LPCSTR valueName, DWORD number);

extern "C" DWORD WINAPI RegisterAgentProduct(DWORD product, DWORD reserved, LPCSTR systemDirectory,
                                             DWORD reinstall);
extern "C" DWORD WINAPI UnregisterAgentProduct(void);

extern const char *const AgentServiceNames[2];
extern const UINT AgentServiceTitleIds[2];

void StopServiceAndWait(SC_HANDLE service);
DWORD RemoveService(LPCSTR serviceName);
DWORD CreateAgentService(LPCSTR serviceName, LPCSTR displayName, LPCSTR path, DWORD startType);
BOOL StartAgentService(LPCSTR machine, LPCSTR serviceName);
BOOL StopRunningAgentServices(void);
void ReplaceAgentServices(void);
void ShowServiceRemovalDialog(void);
void OfferAgentStart(void);
INT_PTR CALLBACK ServiceStopDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ServiceCreationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ServiceRemovalDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ServiceStartDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif

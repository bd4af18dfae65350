/* The service's status as the service control manager sees it. The control
 * handler and the service thread both report, so reports are serialised. */
#include "agent_service.h"

static SERVICE_STATUS_HANDLE StatusHandle;
static SERVICE_STATUS CurrentStatus;
static CRITICAL_SECTION StatusLock;

BOOL OpenServiceStatus(LPCSTR serviceName, LPHANDLER_FUNCTION_EX handler)
{
    InitializeCriticalSection(&StatusLock);
    StatusHandle = RegisterServiceCtrlHandlerExA(serviceName, handler, NULL);
    CurrentStatus.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    return StatusHandle != NULL;
}

void ReportServiceState(DWORD state, DWORD checkpoint, DWORD waitHint, DWORD controlsAccepted)
{
    EnterCriticalSection(&StatusLock);
    CurrentStatus.dwCurrentState = state;
    CurrentStatus.dwControlsAccepted = controlsAccepted;
    CurrentStatus.dwWin32ExitCode = NO_ERROR;
    CurrentStatus.dwServiceSpecificExitCode = 0;
    CurrentStatus.dwCheckPoint = checkpoint;
    CurrentStatus.dwWaitHint = waitHint;
    SetServiceStatus(StatusHandle, &CurrentStatus);
    LeaveCriticalSection(&StatusLock);
}

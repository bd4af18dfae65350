#include <shlwapi.h>

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"
#include "platform/setup-toolkit/setuptk.h"

const char *const AgentServiceNames[2] = {RPC_SERVICE_NAME, BRD_SERVICE_NAME};
const UINT AgentServiceTitleIds[2] = {IDS_RPC_SERVICE_TITLE, IDS_BRD_SERVICE_TITLE};

// One sleep never lasts longer than this, whatever wait hint a service
// reports: a service claiming hours must not hold setup for hours.
static const DWORD LongestStopSleepMs = 10000;

void StopServiceAndWait(SC_HANDLE service)
{
    SERVICE_STATUS status;
    ZeroMemory(&status, sizeof(status));
    if (!QueryServiceStatus(service, &status) || status.dwCurrentState == SERVICE_STOPPED)
        return;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    while (status.dwCurrentState == SERVICE_STOP_PENDING) {
        DWORD checkpoint = status.dwCheckPoint;
        Sleep(status.dwWaitHint < LongestStopSleepMs ? status.dwWaitHint : LongestStopSleepMs);
        if (!QueryServiceStatus(service, &status))
            break;
        if (status.dwCheckPoint <= checkpoint)
            break;
    }
}

static void CloseServiceHandles(void)
{
    if (SetupState.ServiceHandle)
        CloseServiceHandle(SetupState.ServiceHandle);
    if (SetupState.ServiceManager)
        CloseServiceHandle(SetupState.ServiceManager);
    SetupState.ServiceHandle = NULL;
    SetupState.ServiceManager = NULL;
}

// Opens the manager and the service into the state's two handle fields.
static BOOL OpenAgentService(LPCSTR name)
{
    SetupState.ServiceManager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!SetupState.ServiceManager)
        return FALSE;
    SetupState.ServiceHandle = OpenServiceA(SetupState.ServiceManager, name, SERVICE_ALL_ACCESS);
    return SetupState.ServiceHandle != NULL;
}

static void ReportDeleteFailure(LPCSTR name)
{
    LoadSetupString(IDS_SERVICE_DELETE_FAILED, SetupState.Scratch, 256);
    ShowSetupMessage(SetupState.FrameWindow, MB_ICONEXCLAMATION, "%s %s", SetupState.Scratch, name);
}

// Stops and deletes the service opened by OpenAgentService; a service
// already marked for deletion counts as deleted.
static DWORD StopAndDeleteOpenService(void)
{
    StopServiceAndWait(SetupState.ServiceHandle);
    if (DeleteService(SetupState.ServiceHandle))
        return 0;
    DWORD error = GetLastError();
    return error == ERROR_SERVICE_MARKED_FOR_DELETE ? 0 : error;
}

DWORD RemoveService(LPCSTR serviceName)
{
    if (!OpenAgentService(serviceName)) {
        CloseServiceHandles();
        return 0;
    }
    DWORD error = StopAndDeleteOpenService();
    CloseServiceHandles();
    if (error != 0)
        ReportDeleteFailure(serviceName);
    return error;
}

DWORD CreateAgentService(LPCSTR serviceName, LPCSTR displayName, LPCSTR path, DWORD startType)
{
    SetupState.ServiceManager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!SetupState.ServiceManager)
        return GetLastError();
    DWORD result = 0;
    SetupState.ServiceHandle = CreateServiceA(SetupState.ServiceManager, serviceName, displayName,
                                              SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, startType,
                                              SERVICE_ERROR_NORMAL, path, NULL, NULL, "", NULL, NULL);
    if (!SetupState.ServiceHandle)
        result = GetLastError();
    CloseServiceHandles();
    return result;
}

BOOL StartAgentService(LPCSTR machine, LPCSTR serviceName)
{
    SC_HANDLE manager = OpenSCManagerA(machine, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return FALSE;
    SC_HANDLE service = OpenServiceA(manager, serviceName, SERVICE_ALL_ACCESS);
    BOOL started = service && StartServiceA(service, 0, NULL);
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return started;
}

static BOOL AnyAgentServiceRunning(void)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return FALSE;
    BOOL found = FALSE;
    for (int i = 0; i < 2 && !found; i++) {
        SC_HANDLE service = OpenServiceA(manager, AgentServiceNames[i], SERVICE_ALL_ACCESS);
        if (!service)
            continue;
        SERVICE_STATUS status;
        if (QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED)
            found = TRUE;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return found;
}

static INT_PTR RunWorkDialog(int templateId, DLGPROC procedure)
{
    return DialogBoxParamA(SetupState.ResourceLibrary, MAKEINTRESOURCEA(templateId),
                           SetupState.FrameWindow, procedure, 0);
}

BOOL StopRunningAgentServices(void)
{
    if (AnyAgentServiceRunning()) {
        if (!(SetupState.RunFlags & RF_QUIET)) {
            char question[256], caption[256];
            LoadSetupString(IDS_STOP_SERVICES, question, sizeof(question));
            LoadSetupString(IDS_EXIT_CAPTION, caption, sizeof(caption));
            if (ShowSetupMessage(SetupState.CurrentPage, MB_YESNO | MB_ICONHAND, question, caption, 0) == IDNO)
                return FALSE;
        }
        RunWorkDialog(IDD_SERVICE_STOP, ServiceStopDlgProc);
    }
    SetActiveWindow(SetupState.FrameWindow);
    UpdateWindow(SetupState.FrameWindow);
    return TRUE;
}

void ShowServiceRemovalDialog(void)
{
    RunWorkDialog(IDD_SERVICE_REMOVE, ServiceRemovalDlgProc);
}

void ReplaceAgentServices(void)
{
    HCURSOR cursor = HShowWaitCursor();
    ShowServiceRemovalDialog();
    SetActiveWindow(SetupState.CurrentPage);
    UpdateWindow(SetupState.FrameWindow);
    UpdateWindow(SetupState.CurrentPage);
    RunWorkDialog(IDD_SERVICE_CREATE, ServiceCreationDlgProc);
    RestoreCursor(cursor);
}

void OfferAgentStart(void)
{
    HCURSOR cursor = HShowWaitCursor();
    SetActiveWindow(SetupState.CurrentPage);
    UpdateWindow(SetupState.FrameWindow);
    UpdateWindow(SetupState.CurrentPage);
    char question[256];
    LoadSetupString(IDS_START_SERVICE, question, sizeof(question));
    if (ShowSetupMessage(SetupState.FrameWindow, MB_ICONQUESTION | MB_YESNO, question) != IDNO)
        RunWorkDialog(IDD_SERVICE_START, ServiceStartDlgProc);
    RestoreCursor(cursor);
}

// ---- the work dialogs: each shows itself, then works from a posted command

// A work dialog is shown first and does its work when this command arrives.
static INT_PTR BeginWorkDialog(HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, 1, 0);
    CenterDialog(dialog);
    return TRUE;
}

static void ShowServiceTitle(HWND dialog, int control, UINT titleId)
{
    LoadSetupString(titleId, SetupState.Scratch, 256);
    SendDlgItemMessageA(dialog, control, WM_SETTEXT, 0, (LPARAM)SetupState.Scratch);
}

INT_PTR CALLBACK ServiceStopDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return BeginWorkDialog(dialog);
    if (message != WM_COMMAND || wParam != 1)
        return FALSE;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    for (int i = 0; manager && i < 2; i++) {
        SC_HANDLE service = OpenServiceA(manager, AgentServiceNames[i], SERVICE_ALL_ACCESS);
        if (!service)
            continue;
        ShowServiceTitle(dialog, IDC_SERVICE_STATUS, AgentServiceTitleIds[i]);
        StopServiceAndWait(service);
        CloseServiceHandle(service);
    }
    if (manager)
        CloseServiceHandle(manager);
    EndDialog(dialog, 1);
    return TRUE;
}

INT_PTR CALLBACK ServiceRemovalDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return BeginWorkDialog(dialog);
    if (message != WM_COMMAND || wParam != 1)
        return FALSE;
    for (int i = 0; i < 2; i++) {
        if (OpenAgentService(AgentServiceNames[i])) {
            ShowServiceTitle(dialog, IDC_SERVICE_STATUS, AgentServiceTitleIds[i]);
            DWORD error = StopAndDeleteOpenService();
            if (error != 0) {
                CloseServiceHandles();
                ReportDeleteFailure(AgentServiceNames[i]);
                break;
            }
        }
        CloseServiceHandles();
    }
    EndDialog(dialog, 1);
    return TRUE;
}

INT_PTR CALLBACK ServiceCreationDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return BeginWorkDialog(dialog);
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == 1) {
        ShowServiceTitle(dialog, IDC_SERVICE_STATUS, IDS_RPC_SERVICE_TITLE);
        DWORD startType = (SetupState.RunFlags & RF_AUTOSTART) ? SERVICE_AUTO_START : SERVICE_DEMAND_START;
        char displayName[256], path[SETUP_PATH_SIZE + 16];
        lstrcpynA(displayName, SetupState.Scratch, sizeof(displayName));
        lstrcpynA(path, JoinStrings(SetupState.InstallDir, AGENT_SERVICE_EXE), sizeof(path));
        DWORD error = CreateAgentService(RPC_SERVICE_NAME, displayName, path, startType);
        if (error != 0) {
            LoadSetupString(IDS_SERVICE_CREATE_FAILED, SetupState.Scratch, 256);
            wnsprintfA(SetupState.ServiceFailure, sizeof(SetupState.ServiceFailure), "%s SQL ZEduziz : %d",
                       SetupState.Scratch, error);
            if (SetupState.RunFlags & RF_SMS)
                LogSetupMessage("%s SQL ZEduziz : %d", SetupState.Scratch, error);
            else
                ShowSetupMessage(SetupState.FrameWindow, MB_ICONEXCLAMATION, "%s SQL ZEduziz : %d",
                                 SetupState.Scratch, error);
        }
    }
    EndDialog(dialog, 1);
    return TRUE;
}

INT_PTR CALLBACK ServiceStartDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return BeginWorkDialog(dialog);
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == 1) {
        ShowServiceTitle(dialog, IDC_START_STATUS, IDS_RPC_SERVICE_TITLE);
        StartAgentService(NULL, RPC_SERVICE_NAME);
    }
    EndDialog(dialog, 1);
    return TRUE;
}

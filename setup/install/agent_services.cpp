#include <shlwapi.h>

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"
#include "platform/setup-toolkit/setuptk.h"
#include "setup/unattended/unattended.h"

const char *const AgentServiceNames[2] = {RPC_SERVICE_NAME, BRD_SERVICE_NAME};
const UINT AgentServiceTitleIds[2] = {IDS_RPC_SERVICE_TITLE, IDS_BRD_SERVICE_TITLE};

// One sleep lasts the wait hint, within these bounds: a service claiming
// hours must not hold setup for hours, nor one claiming nothing spin.
static const DWORD LongestStopSleepMs = 10000;
static const DWORD ShortestStopSleepMs = 50;

static DWORD Smallest(DWORD a, DWORD b)
{
    return a < b ? a : b;
}

// Waits while the service stops, for SERVICE_STOP_LIMIT_MS at most, whether
// its checkpoint grows or not: only a stopped service no longer holds its
// files. 0 when it stopped; else the error of a refused request, or
// ERROR_SERVICE_REQUEST_TIMEOUT when it was still running or stopping.
DWORD StopServiceWithin(SC_HANDLE service)
{
    SERVICE_STATUS status;
    ZeroMemory(&status, sizeof(status));
    // A failed query is no reason not to ask for the stop.
    if (QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED)
        return 0;
    DWORD refusal = 0;
    // A refused request may leave the record empty: ask again what it does.
    if (!ControlService(service, SERVICE_CONTROL_STOP, &status)) {
        refusal = GetLastError();
        QueryServiceStatus(service, &status);
    }
    DWORD start = GetTickCount();
    while (status.dwCurrentState == SERVICE_STOP_PENDING) {
        DWORD waited = GetTickCount() - start;
        if (waited >= SERVICE_STOP_LIMIT_MS)
            return ERROR_SERVICE_REQUEST_TIMEOUT;
        DWORD sleep = status.dwWaitHint > ShortestStopSleepMs ? status.dwWaitHint : ShortestStopSleepMs;
        Sleep(Smallest(Smallest(sleep, LongestStopSleepMs), SERVICE_STOP_LIMIT_MS - waited));
        // A handle that may only stop cannot watch: the request was made.
        if (!QueryServiceStatus(service, &status))
            return 0;
    }
    if (status.dwCurrentState == SERVICE_STOPPED)
        return 0;
    return refusal ? refusal : ERROR_SERVICE_REQUEST_TIMEOUT;
}

bool StopServiceAndWait(SC_HANDLE service)
{
    return StopServiceWithin(service) == 0;
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

// A service that stays is a piece the run meant to remove or replace.
static void ReportDeleteFailure(LPCSTR name)
{
    LoadSetupString(IDS_SERVICE_DELETE_FAILED, SetupState.Scratch, 256);
    ReportRunFailure(SetupState.FrameWindow, MB_ICONEXCLAMATION, "%s %s", SetupState.Scratch, name);
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
    char imagePath[SETUP_PATH_SIZE + 18];
    if (!ServiceImagePathOf(path, imagePath, sizeof(imagePath)))
        return ERROR_FILENAME_EXCED_RANGE;
    SetupState.ServiceManager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!SetupState.ServiceManager)
        return GetLastError();
    DWORD result = 0;
    SetupState.ServiceHandle = CreateServiceA(SetupState.ServiceManager, serviceName, displayName,
                                              SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, startType,
                                              SERVICE_ERROR_NORMAL, imagePath, NULL, NULL, "", NULL, NULL);
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

// The first service the stop dialog could not stop: the road must not go on
// and replace or delete files that a running program holds.
static BOOL RefuseServiceNotStopped(void)
{
    for (int i = 0; i < 2; i++) {
        if (!(SetupState.ServicesNotStopped & (1u << i)))
            continue;
        char format[256], text[256];
        DWORD error = SetupState.ServiceStopErrors[i];
        if (error == ERROR_SERVICE_REQUEST_TIMEOUT) {
            LoadSetupString(IDS_SERVICE_WILL_NOT_STOP, format, sizeof(format));
            wnsprintfA(text, sizeof(text), format, AgentServiceNames[i], SERVICE_STOP_LIMIT_MS / 1000);
        } else {
            LoadSetupString(IDS_SERVICE_REFUSED_STOP, format, sizeof(format));
            wnsprintfA(text, sizeof(text), format, AgentServiceNames[i], error);
        }
        text[sizeof(text) - 1] = '\0';
        if (SetupState.RunFlags & RF_QUIET)
            EndRunWithFailure(text);
        ShowSetupMessage(SetupState.CurrentPage, MB_ICONHAND, "%s", text);
        return FALSE;
    }
    return TRUE;
}

BOOL StopRunningAgentServices(void)
{
    if (AnyAgentServiceRunning()) {
        if (!(SetupState.RunFlags & RF_QUIET)) {
            char question[256], caption[256];
            // The removal alone has no page to stay on.
            LoadSetupString(SetupState.RemoveOnly ? IDS_STOP_SERVICES_REMOVE : IDS_STOP_SERVICES, question,
                            sizeof(question));
            LoadSetupString(IDS_BOX_TITLE, caption, sizeof(caption));
            if (ShowSetupMessage(SetupState.CurrentPage, MB_YESNO | MB_ICONQUESTION, question, caption, 0) == IDNO)
                return FALSE;
        }
        SetupState.ServicesNotStopped = 0;
        RunWorkDialog(IDD_SERVICE_STOP, ServiceStopDlgProc);
        if (!RefuseServiceNotStopped())
            return FALSE;
    }
    SetActiveWindow(SetupState.FrameWindow);
    UpdateWindow(SetupState.FrameWindow);
    return TRUE;
}

// A start is said only of a service that runs: one still stopping or
// starting when the bound has passed is not running again.
static bool WaitUntilRunning(SC_HANDLE service)
{
    DWORD start = GetTickCount();
    SERVICE_STATUS status;
    while (QueryServiceStatus(service, &status)) {
        if (status.dwCurrentState == SERVICE_RUNNING)
            return true;
        if (status.dwCurrentState == SERVICE_STOPPED || GetTickCount() - start >= SERVICE_STOP_LIMIT_MS)
            return false;
        Sleep(100);
    }
    return false;
}

// Gives back what StopRunningAgentServices took when the run ends without
// having replaced or removed it; what cannot be started is said.
void RestartStoppedAgentServices(void)
{
    DWORD stopped = SetupState.StoppedServices;
    SetupState.StoppedServices = 0;
    for (int i = 0; i < 2; i++) {
        if (!(stopped & (1u << i)))
            continue;
        SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = manager ? OpenServiceA(manager, AgentServiceNames[i], SERVICE_ALL_ACCESS) : NULL;
        DWORD error = 0;
        if (!service || !StartServiceA(service, 0, NULL))
            error = GetLastError();
        if (error == ERROR_SERVICE_ALREADY_RUNNING)
            error = 0;
        if (error == 0 && !WaitUntilRunning(service))
            error = ERROR_SERVICE_REQUEST_TIMEOUT;
        if (service)
            CloseServiceHandle(service);
        if (manager)
            CloseServiceHandle(manager);
        if (error == 0) {
            LogSetupMessage("Setup started the service %s again.", AgentServiceNames[i]);
            continue;
        }
        char format[256];
        LoadSetupString(IDS_SERVICE_NOT_RESTARTED, format, sizeof(format));
        ReportRunFailure(SetupState.FrameWindow, MB_ICONEXCLAMATION, format, AgentServiceNames[i], error);
    }
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

// Stops one service of the stop dialog and notes what became of it.
static void StopAgentServiceForSetup(SC_HANDLE service, int index)
{
    SERVICE_STATUS status;
    bool wasRunning = QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED &&
                      status.dwCurrentState != SERVICE_STOP_PENDING;
    SetupState.ServiceStopErrors[index] = StopServiceWithin(service);
    if (SetupState.ServiceStopErrors[index] != 0)
        SetupState.ServicesNotStopped |= 1u << index;
    else if (wasRunning)
        SetupState.StoppedServices |= 1u << index;
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
        StopAgentServiceForSetup(service, i);
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
        JoinPath(path, sizeof(path), SetupState.InstallDir, AGENT_SERVICE_EXE);
        DWORD error = CreateAgentService(RPC_SERVICE_NAME, displayName, path, startType);
        SetupState.AgentServiceCreated = error == 0;
        if (error != 0) {
            LoadSetupString(IDS_SERVICE_CREATE_FAILED, SetupState.Scratch, 256);
            NoteRunFailure("%s SQL ZEduziz : %d", SetupState.Scratch, error);
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

#include <shlwapi.h>

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/pages/page_common.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"

#define SUMMARY_SIZE 1024

static bool ServiceRegistered(SC_HANDLE manager, LPCSTR name)
{
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
    if (service)
        CloseServiceHandle(service);
    return service != NULL;
}

// The install deletes any agent service it finds and creates the main one
// again: the summary says which of the two the administrator will get.
static bool AgentServiceRegistered(void)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (!manager)
        return false;
    bool found = ServiceRegistered(manager, AgentServiceNames[0]) || ServiceRegistered(manager, AgentServiceNames[1]);
    CloseServiceHandle(manager);
    return found;
}

// Started, or starting: what the end message tells.
static bool AgentServiceRunning(void)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (!manager)
        return false;
    SC_HANDLE service = OpenServiceA(manager, RPC_SERVICE_NAME, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status;
    bool running = service && QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED;
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return running;
}

// Where the agent is and whether its service runs.
static void ShowInstallDone(void)
{
    char format[256], service[128], restart[256];
    LoadSetupString(IDS_INSTALL_DONE, format, sizeof(format));
    LoadSetupString(AgentServiceRunning() ? IDS_DONE_SERVICE_STARTED : IDS_DONE_SERVICE_STOPPED, service,
                    sizeof(service));
    ShowSetupMessage(SetupState.FrameWindow, MB_ICONINFORMATION, format, service, SetupState.InstallDir);
    // A file in use waits for the restart: said in a box of its own, as the
    // two would not fit one message.
    if (DescribeRestartNeeded(restart, sizeof(restart)))
        ShowSetupMessage(SetupState.FrameWindow, MB_ICONINFORMATION, "%s", restart);
}

// What the install will do, never the password.
static void ShowSummary(HWND page)
{
    char format[256], noLogin[64], serviceTitle[256], serviceText[256], summary[SUMMARY_SIZE];
    LoadSetupString(IDS_CONFIRM_SUMMARY, format, sizeof(format));
    LoadSetupString(IDS_CONFIRM_NO_LOGIN, noLogin, sizeof(noLogin));
    LoadSetupString(IDS_RPC_SERVICE_TITLE, serviceTitle, sizeof(serviceTitle));
    LoadSetupString(AgentServiceRegistered() ? IDS_CONFIRM_SERVICE_REPLACED : IDS_CONFIRM_SERVICE_NEW, serviceText,
                    sizeof(serviceText));
    wnsprintfA(summary, sizeof(summary), format, SetupState.InstallDir,
               SetupState.SqlLogin[0] ? SetupState.SqlLogin : noLogin, serviceTitle, serviceText);
    summary[sizeof(summary) - 1] = '\0';
    SetDlgItemTextA(page, IDC_CONFIRM_SUMMARY, summary);
}

static void InstallFromConfirmPage(HWND page)
{
    // The page's loop ends when this handler returns; the install runs
    // with the frame, its owner, enabled again.
    EndDialog(page, 1);
    SetActiveWindow(SetupState.FrameWindow);
    EnableWindow(SetupState.FrameWindow, TRUE);
    InstallAgent();
    SetupState.RoadCompleted = 1;
    if (RunHasFailed())
        ShowSetupMessage(SetupState.FrameWindow, MB_ICONHAND, "%s", SetupState.RunFailure);
    else
        ShowInstallDone();
    CleanupSetup();
    PostQuitMessage(0);
}

static INT_PTR ConfirmCommand(HWND page, WPARAM wParam)
{
    if (LOWORD(wParam) != IDC_NEXT)
        return FALSE;
    InstallFromConfirmPage(page);
    return TRUE;
}

INT_PTR CALLBACK ConfirmDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result;
    if (HandleCommonPageMessage(page, message, wParam, IDB_CONFIRM, ConfirmCommand, &result))
        return result;
    if (message == WM_INITDIALOG) {
        EnterPage(page);
        ShowSummary(page);
        // Enter installs: the focus starts on Install, not on the summary.
        SetFocus(GetDlgItem(page, IDC_NEXT));
        return FALSE;
    }
    return FALSE;
}

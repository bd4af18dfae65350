/* Entry of the agent's service program: runs under the service control
 * manager, reads the configuration, then waits until it is told to stop. */
#include "agent_service.h"
#include <stdio.h>

#define START_WAIT_HINT     3000
#define STOP_STEPS          3
#define STOP_STEP_MS        20
#define STOP_WAIT_HINT      100
#define STUCK_WAIT_HINT     500
#define STUCK_DURATION_MS   5000
#define ABSURD_WAIT_HINT    3600000
#define ABSURD_STOP_MS      1000
#define NEVER_STEP_MS       1000
#define NEVER_WAIT_HINT     2000

static HANDLE StopEvent;
static DWORD StopBehaviour = STOP_NORMALLY;

static DWORD AcceptedControls(void)
{
    return StopBehaviour == STOP_REFUSED ? 0 : (SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN);
}

static DWORD StopWaitHint(void)
{
    if (StopBehaviour == STOP_ABSURD_HINT)
        return ABSURD_WAIT_HINT;
    if (StopBehaviour == STOP_NEVER)
        return NEVER_WAIT_HINT;
    return StopBehaviour == STOP_STUCK ? STUCK_WAIT_HINT : STOP_WAIT_HINT;
}

/* Runs on the dispatcher thread: acknowledge at once, the service thread
 * does the stopping. */
static DWORD WINAPI ServiceControlHandler(DWORD control, DWORD eventType, LPVOID eventData,
                                          LPVOID context)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        if (StopBehaviour == STOP_REFUSED)
            return ERROR_CALL_NOT_IMPLEMENTED;
        ReportServiceState(SERVICE_STOP_PENDING, 1, StopWaitHint(), 0);
        SetEvent(StopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

/* Checkpoint 1 was reported by the control handler. */
static void StopInSteps(void)
{
    for (DWORD checkpoint = 2; checkpoint <= STOP_STEPS; ++checkpoint) {
        Sleep(STOP_STEP_MS);
        ReportServiceState(SERVICE_STOP_PENDING, checkpoint, STOP_WAIT_HINT, 0);
    }
    Sleep(STOP_STEP_MS);
}

/* Keeps reporting progress without ever advancing the checkpoint. */
static void StopStuck(void)
{
    for (DWORD waited = 0; waited < STUCK_DURATION_MS; waited += STUCK_WAIT_HINT) {
        Sleep(STUCK_WAIT_HINT);
        ReportServiceState(SERVICE_STOP_PENDING, 1, STUCK_WAIT_HINT, 0);
    }
}

/* Reports progress for ever: only ending the process stops it. */
static void StopNever(void)
{
    for (DWORD checkpoint = 2;; ++checkpoint) {
        Sleep(NEVER_STEP_MS);
        ReportServiceState(SERVICE_STOP_PENDING, checkpoint, NEVER_WAIT_HINT, 0);
    }
}

static void LogStopBehaviour(void)
{
    if (StopBehaviour == STOP_STUCK)
        WriteAgentLog("%s: diagnostics: a stop will not progress for 5 seconds", AGENT_SERVICE_NAME);
    else if (StopBehaviour == STOP_REFUSED)
        WriteAgentLog("%s: diagnostics: stop requests are refused", AGENT_SERVICE_NAME);
    else if (StopBehaviour == STOP_ABSURD_HINT)
        WriteAgentLog("%s: diagnostics: a stop announces a wait of one hour", AGENT_SERVICE_NAME);
    else if (StopBehaviour == STOP_NEVER)
        WriteAgentLog("%s: diagnostics: a stop never ends", AGENT_SERVICE_NAME);
}

static void WINAPI AgentServiceMain(DWORD argc, LPSTR *argv)
{
    LPCSTR registeredName = (argc > 0 && argv != NULL && argv[0] != NULL) ? argv[0]
                                                                            : AGENT_SERVICE_NAME;
    StopEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    StopBehaviour = ReadStopBehaviour(registeredName);
    if (!OpenServiceStatus(registeredName, ServiceControlHandler))
        return;
    if (StopEvent == NULL) {
        ReportServiceState(SERVICE_STOPPED, 0, 0, 0);
        return;
    }
    ReportServiceState(SERVICE_START_PENDING, 1, START_WAIT_HINT, 0);
    WriteAgentLog("service %s started", AGENT_SERVICE_NAME);
    LogAgentConfiguration();
    LogStopBehaviour();
    ReportServiceState(SERVICE_RUNNING, 0, 0, AcceptedControls());

    WaitForSingleObject(StopEvent, INFINITE);
    WriteAgentLog("%s: stopping", AGENT_SERVICE_NAME);
    if (StopBehaviour == STOP_STUCK)
        StopStuck();
    else if (StopBehaviour == STOP_ABSURD_HINT)
        Sleep(ABSURD_STOP_MS);
    else if (StopBehaviour == STOP_NEVER)
        StopNever();
    else
        StopInSteps();
    WriteAgentLog("service %s stopped", AGENT_SERVICE_NAME);
    ReportServiceState(SERVICE_STOPPED, 0, 0, 0);
}

int main(void)
{
    SERVICE_TABLE_ENTRYA services[] = {
        { (LPSTR)AGENT_SERVICE_NAME, AgentServiceMain },
        { NULL, NULL },
    };
    if (StartServiceCtrlDispatcherA(services))
        return 0;
    if (GetLastError() == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
        fprintf(stderr, "This program is the Windows NT service %s of the SQL Server agent.\n"
                        "It is started by the service control manager, not from a command line.\n",
                AGENT_SERVICE_NAME);
    return 1;
}

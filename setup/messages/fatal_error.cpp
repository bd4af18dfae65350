#include <stdlib.h>

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/exit_code.h"
#include "setup/messages/messages.h"
#include "setup/rollback/rollback.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/unattended/unattended.h"

void EndSetupProcess(void)
{
    ExitProcess(SetupExitCode());
}

void FatalSetupError(int id)
{
    if (SetupState.FatalErrorActive)
        EndSetupProcess();
    if (id == IDS_REMOVE_NOT_INSTALLED)
        SetRunEnding(ERROR_UNKNOWN_PRODUCT);
    // A failed install is given back first: its outcome names the step, the
    // reason and what the machine is now. Otherwise the text of the id says
    // what happened, and the general text stands in for an id the table lacks.
    if (InstallRecordActive()) {
        GiveMachineBack();
        if (id == IDS_QUIT_DURING_TOOLKIT)
            SetRunEnding(ERROR_INSTALL_USEREXIT);
    }
    char text[SETUP_MESSAGE_SIZE];
    if (!DescribeGivenBackInstall((UINT)id, text, sizeof(text)) && LoadSetupString((UINT)id, text, sizeof(text)) == 0)
        LoadSetupString(IDS_FATAL_ERROR, text, sizeof(text));
    FatalSetupErrorWithText(text);
}

void FatalSetupErrorWithText(LPCSTR what)
{
    // A failure inside this path (a log write, the cleanup) would call us
    // again: the second entry ends the process instead of recursing.
    if (SetupState.FatalErrorActive)
        EndSetupProcess();
    SetupState.FatalErrorActive = 1;
    if (SetupState.RunEnding == ERROR_SUCCESS)
        SetRunEnding(ERROR_INSTALL_FAILURE);
    char text[SETUP_MESSAGE_SIZE];
    lstrcpynA(text, what, sizeof(text));

    // A failed install gives the machine back as it was before it says so,
    // and says what it left; any other failed run, the services it stopped.
    if (InstallRecordActive()) {
        GiveMachineBack();
        AppendRollbackNote(text, sizeof(text));
    }
    if (SetupState.StoppedServices)
        RestartStoppedAgentServices();
    if (SetupState.RunFlags & RF_SMS) {
        char description[MIF_DESCRIPTION_SIZE];
        lstrcpynA(description, text, sizeof(description));
        AppendMifStatus(0, description);
    }
    NoteRunEnd(text);
    ShowSetupMessage(NULL, MB_TASKMODAL | MB_ICONHAND, "%s", text);
    CleanupSetup();
    exit((int)SetupExitCode());
}

#include <stdlib.h>

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/rollback/rollback.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/unattended/unattended.h"

void EndSetupProcess(void)
{
    ExitProcess(0);
}

void FatalSetupError(int id)
{
    // A failure inside this path (a log write, the cleanup) would call us
    // again: the second entry ends the process instead of recursing.
    if (SetupState.FatalErrorActive)
        EndSetupProcess();
    SetupState.FatalErrorActive = 1;

    // A failed install gives the machine back as it was before it says so;
    // any other failed run, the services it stopped.
    if (InstallRecordActive())
        GiveMachineBack();
    if (SetupState.StoppedServices)
        RestartStoppedAgentServices();
    char description[255];
    bool givenBack = DescribeGivenBackInstall((UINT)id, description, sizeof(description));
    if (givenBack)
        lstrcpynA(SetupState.Scratch, description, 512);
    else
        LoadSetupString(IDS_FATAL_ERROR, SetupState.Scratch, 512);
    if (SetupState.RunFlags & RF_SMS) {
        if (!givenBack && LoadSetupString((UINT)id, description, sizeof(description)) == 0)
            lstrcpynA(description, SetupState.Scratch, sizeof(description));
        AppendMifStatus(0, description);
    }
    ShowSetupMessage(NULL, MB_TASKMODAL | MB_ICONHAND, SetupState.Scratch);
    CleanupSetup();
    exit(0);
}

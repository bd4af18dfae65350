#include <stdlib.h>

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/exit_code.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/unattended/unattended.h"

void EndSetupProcess(void)
{
    ExitProcess(SetupExitCode());
}

void FatalSetupError(int id)
{
    // A failure inside this path (a log write, the cleanup) would call us
    // again: the second entry ends the process instead of recursing.
    if (SetupState.FatalErrorActive)
        EndSetupProcess();
    SetupState.FatalErrorActive = 1;
    SetRunEnding(id == IDS_REMOVE_NOT_INSTALLED ? ERROR_UNKNOWN_PRODUCT : ERROR_INSTALL_FAILURE);

    // A failed run gives back the services it stopped before it says so.
    if (SetupState.StoppedServices)
        RestartStoppedAgentServices();
    LoadSetupString(IDS_FATAL_ERROR, SetupState.Scratch, 512);
    if (SetupState.RunFlags & RF_SMS) {
        char description[255];
        if (LoadSetupString((UINT)id, description, sizeof(description)) == 0)
            lstrcpynA(description, SetupState.Scratch, sizeof(description));
        AppendMifStatus(0, description);
    }
    ShowSetupMessage(NULL, MB_TASKMODAL | MB_ICONHAND, SetupState.Scratch);
    CleanupSetup();
    exit((int)SetupExitCode());
}

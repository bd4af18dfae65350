#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/rollback/rollback.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/uninstall/uninstall.h"
#include "setup/unattended/unattended.h"

static void EndRoad(void)
{
    CleanupSetup();
    PostQuitMessage(0);
}

static void RunUnattendedRoad(void)
{
    if (SetupState.RunFlags & RF_UNINSTALL) {
        ReadInstallationToRemove();
        StopRunningAgentServices();
        UninstallAgent();
    } else {
        ReadUnattendedConfig();
        RefuseShortDiskSpace();
        // Noted before the services are stopped: a failure starts them again.
        BeginInstallRecord();
        PassInstallStep(StepRecorded);
        StopRunningAgentServices();
        PassInstallStep(StepServicesStopped);
        InstallAgent();
    }
    if (SetupState.StoppedServices)
        RestartStoppedAgentServices();
    AppendRunOutcome();
    EndRoad();
}

static INT_PTR ShowPage(int templateId, DLGPROC procedure)
{
    INT_PTR result = DialogBoxParamA(SetupState.ResourceLibrary, MAKEINTRESOURCEA(templateId),
                                     SetupState.FrameWindow, procedure, 0);
    if (result == -1)
        FatalSetupError(1024);
    return result;
}

static void RunRemovalRoad(void)
{
    UninstallAgent();
    LoadSetupString(IDS_REMOVE_DONE, SetupState.Scratch, 256);
    ShowSetupMessage(SetupState.FrameWindow, MB_ICONINFORMATION, SetupState.Scratch);
    EndRoad();
}

// Started from Programs and Features: the wizard's removal question, then the
// removal, without the pages.
static void RunRemoveOnlyRoad(void)
{
    if (!ReadPreviousInstallation()) {
        // An entry that outlived its agent goes, with its copy of setup.
        RemoveRegistrationForRemoval();
        LoadSetupString(IDS_REMOVE_NOT_INSTALLED, SetupState.Scratch, 256);
        ShowSetupMessage(SetupState.FrameWindow, MB_ICONINFORMATION, SetupState.Scratch);
        EndRoad();
        return;
    }
    LoadSetupString(IDS_REMOVE_QUESTION, SetupState.Scratch, 256);
    // Asked directly, as on the welcome page: the question is no message for the log.
    if (MessageBoxA(SetupState.FrameWindow, SetupState.Scratch, "Setup", MB_YESNO | MB_ICONQUESTION) != IDYES ||
        !StopRunningAgentServices()) {
        EndRoad();
        return;
    }
    SetupState.RunFlags |= RF_UNINSTALL;
    RunRemovalRoad();
}

enum WizardStep { StepDestination, StepAccount, StepConfirm };

static void RunInteractiveRoad(void)
{
    if (ShowPage(IDD_WELCOME, WelcomeDlgProc) == 0)
        return;
    if (SetupState.RunFlags & RF_UNINSTALL) {
        RunRemovalRoad();
        return;
    }
    ShowLicenseAgreement();

    WizardStep step = StepDestination;
    for (;;) {
        INT_PTR result;
        switch (step) {
        case StepDestination:
            if (ShowPage(IDD_DESTINATION, DestinationDlgProc) == 0)
                return;
            // Back on the first page of the loop leads on as well.
            step = StepAccount;
            break;
        case StepAccount:
            result = ShowPage(IDD_SQL_ACCOUNT, SqlAccountDlgProc);
            if (result == 0)
                return;
            step = result == 1 ? StepConfirm : StepDestination;
            break;
        case StepConfirm:
            result = ShowPage(IDD_CONFIRM, ConfirmDlgProc);
            if (result != 2)
                return;
            step = StepAccount;
            break;
        }
    }
}

int RunSetupSequence(void)
{
    if (SetupState.RunFlags & (RF_UNATTENDED | RF_SMS))
        RunUnattendedRoad();
    else if (SetupState.RemoveOnly)
        RunRemoveOnlyRoad();
    else
        RunInteractiveRoad();
    return 0;
}

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/exit_code.h"
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
        if (ReadInstallationToRemove()) {
            StopRunningAgentServices();
            UninstallAgent();
        }
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
    SetupState.RoadCompleted = 1;
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
    if (SetupState.StoppedServices)
        RestartStoppedAgentServices();
    SetupState.RoadCompleted = 1;
    LoadSetupString(IDS_REMOVE_DONE, SetupState.Scratch, 256);
    ShowSetupMessage(SetupState.FrameWindow, MB_ICONINFORMATION, SetupState.Scratch);
    EndRoad();
}

// Started from Programs and Features: the wizard's removal question, then the
// removal, without the pages.
static void RunRemoveOnlyRoad(void)
{
    // An entry that outlived its agent goes, with its copy of setup; an agent
    // whose directory cannot be told is refused, its entry kept.
    if (!ReadInstallationToRemove()) {
        LoadSetupString(IDS_REMOVE_NOT_INSTALLED, SetupState.Scratch, 256);
        ShowSetupMessage(SetupState.FrameWindow, MB_ICONINFORMATION, SetupState.Scratch);
        SetRunEnding(ERROR_UNKNOWN_PRODUCT);
        EndRoad();
        return;
    }
    LoadSetupString(IDS_REMOVE_QUESTION, SetupState.Scratch, 256);
    if (ShowSetupMessage(SetupState.FrameWindow, MB_YESNO | MB_ICONQUESTION, "%s", SetupState.Scratch) != IDYES ||
        !StopRunningAgentServices()) {
        // Declined, or a service that would not stop kept the files in use.
        SetRunEnding(SetupState.ServicesNotStopped ? ERROR_INSTALL_FAILURE : ERROR_INSTALL_USEREXIT);
        // Nothing was touched: the person is told so rather than left to guess.
        LoadSetupString(IDS_REMOVE_CANCELLED, SetupState.Scratch, 256);
        ShowSetupMessage(SetupState.FrameWindow, MB_ICONINFORMATION, "%s", SetupState.Scratch);
        EndRoad();
        return;
    }
    SetupState.RunFlags |= RF_UNINSTALL;
    RunRemovalRoad();
}

enum WizardStep { StepWelcome, StepDestination, StepAccount, StepConfirm };

// The welcome page, then the removal or (once a run) the licence; false
// when the road ended there.
static bool GoOnFromWelcome(bool *licenceAccepted)
{
    if (ShowPage(IDD_WELCOME, WelcomeDlgProc) == 0)
        return false;
    if (SetupState.RunFlags & RF_UNINSTALL) {
        // What is installed goes, not a directory chosen before Back.
        ReadPreviousInstallation();
        RunRemovalRoad();
        return false;
    }
    if (!*licenceAccepted)
        ShowLicenseAgreement();
    *licenceAccepted = true;
    return true;
}

static void RunInteractiveRoad(void)
{
    bool licenceAccepted = false;
    WizardStep step = StepWelcome;
    for (;;) {
        INT_PTR result;
        switch (step) {
        case StepWelcome:
            if (!GoOnFromWelcome(&licenceAccepted))
                return;
            step = StepDestination;
            break;
        case StepDestination:
            result = ShowPage(IDD_DESTINATION, DestinationDlgProc);
            if (result == 0)
                return;
            step = result == 1 ? StepAccount : StepWelcome;
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

#include <shlwapi.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/rollback/rollback.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"

// A login or password that would be stored cut short is refused before
// anything is installed: the agent would log in with the wrong text.
static void RefuseUnusableCredentials(void)
{
    LPCSTR field = NULL;
    if (!IsStorableCredential(SetupState.SqlLogin))
        field = "login";
    else if (!IsStorableCredential(SetupState.SqlPassword))
        field = "password";
    if (!field)
        return;
    char format[256], text[256];
    LoadSetupString(IDS_CREDENTIAL_UNUSABLE, format, sizeof(format));
    wnsprintfA(text, sizeof(text), format, field);
    text[sizeof(text) - 1] = '\0';
    FatalSetupErrorWithText(text);
}

static void RegisterAgent(LPCSTR systemDirectory, UINT systemDirectoryLength)
{
    if (systemDirectoryLength == 0) {
        DWORD lastError = GetLastError();
        lstrcpynA(SetupState.Scratch, "Error in GetSystemDirectory", 256);
        ShowSetupMessage(NULL, MB_ICONEXCLAMATION, "%s, EC=%d", SetupState.Scratch, lastError);
        return;
    }
    DWORD error = RegisterAgentProduct(AGENT_PRODUCT_CODE, 0, systemDirectory,
                                       SetupState.PreviousInstallFound ? 1 : 0);
    if (error != 0) {
        LoadSetupString(IDS_REGISTER_FAILED, SetupState.Scratch, 256);
        ShowSetupMessage(NULL, MB_ICONEXCLAMATION, "%s, T=%s,EC=%d", SetupState.Scratch,
                         systemDirectory, error);
        SetupState.RegistrationError = error;
    }
}

// The backup software cannot use an agent missing from the family's product
// list: the install fails there, and the machine is given back.
static void RefuseUnregisteredAgent(LPCSTR systemDirectory)
{
    if (SetupState.RegistrationError == 0)
        return;
    char format[256], text[SETUP_MESSAGE_SIZE];
    LoadSetupString(IDS_REGISTER_FAILED, format, sizeof(format));
    wnsprintfA(text, sizeof(text), "%s, T=%s,EC=%d", format, systemDirectory, SetupState.RegistrationError);
    text[sizeof(text) - 1] = '\0';
    EndRunWithFailure(text);
}

static void CreateProgramManagerEntries(void)
{
    char group[256], item[256], command[SETUP_PATH_SIZE + 16];
    LoadSetupString(IDS_PROGMAN_GROUP, group, sizeof(group));
    CreateProgManGroup(group, "", 1);
    ShowProgManGroup(group, 1, 1);
    LoadSetupString(IDS_PROGMAN_ITEM, item, sizeof(item));
    JoinPath(command, sizeof(command), SetupState.InstallDir, AGENT_NOTES_FILE);
    CreateProgManItem(group, item, command, "", 1024);
}

// Made with its own list before the copy, so that every file placed in it
// takes that list.
static void RequireAgentDirectory(void)
{
    DWORD error = PrepareAgentDirectory(SetupState.InstallDir);
    if (error == 0)
        return;
    LogSetupMessage("Setup could not create the directory %s (Windows error %d).", SetupState.InstallDir, error);
    NoteInstallError(error);
    FatalSetupError(1024);
}

static BOOL AgentServiceExists(void)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return FALSE;
    SC_HANDLE service = OpenServiceA(manager, RPC_SERVICE_NAME, SERVICE_ALL_ACCESS);
    BOOL exists = service != NULL;
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return exists;
}

// A run that failed at any step gives the machine back as it was.
static void EndInstall(void)
{
    if (!RunHasFailed()) {
        EndInstallRecord();
        return;
    }
    GiveMachineBack();
    AppendRollbackNote(SetupState.RunFailure, sizeof(SetupState.RunFailure));
}

void InstallAgent(void)
{
    RefuseUnusableCredentials();

    char systemDirectory[SETUP_PATH_SIZE];
    UINT systemLength = GetSystemDirectoryA(systemDirectory, sizeof(systemDirectory));
    if (systemLength >= sizeof(systemDirectory))
        systemLength = 0;

    // The wizard's road: its services are stopped with their replacement.
    if (!InstallRecordActive()) {
        BeginInstallRecord();
        PassInstallStep(StepServicesStopped);
    }
    PrepareCopyList();
    SetCopyMode((int)(SetupState.RunFlags & RF_COPYFILES));
    RequireAgentDirectory();
    PassInstallStep(StepDirectoryMade);
    SetCopyPlacesFilesInUseAtRestart(TRUE);
    CopyFilesInCopyList();
    NoteFilesPlacedAtRestart();
    PassInstallStep(StepFilesCopied);

    HCURSOR cursor = HShowWaitCursor();
    WriteAgentConfiguration();
    PassInstallStep(StepConfigurationWritten);
    RegisterAgent(systemDirectory, systemLength);
    RefuseUnregisteredAgent(systemDirectory);
    PassInstallStep(StepProductRegistered);
    CreateProgramManagerEntries();
    PassInstallStep(StepShortcutMade);
    SetActiveWindow(SetupState.CurrentPage);
    UpdateWindow(SetupState.FrameWindow);
    UpdateWindow(SetupState.CurrentPage);
    RestoreCursor(cursor);

    NoteServicesReplaced();
    ReplaceAgentServices();
    PassInstallStep(StepServicesReplaced);
    // An older service of the same name may still be there: only the one just
    // made is offered.
    if (SetupState.AgentServiceCreated && AgentServiceExists() && !SetupState.RestartNeeded)
        OfferAgentStart();
    PassInstallStep(StepServiceStarted);
    // The services stopped at the start are replaced now.
    if (!RunHasFailed())
        SetupState.StoppedServices = 0;
    // Only a working agent is offered for removal in Programs and Features.
    if (!RunHasFailed())
        RegisterForRemoval();
    PassInstallStep(StepEntryWritten);
    EndInstall();

    cursor = HShowWaitCursor();
    SetActiveWindow(SetupState.FrameWindow);
    UpdateWindow(SetupState.FrameWindow);
    RestoreCursor(cursor);
}

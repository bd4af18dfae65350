#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"
#include "setup/uninstall/uninstall.h"
#include "setup/unattended/unattended.h"

static void RemoveProgramManagerItem(void)
{
    char group[256], item[256], command[SETUP_PATH_SIZE + 16];
    LoadSetupString(IDS_PROGMAN_GROUP, group, sizeof(group));
    LoadSetupString(IDS_PROGMAN_ITEM, item, sizeof(item));
    JoinPath(command, sizeof(command), SetupState.InstallDir, AGENT_NOTES_FILE);
    if (!FRemoveProgManItem(group, item, command)) {
        char format[256];
        LoadSetupString(IDS_SHORTCUT_LEFT, format, sizeof(format));
        ReportRunFailure(NULL, MB_ICONEXCLAMATION, format, item);
    }
}

// Without a directory there is nothing the removal could place: the files
// would be looked for relative to wherever setup runs.
[[noreturn]] static void RefuseUnknownAgentDirectory(void)
{
    char text[256];
    LoadSetupString(IDS_AGENT_DIR_UNKNOWN, text, sizeof(text));
    EndRunWithFailure(text);
}

void ReadInstallationToRemove(void)
{
    if (!ReadPreviousInstallation()) {
        if (RegKeyExists(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY))
            RefuseUnknownAgentDirectory();
        FatalSetupError(IDS_REMOVE_NOT_INSTALLED);
    }
    if (!IsFullLocalDirectory(SetupState.InstallDir))
        RefuseUnknownAgentDirectory();
}

// The service's program names no directory: the services cannot be placed,
// so they stay, and the administrator is told.
static void ReportUnplacedService(void)
{
    char imagePath[256] = "", format[256];
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SERVICES_KEY RPC_SERVICE_NAME, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        ReadRegistryText(key, "ImagePath", imagePath, sizeof(imagePath) - 1);
        RegCloseKey(key);
    }
    LoadSetupString(IDS_SERVICE_DIR_UNKNOWN, format, sizeof(format));
    ReportRunFailure(NULL, MB_ICONEXCLAMATION, format, RPC_SERVICE_NAME, imagePath);
}

void UninstallAgent(void)
{
    int removeAllFiles = 1;
    char otherDirectory[256] = "", unknownAgent[256] = "";

    if (!IsFullLocalDirectory(SetupState.InstallDir))
        RefuseUnknownAgentDirectory();
    if (!ReadServiceDirectory(SetupState.ServiceDirectory))
        FatalSetupError(IDS_REMOVE_NO_SERVICE);
    // From here on pieces go: the services stopped for the removal stay stopped.
    SetupState.StoppedServices = 0;
    if (!SetupState.ServiceDirectory[0])
        ReportUnplacedService();
    bool sameDirectory = IsSameDirectory(SetupState.ServiceDirectory, SetupState.InstallDir);
    OtherAgentState otherAgent =
        sameDirectory ? FindOtherAgentDirectory(otherDirectory, unknownAgent) : OtherAgentKnown;
    SettleSharedFiles(sameDirectory, otherAgent, otherDirectory, unknownAgent, removeAllFiles);
    RemoveProductEntry();
    UnregisterAgentProduct();
    if (!DeleteAgentFiles(removeAllFiles)) {
        LoadSetupString(IDS_REMOVE_FILES_LEFT, SetupState.Scratch, 256);
        ShowSetupMessage(NULL, MB_TASKMODAL | MB_ICONHAND, SetupState.Scratch);
    }
    RemoveProgramManagerItem();
    RemoveRegistrationForRemoval();
}

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"
#include "setup/uninstall/uninstall.h"

static void RemoveProgramManagerItem(void)
{
    char group[256], item[256], command[SETUP_PATH_SIZE + 16];
    LoadSetupString(IDS_PROGMAN_GROUP, group, sizeof(group));
    LoadSetupString(IDS_PROGMAN_ITEM, item, sizeof(item));
    lstrcpynA(command, JoinStrings(SetupState.InstallDir, "\\" AGENT_NOTES_FILE), sizeof(command));
    FRemoveProgManItem(group, item, command);
}

void UninstallAgent(void)
{
    int removeAllFiles = 1;
    char otherDirectory[256] = "";

    if (!ReadServiceDirectory(SetupState.ServiceDirectory))
        FatalSetupError(IDS_REMOVE_NO_SERVICE);
    bool sameDirectory = lstrcmpiA(SetupState.ServiceDirectory, SetupState.InstallDir) == 0;
    bool otherAgent = sameDirectory ? FindOtherAgentDirectory(otherDirectory) : true;
    SettleSharedFiles(sameDirectory, otherAgent, otherDirectory, removeAllFiles);
    RemoveProductEntry();
    UnregisterAgentProduct();
    if (!DeleteAgentFiles(removeAllFiles)) {
        LoadSetupString(IDS_REMOVE_FILES_LEFT, SetupState.Scratch, 256);
        ShowSetupMessage(NULL, MB_TASKMODAL | MB_ICONHAND, SetupState.Scratch);
    }
    RemoveProgramManagerItem();
}

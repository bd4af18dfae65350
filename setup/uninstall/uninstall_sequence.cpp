#include <shlwapi.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/shell/diagnostics.h"
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

// The directory the "dll" value names holds the agent's library, or a
// removal that began there was interrupted and took it already.
static bool NamesAgentDirectory(void)
{
    char library[SETUP_PATH_SIZE + 16];
    if (!IsFullLocalDirectory(SetupState.InstallDir))
        return false;
    if (JoinPath(library, sizeof(library), SetupState.InstallDir, AGENT_LIBRARY_FILE) &&
        GetFileAttributesA(library) != INVALID_FILE_ATTRIBUTES)
        return true;
    HKEY key;
    DWORD begun = 0, size = sizeof(begun);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegQueryValueExA(key, AGENT_VALUE_REMOVAL_BEGUN, NULL, NULL, (LPBYTE)&begun, &size);
    RegCloseKey(key);
    return begun == 1;
}

// Written before the first piece goes: a later run then knows the directory
// was the agent's even when its files are already gone.
static void MarkRemovalBegun(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    DWORD begun = 1;
    RegSetValueExA(key, AGENT_VALUE_REMOVAL_BEGUN, 0, REG_DWORD, (const BYTE *)&begun, sizeof(begun));
    RegCloseKey(key);
}

bool ReadInstallationToRemove(void)
{
    if (ReadPreviousInstallation()) {
        if (!NamesAgentDirectory())
            RefuseUnknownAgentDirectory();
        return true;
    }
    if (RegKeyExists(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY))
        RefuseUnknownAgentDirectory();
    if (RegKeyExists(HKEY_LOCAL_MACHINE, SERVICES_KEY RPC_SERVICE_NAME))
        FatalSetupError(IDS_REMOVE_NO_SERVICE);
    if (!RegKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY))
        FatalSetupError(IDS_REMOVE_NOT_INSTALLED);
    // An interrupted removal took everything but the entry: it goes now.
    LogSetupMessage("Setup removed the Programs and Features entry and the copy of Setup that an interrupted "
                    "removal left.");
    RemoveRegistrationForRemoval();
    return false;
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

// What tells a later run that the agent is here, and where (its key, then
// the Programs and Features entry) goes last, so that a run interrupted at
// any step can be finished by the next one.
void UninstallAgent(void)
{
    int removeAllFiles = 1;
    char otherDirectory[256] = "", unknownAgent[256] = "";

    if (!NamesAgentDirectory())
        RefuseUnknownAgentDirectory();
    bool serviceFound = false;
    if (!ReadServiceDirectory(SetupState.ServiceDirectory, &serviceFound))
        FatalSetupError(IDS_REMOVE_NO_SERVICE);
    MarkRemovalBegun();
    // The services that stay (kept or handed over) are given back as found.
    DWORD stopped = SetupState.StoppedServices;
    SetupState.StoppedServices = 0;
    if (serviceFound && !SetupState.ServiceDirectory[0])
        ReportUnplacedService();
    // Services an earlier run removed leave the decision to the other agents.
    bool sameDirectory = !serviceFound || IsSameDirectory(SetupState.ServiceDirectory, SetupState.InstallDir);
    OtherAgentState otherAgent =
        sameDirectory ? FindOtherAgentDirectory(otherDirectory, unknownAgent) : OtherAgentKnown;
    SetupState.StoppedServices =
        stopped & SettleSharedServices(sameDirectory, otherAgent, otherDirectory, unknownAgent, removeAllFiles);
    StopHereIfSwitched(1);
    RemoveProductEntry();
    UnregisterAgentProduct();
    StopHereIfSwitched(2);
    RemoveProgramManagerItem();
    StopHereIfSwitched(3);
    if (DeleteAgentFiles(removeAllFiles) == FilesLeftBehind) {
        // The key and the entry stay, so that a later run can finish.
        LoadSetupString(IDS_REMOVE_FILES_LEFT, SetupState.Scratch, 256);
        ShowSetupMessage(NULL, MB_TASKMODAL | MB_ICONHAND, SetupState.Scratch);
        return;
    }
    StopHereIfSwitched(4);
    RemoveAgentKeys(sameDirectory && otherAgent == NoOtherAgent);
    StopHereIfSwitched(5);
    RemoveRegistrationForRemoval();
}

#include <shlwapi.h>
#include <string.h>

#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"

static const char MissingInstallPath[] = "cucu";

[[noreturn]] static void ReportConfigurationFailure(void)
{
    char description[256];
    LoadSetupString(IDS_CONFIG_FILE_BAD, SetupState.Scratch, 256);
    LogSetupMessage("%s input from file %s", SetupState.Scratch, SetupState.ConfigFile);
    wnsprintfA(description, sizeof(description), "%s input from file %s", SetupState.Scratch,
               SetupState.ConfigFile);
    description[sizeof(description) - 1] = '\0';
    AppendMifStatus(0, description);
    // The failure record is written: the fatal error must not add another.
    SetupState.RunFlags &= ~RF_SMS;
    FatalSetupError(1024);
}

void ReadUnattendedConfig(void)
{
    if (!FileExistsOnValidPath(SetupState.ConfigFile, 0))
        ReportConfigurationFailure();

    GetPrivateProfileStringA("Settings", "InstallPath", MissingInstallPath, SetupState.InstallDir,
                             SETUP_PATH_SIZE, SetupState.ConfigFile);
    if (memcmp(SetupState.InstallDir, MissingInstallPath, sizeof(MissingInstallPath)) == 0)
        ReportConfigurationFailure();

    // A plain byte test, as the file's author typed the path.
    int length = lstrlenA(SetupState.InstallDir);
    if (length == 0 || SetupState.InstallDir[length - 1] != '\\') {
        if (length >= SETUP_PATH_SIZE - 1) {
            LogSetupMessage("InstallPath in %s is longer than %d characters",
                            SetupState.ConfigFile, SETUP_PATH_SIZE - 2);
            ReportConfigurationFailure();
        }
        lstrcatA(SetupState.InstallDir, "\\");
    }

    GetPrivateProfileStringA("SQL Account Info", "ID", "sa", SetupState.SqlLogin, SETUP_ACCOUNT_SIZE,
                             SetupState.ConfigFile);
    GetPrivateProfileStringA("SQL Account Info", "Password", "", SetupState.SqlPassword,
                             SETUP_ACCOUNT_SIZE, SetupState.ConfigFile);
}

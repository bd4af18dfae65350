#include <shlwapi.h>
#include <string.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"

static const char MissingInstallPath[] = "cucu";

[[noreturn]] static void ReportConfigurationFailure(void)
{
    char description[MIF_DESCRIPTION_SIZE];
    if (SetupState.ConfigFileRefusal) {
        // No file was looked for: its name could not be used.
        LoadSetupString(SetupState.ConfigFileRefusal, description, sizeof(description));
    } else {
        LoadSetupString(IDS_CONFIG_FILE_BAD, SetupState.Scratch, 256);
        wnsprintfA(description, sizeof(description), "%s input from file %s", SetupState.Scratch,
                   SetupState.ConfigFile);
        description[sizeof(description) - 1] = '\0';
    }
    EndRunWithFailure(description);
}

// A value is refused, never used in part. The texts name the key and the
// file; a value itself only where it is no secret.
[[noreturn]] static void RefuseLongValue(LPCSTR key, int longest)
{
    char format[256], text[MIF_DESCRIPTION_SIZE];
    LoadSetupString(IDS_CONFIG_VALUE_TOO_LONG, format, sizeof(format));
    wnsprintfA(text, sizeof(text), format, key, longest, SetupState.ConfigFile);
    text[sizeof(text) - 1] = '\0';
    EndRunWithFailure(text);
}

[[noreturn]] static void RefuseInstallPath(LPCSTR value)
{
    char format[256], text[MIF_DESCRIPTION_SIZE];
    LoadSetupString(IDS_INSTALL_PATH_UNUSABLE, format, sizeof(format));
    wnsprintfA(text, sizeof(text), format, value, SetupState.ConfigFile);
    text[sizeof(text) - 1] = '\0';
    EndRunWithFailure(text);
}

// Reads a value that must fit `size` bytes whole; a longer one is refused.
static void ReadConfigValue(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR value, int size)
{
    char whole[SETUP_PATH_SIZE + 2];
    DWORD length = GetPrivateProfileStringA(section, key, fallback, whole, sizeof(whole), SetupState.ConfigFile);
    if ((int)length >= size)
        RefuseLongValue(key, size - 1);
    lstrcpynA(value, whole, size);
}

// The agent's directory must mean the same to the service manager as to
// setup, and the removal must be able to read its library path back.
static bool IsUsableInstallPath(LPCSTR path)
{
    if (!IsFullLocalPath(path) || strchr(path, '%') || !FValidDir(path))
        return false;
    char root[4] = {path[0], ':', '\\', '\0'};
    return GetDriveTypeA(root) == DRIVE_FIXED;
}

// The longest InstallPath, not counting a final backslash.
#define INSTALL_PATH_LONGEST (INSTALL_DIR_LONGEST - 1)

static void ReadInstallPath(void)
{
    char path[SETUP_PATH_SIZE + 2];
    GetPrivateProfileStringA("Settings", "InstallPath", MissingInstallPath, path, sizeof(path),
                             SetupState.ConfigFile);
    if (memcmp(path, MissingInstallPath, sizeof(MissingInstallPath)) == 0)
        ReportConfigurationFailure();
    // A plain byte test, as the file's author typed the path.
    int length = lstrlenA(path);
    if (length > 0 && path[length - 1] == '\\')
        path[--length] = '\0';
    if (length > INSTALL_PATH_LONGEST)
        RefuseLongValue("InstallPath", INSTALL_PATH_LONGEST);
    lstrcpyA(SetupState.InstallDir, path);
    lstrcatA(SetupState.InstallDir, "\\");
    if (!IsUsableInstallPath(SetupState.InstallDir))
        RefuseInstallPath(path);
}

void ReadUnattendedConfig(void)
{
    if (!SetupState.ConfigFile[0] || !FileExistsOnValidPath(SetupState.ConfigFile, 0))
        ReportConfigurationFailure();
    ReadInstallPath();
    ReadConfigValue("SQL Account Info", "ID", "sa", SetupState.SqlLogin, SETUP_ACCOUNT_SIZE);
    ReadConfigValue("SQL Account Info", "Password", "", SetupState.SqlPassword, SETUP_ACCOUNT_SIZE);
}

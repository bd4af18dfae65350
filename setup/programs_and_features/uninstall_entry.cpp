#include <shlwapi.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/messages/messages.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/shell/setup_state.h"

static LONG SetEntryText(HKEY key, LPCSTR name, LPCSTR text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)lstrlenA(text) + 1);
}

static LONG SetEntryNumber(HKEY key, LPCSTR name, DWORD number)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&number, sizeof(number));
}

// The kilobytes the files take, as setup.inf lists them.
static DWORD EstimatedSizeKb(void)
{
    LONGLONG bytes = LcbGetCopyListSize();
    LONGLONG kilobytes = bytes > 0 ? (bytes + 1023) / 1024 : 0;
    return kilobytes > 0xFFFFFFFF ? 0xFFFFFFFF : (DWORD)kilobytes;
}

// What an administrator looks for beside the name: the icon (the kept
// setup's own), the release notes, and where to get help: the support
// address the release was built with, or else the release notes.
static LONG WriteSupportValues(HKEY key, LPCSTR copyDirectory)
{
    char icon[MAX_PATH + 32], notes[MAX_PATH + 16];
    wnsprintfA(icon, sizeof(icon), "%s\\setup.exe,0", copyDirectory);
    // The directory is refused long before its notes could not be named.
    if (!JoinPath(notes, sizeof(notes), SetupState.InstallDir, AGENT_NOTES_FILE))
        return ERROR_FILENAME_EXCED_RANGE;
    LONG status = SetEntryText(key, "DisplayIcon", icon);
    if (status == ERROR_SUCCESS)
        status = SetEntryText(key, "Readme", notes);
    if (status == ERROR_SUCCESS)
        status = SetEntryText(key, "HelpLink", PRODUCT_HELP_LINK[0] ? PRODUCT_HELP_LINK : notes);
    if (status == ERROR_SUCCESS)
        status = SetEntryText(key, "Contact", PRODUCT_CONTACT);
    return status;
}

static LONG WriteEntryValues(HKEY key, LPCSTR copyDirectory)
{
    char removal[MAX_PATH + 32], quietRemoval[MAX_PATH + 32], installDate[16];
    wnsprintfA(removal, sizeof(removal), "\"%s\\setup.exe\" REMOVE", copyDirectory);
    wnsprintfA(quietRemoval, sizeof(quietRemoval), "\"%s\\setup.exe\" SMSUNINSTALL", copyDirectory);
    SYSTEMTIME today;
    GetLocalTime(&today);
    wnsprintfA(installDate, sizeof(installDate), "%04d%02d%02d", today.wYear, today.wMonth, today.wDay);
    LONG status = SetEntryText(key, "DisplayName", PRODUCT_NAME);
    if (status == ERROR_SUCCESS)
        status = SetEntryText(key, "DisplayVersion", PRODUCT_VERSION);
    if (status == ERROR_SUCCESS)
        status = SetEntryText(key, "Publisher", PRODUCT_PUBLISHER);
    if (status == ERROR_SUCCESS)
        status = SetEntryText(key, "InstallLocation", SetupState.InstallDir);
    if (status == ERROR_SUCCESS)
        status = SetEntryText(key, "InstallDate", installDate);
    if (status == ERROR_SUCCESS)
        status = SetEntryText(key, "UninstallString", removal);
    if (status == ERROR_SUCCESS)
        status = SetEntryText(key, "QuietUninstallString", quietRemoval);
    if (status == ERROR_SUCCESS)
        status = SetEntryNumber(key, "EstimatedSize", EstimatedSizeKb());
    if (status == ERROR_SUCCESS)
        status = SetEntryNumber(key, "NoModify", 1);
    if (status == ERROR_SUCCESS)
        status = SetEntryNumber(key, "NoRepair", 1);
    if (status == ERROR_SUCCESS)
        status = WriteSupportValues(key, copyDirectory);
    return status;
}

DWORD WriteUninstallEntry(LPCSTR copyDirectory)
{
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                                  NULL);
    if (status != ERROR_SUCCESS)
        return (DWORD)status;
    status = WriteEntryValues(key, copyDirectory);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY);
    return (DWORD)status;
}

// The entry and the copy go together: an entry whose command is gone would
// be a dead line in Programs and Features.
void RegisterForRemoval(void)
{
    char copy[MAX_PATH];
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (GetRemovalCopyDirectory(copy, sizeof(copy)) && KeepRemovalCopy())
        error = WriteUninstallEntry(copy);
    else
        error = GetLastError();
    if (error == 0)
        return;
    char format[256];
    LoadSetupString(IDS_REMOVAL_NOT_REGISTERED, format, sizeof(format));
    ReportRunFailure(SetupState.FrameWindow, MB_ICONEXCLAMATION, format, error);
}

void RemoveRegistrationForRemoval(void)
{
    LONG status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, UNINSTALL_ENTRY_KEY);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        char format[256];
        LoadSetupString(IDS_REGISTRY_LEFT, format, sizeof(format));
        ReportRunFailure(NULL, MB_ICONEXCLAMATION, format, UNINSTALL_ENTRY_KEY);
    }
    RemoveRemovalCopy();
}

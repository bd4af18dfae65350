// The order of the record: noted before anything changes, made final or
// given back once, and finished by the next run when a run was stopped.
// "state" says how far a run got: 1 while it changes the machine, 2 once it
// succeeded and only deletes what it set aside.
#include <shlobj.h>
#include <shlwapi.h>
#include <stdlib.h>

#include "platform/setup-toolkit/setuptk.h"
#include "product.h"
#include "setup/agent_rules/access_lists.h"
#include "setup/agent_rules/agent_rules.h"
#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/rollback/rollback.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/diagnostics.h"
#include "setup/toolkit/toolkit.h"

static const DWORD kChanging = 1;
static const DWORD kSucceeded = 2;
static bool g_active = false;
static bool g_givenBack = false;
static InstallStep g_lastStep;
static DWORD g_error;

// The record holds a copy of the configuration key, login and password
// included: it gets that key's list (Administrators and SYSTEM only), and a
// record that cannot have it is not made.
HKEY OpenInstallRecord(bool create)
{
    HKEY record = NULL;
    if (!create)
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, INSTALL_RECORD_KEY, 0, KEY_ALL_ACCESS, &record) == ERROR_SUCCESS
                   ? record
                   : NULL;
    AgentSecurity security;
    if (!BuildAgentKeySecurity(&security))
        return NULL;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, INSTALL_RECORD_KEY, 0, NULL, 0, KEY_ALL_ACCESS, &security.Attributes,
                        &record, NULL) != ERROR_SUCCESS)
        return NULL;
    if (RegSetKeySecurity(record, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                          &security.Descriptor) != ERROR_SUCCESS) {
        RegCloseKey(record);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, INSTALL_RECORD_KEY);
        return NULL;
    }
    return record;
}

static void DeleteInstallRecord(HKEY record)
{
    RegCloseKey(record);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, INSTALL_RECORD_KEY);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, INSTALL_RECORD_KEY);
}

static bool ShortcutPath(LPSTR path, int size)
{
    char programs[MAX_PATH], group[256], item[256], folder[MAX_PATH], name[300];
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS, NULL, SHGFP_TYPE_CURRENT, programs)))
        return false;
    LoadSetupString(IDS_PROGMAN_GROUP, group, sizeof(group));
    LoadSetupString(IDS_PROGMAN_ITEM, item, sizeof(item));
    wnsprintfA(name, sizeof(name), "%s.lnk", item);
    name[sizeof(name) - 1] = '\0';
    return JoinPath(folder, sizeof(folder), programs, group) && JoinPath(path, size, folder, name);
}

// The kept copy of an earlier install, moved aside while the new one is made.
static bool RemovalCopyAside(LPSTR copy, LPSTR aside, int size)
{
    if (!GetRemovalCopyDirectory(copy, size))
        return false;
    wnsprintfA(aside, size, "%s.earlier", copy);
    aside[size - 1] = '\0';
    return true;
}

static void RecordInstallDirectory(HKEY record)
{
    RegSetValueExA(record, "directory", 0, REG_SZ, (const BYTE *)SetupState.InstallDir,
                   (DWORD)lstrlenA(SetupState.InstallDir) + 1);
    WriteRecordNumber(record, "directory.made", GetFileAttributesA(SetupState.InstallDir) == INVALID_FILE_ATTRIBUTES);
}

static void SetRemovalCopyAside(HKEY record)
{
    char copy[MAX_PATH], aside[MAX_PATH];
    bool exists = RemovalCopyAside(copy, aside, MAX_PATH) && GetFileAttributesA(copy) != INVALID_FILE_ATTRIBUTES;
    // The program that runs from there cannot move its own folder.
    bool movable = exists && !RunsFromRemovalCopy();
    WriteRecordNumber(record, "copy.existed", exists);
    WriteRecordNumber(record, "copy.aside", movable);
    if (movable && !MoveFileA(copy, aside))
        WriteRecordNumber(record, "copy.aside", 0);
}

static void GiveRemovalCopyBack(HKEY record)
{
    char copy[MAX_PATH], aside[MAX_PATH];
    if (!RemovalCopyAside(copy, aside, MAX_PATH))
        return;
    if (ReadRecordNumber(record, "copy.aside")) {
        if (GetFileAttributesA(aside) == INVALID_FILE_ATTRIBUTES)
            return;
        DeleteRemovalFiles(copy);
        MoveFileA(aside, copy);
    } else if (!ReadRecordNumber(record, "copy.existed") && !RunsFromRemovalCopy()) {
        DeleteRemovalCopyNow();
    }
}

static void ReadRecordDirectory(HKEY record, LPSTR directory, DWORD size)
{
    directory[0] = '\0';
    RegGetValueA(record, NULL, "directory", RRF_RT_REG_SZ, NULL, directory, &size);
}

// The agent's directory as it was: the copy undone, and a directory the run
// made removed with what the agent wrote in it meanwhile.
static bool GiveFilesBack(HKEY record)
{
    char directory[SETUP_PATH_SIZE], log[SETUP_PATH_SIZE + 16];
    ReadRecordDirectory(record, directory, sizeof(directory));
    if (directory[0] == '\0')
        return true;
    bool whole = FRollBackCopy(directory) != FALSE;
    if (ReadRecordNumber(record, "directory.made")) {
        if (JoinPath(log, sizeof(log), directory, AGENT_LOG_FILE))
            DeleteFileA(log);
        RemoveDirectoryA(directory);
    }
    return whole;
}

static bool GiveBack(HKEY record)
{
    char shortcut[MAX_PATH];
    // The new services go first: running, they would hold the new files.
    RemoveNewAgentServices(record);
    bool whole = GiveFilesBack(record);
    RestoreKey(record, "config", AGENT_CONFIG_KEY);
    RestoreValue(record, "product", AGENT_PRODUCTS_KEY, AGENT_PRODUCT_VALUE);
    RestoreKey(record, "entry", UNINSTALL_ENTRY_KEY);
    if (ShortcutPath(shortcut, sizeof(shortcut))) {
        RestoreFileBytes(record, "shortcut", shortcut);
        char folder[MAX_PATH];
        lstrcpynA(folder, shortcut, sizeof(folder));
        PathRemoveFileSpecA(folder);
        RemoveDirectoryA(folder);
    }
    GiveRemovalCopyBack(record);
    return RestoreAgentServices(record) && whole;
}

static void DeleteWhatWasSetAside(HKEY record)
{
    char directory[SETUP_PATH_SIZE], copy[MAX_PATH], aside[MAX_PATH];
    ReadRecordDirectory(record, directory, sizeof(directory));
    if (directory[0] != '\0')
        FCommitCopy(directory);
    if (ReadRecordNumber(record, "copy.aside") && RemovalCopyAside(copy, aside, MAX_PATH))
        DeleteRemovalFiles(aside);
}

// A run stopped part-way: undone, or, once it had succeeded, finished.
static void FinishStoppedRun(void)
{
    HKEY record = OpenInstallRecord(false);
    if (!record)
        return;
    DWORD state = ReadRecordNumber(record, "state");
    if (state == kSucceeded) {
        LogSetupMessage("Setup finishes the install that was stopped after it succeeded.");
        DeleteWhatWasSetAside(record);
    } else if (state == kChanging) {
        LogSetupMessage("Setup gives back the machine as it was before an install that was stopped part-way.");
        GiveBack(record);
    }
    DeleteInstallRecord(record);
}

void BeginInstallRecord(void)
{
    FinishStoppedRun();
    PassInstallStep(StepEarlierRunFinished);
    HKEY record = OpenInstallRecord(true);
    if (!record) {
        LogSetupMessage("Setup cannot note the machine before the install (Windows error %lu).", GetLastError());
        FatalSetupError(1024);
    }
    char shortcut[MAX_PATH];
    RecordInstallDirectory(record);
    RecordAgentServices(record);
    RecordKey(record, "config", AGENT_CONFIG_KEY);
    RecordValue(record, "product", AGENT_PRODUCTS_KEY, AGENT_PRODUCT_VALUE);
    RecordKey(record, "entry", UNINSTALL_ENTRY_KEY);
    if (ShortcutPath(shortcut, sizeof(shortcut)))
        RecordFileBytes(record, "shortcut", shortcut);
    WriteRecordNumber(record, "state", kChanging);
    SetRemovalCopyAside(record);
    RegCloseKey(record);
    g_active = true;
}

bool InstallRecordActive(void)
{
    return g_active;
}

void EndInstallRecord(void)
{
    if (!g_active)
        return;
    g_active = false;
    HKEY record = OpenInstallRecord(false);
    if (!record)
        return;
    WriteRecordNumber(record, "state", kSucceeded);
    PassInstallStep(StepSucceeded);
    DeleteWhatWasSetAside(record);
    DeleteInstallRecord(record);
}

static bool EarlierAgentNoted(HKEY record)
{
    return ReadRecordNumber(record, "config") || ReadRecordNumber(record, "service0.exists");
}

bool GiveMachineBack(void)
{
    if (!g_active)
        return true;
    g_active = false;
    HKEY record = OpenInstallRecord(false);
    if (!record)
        return true;
    bool earlier = EarlierAgentNoted(record);
    bool whole = GiveBack(record);
    DeleteInstallRecord(record);
    g_givenBack = true;
    SetupState.StoppedServices = 0;
    UINT note = !whole ? IDS_ROLLBACK_INCOMPLETE : earlier ? IDS_ROLLBACK_EARLIER_KEPT : IDS_ROLLBACK_NOTHING_LEFT;
    LoadSetupString(note, SetupState.RollbackNote, sizeof(SetupState.RollbackNote));
    LogSetupMessage("%s", SetupState.RollbackNote);
    return whole;
}

void AppendRollbackNote(LPSTR text, int size)
{
    int length = lstrlenA(text);
    int note = lstrlenA(SetupState.RollbackNote);
    if (note == 0 || length + 1 + note >= size)
        return;
    text[length] = ' ';
    lstrcpynA(text + length + 1, SetupState.RollbackNote, size - length - 1);
}


// What the run was doing after each step, indexed by the step last done.
static const UINT kNextStepText[] = {
    IDS_STEP_STOP_SERVICES, IDS_STEP_STOP_SERVICES, IDS_STEP_STOP_SERVICES, IDS_STEP_DIRECTORY,
    IDS_STEP_COPY,          IDS_STEP_CONFIGURATION, IDS_STEP_PRODUCT,       IDS_STEP_SHORTCUT,
    IDS_STEP_SERVICES,      IDS_STEP_START,         IDS_STEP_ENTRY,         IDS_STEP_ENTRY,
};

void NoteInstallError(DWORD error)
{
    g_error = error;
}

static void DescribeReason(UINT id, LPSTR reason, int size)
{
    if (g_error != 0) {
        char system[200] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, g_error, 0, system,
                       sizeof(system), NULL);
        StrTrimA(system, " \r\n.");
        wnsprintfA(reason, size, "%s (Windows error %lu).", system, g_error);
        reason[size - 1] = '\0';
    } else if (id == IDS_GENERAL_FAILURE || LoadSetupString(id, reason, size) == 0) {
        LoadSetupString(IDS_REASON_IN_LOG, reason, size);
    }
}

bool DescribeGivenBackInstall(UINT id, LPSTR text, int size)
{
    if (!g_givenBack)
        return false;
    char format[128], step[128], reason[256];
    LoadSetupString(kNextStepText[g_lastStep], step, sizeof(step));
    if (id == IDS_QUIT_DURING_TOOLKIT) {
        LoadSetupString(IDS_INSTALL_CANCELLED_AT, format, sizeof(format));
        wnsprintfA(text, size, format, step);
    } else {
        LoadSetupString(IDS_INSTALL_FAILED_AT, format, sizeof(format));
        DescribeReason(id, reason, sizeof(reason));
        wnsprintfA(text, size, format, step, reason);
    }
    text[size - 1] = '\0';
    AppendRollbackNote(text, size);
    return true;
}

void PassInstallStep(InstallStep step)
{
    g_lastStep = step;
    g_error = 0;
    StopHereIfSwitched(step);
    if (DiagnosticsSwitchNames("SETUP_FAIL_AFTER_STEP", step))
        FatalSetupError(IDS_GENERAL_FAILURE);
}

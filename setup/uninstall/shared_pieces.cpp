#include <shlwapi.h>
#include <string.h>

#include "resources/resource_ids.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"
#include "setup/uninstall/uninstall.h"

#define RPC_SERVICE_KEY   SERVICES_KEY RPC_SERVICE_NAME
#define BRD_SERVICE_KEY   SERVICES_KEY BRD_SERVICE_NAME
#define REMOVAL_PATH_SIZE 256

// The directory of a full program or library path; false when the path does
// not say where it lies.
static bool DirectoryOfFullPath(LPSTR path, LPSTR directory)
{
    if (!IsFullLocalPath(path))
        return false;
    CutAtLastBackslash(path, directory);
    return true;
}

bool ReadServiceDirectory(LPSTR destination, bool *found)
{
    destination[0] = '\0';
    *found = RegKeyExists(HKEY_LOCAL_MACHINE, RPC_SERVICE_KEY) != 0;
    if (!*found)
        return true;
    char program[REMOVAL_PATH_SIZE];
    if (!ReadServiceProgram(RPC_SERVICE_KEY, program, sizeof(program)))
        return false;
    // A program the service manager would look for elsewhere leaves the
    // directory empty: it is nobody's directory.
    DirectoryOfFullPath(program, destination);
    return true;
}

// The family's other agents come from 32-bit setup programs: on 64-bit
// Windows their keys are in the 32-bit view, which this setup only reads.
static const REGSAM RegistryViews[2] = {0, KEY_WOW64_32KEY};

// An agent's directory from the "dll" value of its key.
static bool ReadAgentDirectory(HKEY agents, LPCSTR name, LPSTR destination)
{
    HKEY agent;
    if (RegOpenKeyExA(agents, name, 0, KEY_READ, &agent) != ERROR_SUCCESS)
        return false;
    char library[REMOVAL_PATH_SIZE];
    bool read = ReadRegistryText(agent, AGENT_VALUE_LIBRARY, library, REMOVAL_PATH_SIZE - 1);
    RegCloseKey(agent);
    return read && DirectoryOfFullPath(library, destination);
}

// The agents of one registry view; this agent's own key counts only in the
// 32-bit view, where this setup never writes.
static OtherAgentState FindOtherAgentIn(REGSAM view, LPSTR destination, LPSTR unknownName)
{
    HKEY agents;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_AGENTS_KEY, 0, KEY_READ | view, &agents);
    if (status == ERROR_FILE_NOT_FOUND && view)
        return NoOtherAgent;
    if (status != ERROR_SUCCESS)
        FatalSetupError(IDS_REMOVE_NO_SERVICE);
    char name[256];
    OtherAgentState state = NoOtherAgent;
    for (DWORD index = 0; RegEnumKeyA(agents, index, name, sizeof(name)) == ERROR_SUCCESS; index++) {
        if (!name[0] || (!view && lstrcmpiA(name, AGENT_CONFIG_NAME) == 0))
            continue;
        if (ReadAgentDirectory(agents, name, destination)) {
            state = OtherAgentKnown;
            break;
        }
        // Still an agent of the family: its pieces must not be taken.
        if (state == NoOtherAgent)
            lstrcpynA(unknownName, name, REMOVAL_PATH_SIZE);
        state = OtherAgentUnknown;
    }
    RegCloseKey(agents);
    return state;
}

OtherAgentState FindOtherAgentDirectory(LPSTR destination, LPSTR unknownName)
{
    char firstUnknown[REMOVAL_PATH_SIZE] = "";
    OtherAgentState found = NoOtherAgent;
    for (REGSAM view : RegistryViews) {
        char unknown[REMOVAL_PATH_SIZE] = "";
        OtherAgentState state = FindOtherAgentIn(view, destination, unknown);
        if (state == OtherAgentKnown)
            return state;
        if (state == OtherAgentUnknown && found == NoOtherAgent) {
            lstrcpyA(firstUnknown, unknown);
            found = state;
        }
    }
    if (found == OtherAgentUnknown)
        lstrcpyA(unknownName, firstUnknown);
    return found;
}

// The service manager keeps each service's program path in memory: without
// being told, it would go on starting the old program until a restart.
static bool TellServiceManagerImagePath(LPCSTR serviceKey, LPCSTR executablePath)
{
    LPCSTR name = strrchr(serviceKey, '\\');
    name = name ? name + 1 : serviceKey;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return false;
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_CHANGE_CONFIG);
    bool told = service && ChangeServiceConfigA(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                                executablePath, NULL, NULL, NULL, NULL, NULL, NULL);
    DWORD error = GetLastError();
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    SetLastError(error);
    return told;
}

// The registry first: it is what the service manager reads at the next
// start of Windows. The manager is told only when that write stood.
bool SetServiceImagePath(LPCSTR serviceKey, LPCSTR executablePath)
{
    // What a later removal can read back, quotation marks included.
    char imagePath[SERVICE_IMAGE_PATH_SIZE];
    if (!ServiceImagePathOf(executablePath, imagePath, sizeof(imagePath) - 1)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, serviceKey, 0, KEY_SET_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, "ImagePath", 0, REG_EXPAND_SZ, (const BYTE *)imagePath,
                                (DWORD)lstrlenA(imagePath) + 1);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) {
        SetLastError((DWORD)status);
        return false;
    }
    return TellServiceManagerImagePath(serviceKey, imagePath);
}

static bool LastWriteTime(LPCSTR path, LONGLONG *seconds)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return false;
    FILETIME local;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    ULARGE_INTEGER ticks;
    ticks.LowPart = local.dwLowDateTime;
    ticks.HighPart = local.dwHighDateTime;
    *seconds = (LONGLONG)(ticks.QuadPart / 10000000ULL);
    return true;
}

static void ReportHandOverFailed(LPCSTR otherDirectory, int &removeAllFiles)
{
    DWORD error = GetLastError();
    removeAllFiles = 0;
    char format[256];
    LoadSetupString(IDS_HANDOVER_FAILED, format, sizeof(format));
    ReportRunFailure(NULL, MB_ICONEXCLAMATION, format, otherDirectory, error, SetupState.ServiceDirectory);
}

// The other agent's copy of the service program: the newer of the two. An
// agent without one gets this one, or the services would keep pointing at a
// program about to be deleted.
static bool ProvideServiceProgram(LPCSTR ownCopy, LONGLONG ownTime, LPCSTR otherCopy)
{
    LONGLONG otherTime;
    if (!LastWriteTime(otherCopy, &otherTime))
        return CopyFileA(ownCopy, otherCopy, TRUE) != FALSE;
    if (otherTime < ownTime)
        CopyFileA(ownCopy, otherCopy, FALSE);
    return true;
}

// The services move to the directory of the agent that stays, taking the
// newer of the two service programs with them. The services that still
// exist afterwards are returned, one bit each.
static DWORD HandOverServices(LPCSTR otherDirectory, int &removeAllFiles)
{
    char ownCopy[REMOVAL_PATH_SIZE + 16], otherCopy[REMOVAL_PATH_SIZE + 16];
    LONGLONG ownTime;
    if (!JoinPath(ownCopy, sizeof(ownCopy), SetupState.ServiceDirectory, "kvasvr.exe") || !LastWriteTime(ownCopy, &ownTime)) {
        char format[256];
        LoadSetupString(IDS_HANDOVER_NO_PROGRAM, format, sizeof(format));
        ReportRunFailure(NULL, MB_ICONEXCLAMATION, format, otherDirectory, ownCopy);
        // The services still point here: what they share stays with them.
        removeAllFiles = 0;
        return ALL_AGENT_SERVICES;
    }
    if (!JoinPath(otherCopy, sizeof(otherCopy), otherDirectory, "kvasvr.exe") || !ProvideServiceProgram(ownCopy, ownTime, otherCopy) ||
        !SetServiceImagePath(RPC_SERVICE_KEY, otherCopy)) {
        ReportHandOverFailed(otherDirectory, removeAllFiles);
        return ALL_AGENT_SERVICES;
    }
    removeAllFiles = 1;
    // This setup does not create the broadcast service: one that is not
    // there has nothing to hand over.
    if (!RegKeyExists(HKEY_LOCAL_MACHINE, BRD_SERVICE_KEY))
        return ALL_AGENT_SERVICES;
    char broadcast[REMOVAL_PATH_SIZE + 16];
    if (!JoinPath(broadcast, sizeof(broadcast), otherDirectory, AGENT_BROADCAST_EXE) ||
        GetFileAttributesA(broadcast) == INVALID_FILE_ATTRIBUTES) {
        RemoveService(BRD_SERVICE_NAME);
        return RPC_SERVICE_BIT;
    }
    if (!SetServiceImagePath(BRD_SERVICE_KEY, broadcast))
        ReportHandOverFailed(otherDirectory, removeAllFiles);
    return ALL_AGENT_SERVICES;
}

DWORD SettleSharedServices(bool sameDirectory, OtherAgentState otherAgent, LPCSTR otherDirectory,
                           LPCSTR unknownAgent, int &removeAllFiles)
{
    if (!sameDirectory)
        return ALL_AGENT_SERVICES;
    if (otherAgent == NoOtherAgent) {
        ShowServiceRemovalDialog();
        return 0;
    }
    if (otherAgent == OtherAgentUnknown) {
        removeAllFiles = 0;
        char format[256];
        LoadSetupString(IDS_OTHER_AGENT_UNKNOWN, format, sizeof(format));
        ReportRunFailure(NULL, MB_ICONEXCLAMATION, format, SetupState.InstallDir, unknownAgent);
        return ALL_AGENT_SERVICES;
    }
    if (IsSameDirectory(otherDirectory, SetupState.InstallDir)) {
        removeAllFiles = 0;
        return ALL_AGENT_SERVICES;
    }
    return HandOverServices(otherDirectory, removeAllFiles);
}

void RemoveAgentKeys(bool familyGoes)
{
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY);
    if (familyGoes)
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_FAMILY_KEY);
}

// Products of the family that 32-bit setup programs registered in their view.
static bool OtherProductsIn32BitView(void)
{
    HKEY products;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_PRODUCTS_KEY, 0, KEY_READ | KEY_WOW64_32KEY, &products) !=
        ERROR_SUCCESS)
        return false;
    bool found = false;
    char name[256];
    for (DWORD index = 0; !found; index++) {
        DWORD nameSize = sizeof(name);
        if (RegEnumValueA(products, index, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        found = lstrcmpiA(name, AGENT_PRODUCT_VALUE) != 0;
    }
    RegCloseKey(products);
    return found;
}

void RemoveProductEntry(void)
{
    HKEY products;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_PRODUCTS_KEY, 0, KEY_ALL_ACCESS, &products) !=
        ERROR_SUCCESS)
        return;
    DWORD count = 0;
    for (;; count++) {
        DWORD nameSize = 256;
        if (RegEnumValueA(products, count, SetupState.Scratch, &nameSize, NULL, NULL, NULL, NULL) !=
            ERROR_SUCCESS)
            break;
    }
    if (count == 1 && lstrcmpiA(SetupState.Scratch, AGENT_PRODUCT_VALUE) == 0 && !OtherProductsIn32BitView()) {
        RegCloseKey(products);
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_PRODUCTS_KEY);
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT "\\zeDuzizDiscoveryTable");
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT "\\ServerRecord");
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT "\\SystemSetting");
        return;
    }
    if (count >= 1) {
        LONG status = RegDeleteValueA(products, AGENT_PRODUCT_VALUE);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            char format[256];
            LoadSetupString(IDS_REGISTRY_LEFT, format, sizeof(format));
            ReportRunFailure(NULL, MB_ICONEXCLAMATION, format, AGENT_PRODUCTS_KEY " (value " AGENT_PRODUCT_VALUE ")");
        }
    }
    RegCloseKey(products);
}

// The files that were there and still are; a file already gone (an earlier
// run may have taken it) is no leftover.
struct FilesLeft {
    int count;
    const char *first;
    DWORD firstError;
};

static void NoteFileLeft(FilesLeft &left, const char *name, DWORD error)
{
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || left.count++ > 0)
        return;
    left.first = name;
    left.firstError = error;
}

static void NoteFilesLeft(const FilesLeft &left)
{
    if (left.count == 0)
        return;
    char format[256];
    LoadSetupString(IDS_FILES_LEFT, format, sizeof(format));
    NoteRunFailure(format, left.count, left.first, left.firstError, SetupState.InstallDir);
}

// The toolkit's work folder, with the half copies a killed copy left in it;
// the slots are named by one digit.
static void DeleteCopyWorkFolder(FilesLeft &left)
{
    char folder[REMOVAL_PATH_SIZE + 16];
    if (!JoinPath(folder, sizeof(folder), SetupState.InstallDir, COPY_WORK_FOLDER) || !DirectoryExists(folder))
        return;
    for (int slot = 0; slot < 10; slot++) {
        char name[16], path[REMOVAL_PATH_SIZE + 32];
        wnsprintfA(name, sizeof(name), "copy%d.tmp", slot);
        if (JoinPath(path, sizeof(path), folder, name))
            DeleteSetupFile(path);
    }
    if (!RemoveDirectoryA(folder))
        NoteFileLeft(left, COPY_WORK_FOLDER, GetLastError());
}

// A directory that holds files not the agent's stays, and is reported.
static bool RemoveAgentDirectory(void)
{
    if (RemoveDirectoryA(SetupState.InstallDir))
        return true;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    char format[256];
    LoadSetupString(IDS_DIRECTORY_LEFT, format, sizeof(format));
    NoteRunFailure(format, SetupState.InstallDir, error);
    return false;
}

FilesOutcome DeleteAgentFiles(int removeAllFiles)
{
    FilesLeft left = {0, NULL, 0};
    for (const AgentFile &file : AgentFiles) {
        if (file.shared && removeAllFiles != 1)
            continue;
        char path[REMOVAL_PATH_SIZE + 16];
        bool deleted = JoinPath(path, sizeof(path), SetupState.InstallDir, file.name) && DeleteSetupFile(path);
        if (deleted)
            continue;
        NoteFileLeft(left, file.name, GetLastError());
    }
    DeleteCopyWorkFolder(left);
    NoteFilesLeft(left);
    if (left.count > 0)
        return FilesLeftBehind;
    if (removeAllFiles != 1)
        return FilesGoneDirectoryKept;
    return RemoveAgentDirectory() ? FilesGone : FilesGoneDirectoryKept;
}

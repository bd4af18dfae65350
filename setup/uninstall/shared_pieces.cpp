#include <string.h>

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"
#include "setup/uninstall/uninstall.h"

#define SERVICES_KEY      "SYSTEM\\CurrentControlSet\\Services\\"
#define RPC_SERVICE_KEY   SERVICES_KEY RPC_SERVICE_NAME
#define BRD_SERVICE_KEY   SERVICES_KEY BRD_SERVICE_NAME
#define AGENTS_KEY        AGENT_CONFIG_ROOT "\\agent"
#define OWN_AGENT_NAME    "dorure60"
#define FAMILY_KEY        "SOFTWARE\\Tamarack\\KSAgent"
#define REMOVAL_PATH_SIZE 256

// Reads a text value of at most 255 bytes; a longer value counts as
// unreadable rather than being cut.
static bool ReadShortValue(HKEY key, LPCSTR name, char (&value)[REMOVAL_PATH_SIZE])
{
    DWORD size = REMOVAL_PATH_SIZE - 1;
    if (RegQueryValueExA(key, name, NULL, NULL, (LPBYTE)value, &size) != ERROR_SUCCESS)
        return false;
    value[size < REMOVAL_PATH_SIZE ? size : REMOVAL_PATH_SIZE - 1] = '\0';
    return true;
}

bool ReadServiceDirectory(LPSTR destination)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RPC_SERVICE_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char imagePath[REMOVAL_PATH_SIZE];
    bool read = ReadShortValue(key, "ImagePath", imagePath);
    RegCloseKey(key);
    if (!read)
        return false;
    lstrcpynA(SetupState.Scratch, imagePath, REMOVAL_PATH_SIZE);
    CutAtLastBackslash(SetupState.Scratch, destination);
    return true;
}

bool FindOtherAgentDirectory(LPSTR destination)
{
    HKEY agents;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENTS_KEY, 0, KEY_READ, &agents) != ERROR_SUCCESS)
        FatalSetupError(IDS_REMOVE_NO_SERVICE);
    for (DWORD index = 0;; index++) {
        if (RegEnumKeyA(agents, index, SetupState.Scratch, 256) != ERROR_SUCCESS)
            break;
        if (!SetupState.Scratch[0] || lstrcmpiA(SetupState.Scratch, OWN_AGENT_NAME) == 0)
            continue;
        HKEY agent;
        if (RegOpenKeyExA(agents, SetupState.Scratch, 0, KEY_READ, &agent) != ERROR_SUCCESS)
            continue;
        char library[REMOVAL_PATH_SIZE];
        bool read = ReadShortValue(agent, "dll", library);
        RegCloseKey(agent);
        if (read) {
            CutAtLastBackslash(library, destination);
            RegCloseKey(agents);
            return true;
        }
    }
    RegCloseKey(agents);
    return false;
}

// The service manager keeps each service's program path in memory: without
// being told, it would go on starting the old program until a restart.
static void TellServiceManagerImagePath(LPCSTR serviceKey, LPCSTR executablePath)
{
    LPCSTR name = strrchr(serviceKey, '\\');
    name = name ? name + 1 : serviceKey;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return;
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_CHANGE_CONFIG);
    if (service) {
        ChangeServiceConfigA(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, executablePath,
                             NULL, NULL, NULL, NULL, NULL, NULL);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

bool SetServiceImagePath(LPCSTR serviceKey, LPCSTR executablePath)
{
    TellServiceManagerImagePath(serviceKey, executablePath);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, serviceKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, "ImagePath", 0, REG_EXPAND_SZ, (const BYTE *)executablePath,
                                 (DWORD)lstrlenA(executablePath) + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

static bool JoinPath(char (&path)[REMOVAL_PATH_SIZE + 16], LPCSTR directory, LPCSTR name)
{
    if (lstrlenA(directory) + lstrlenA(name) >= (int)sizeof(path))
        return false;
    lstrcpyA(path, directory);
    lstrcatA(path, name);
    return true;
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

// The services move to the directory of the agent that stays, taking the
// newer of the two service programs with them.
static void HandOverServices(LPCSTR otherDirectory, int &removeAllFiles)
{
    char ownCopy[REMOVAL_PATH_SIZE + 16], otherCopy[REMOVAL_PATH_SIZE + 16];
    LONGLONG ownTime, otherTime;
    if (!JoinPath(ownCopy, SetupState.ServiceDirectory, "\\kvasvr.exe") || !LastWriteTime(ownCopy, &ownTime))
        return;
    if (!JoinPath(otherCopy, otherDirectory, "\\kvasvr.exe") || !LastWriteTime(otherCopy, &otherTime))
        return;
    if (otherTime < ownTime)
        CopyFileA(ownCopy, otherCopy, FALSE);
    if (!SetServiceImagePath(RPC_SERVICE_KEY, otherCopy)) {
        removeAllFiles = 0;
        return;
    }
    removeAllFiles = 1;
    char broadcast[REMOVAL_PATH_SIZE + 16];
    if (!JoinPath(broadcast, otherDirectory, "\\kvabrd.exe") ||
        GetFileAttributesA(broadcast) == INVALID_FILE_ATTRIBUTES)
        RemoveService(BRD_SERVICE_NAME);
    else
        SetServiceImagePath(BRD_SERVICE_KEY, broadcast);
}

void SettleSharedFiles(bool sameDirectory, bool otherAgent, LPCSTR otherDirectory, int &removeAllFiles)
{
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY);
    if (!sameDirectory)
        return;
    if (!otherAgent) {
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, FAMILY_KEY);
        ShowServiceRemovalDialog();
        return;
    }
    if (lstrcmpiA(otherDirectory, SetupState.InstallDir) == 0) {
        removeAllFiles = 0;
        return;
    }
    HandOverServices(otherDirectory, removeAllFiles);
}

void RemoveProductEntry(void)
{
    HKEY products;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT "\\Products", 0, KEY_ALL_ACCESS, &products) !=
        ERROR_SUCCESS)
        return;
    DWORD count = 0;
    for (;; count++) {
        DWORD nameSize = 256;
        if (RegEnumValueA(products, count, SetupState.Scratch, &nameSize, NULL, NULL, NULL, NULL) !=
            ERROR_SUCCESS)
            break;
    }
    if (count == 1 && lstrcmpiA(SetupState.Scratch, "SQL_ZEduziz") == 0) {
        RegCloseKey(products);
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT "\\Products");
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT "\\zeDuzizDiscoveryTable");
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT "\\ServerRecord");
        DeleteRegKeyTree(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT "\\SystemSetting");
        return;
    }
    if (count >= 2)
        RegDeleteValueA(products, "SQL_ZEduziz");
    RegCloseKey(products);
}

struct AgentFile {
    const char *name;
    bool onlyWithAll;
    bool keepsDirectory;
};

static const AgentFile AgentFiles[] = {
    {"\\dorure60.dll", false, true},  {"\\dorure60.wri", false, true}, {"\\dorure60.log", false, false},
    {"\\KSSetup.dll", false, false},  {"\\KSLoad.dll", false, false},  {"\\KSSetup.ini", false, false},
    {"\\kvasvr.exe", true, true},     {"\\kvbrdcst.dll", true, false}, {"\\kvaprod.dll", true, false},
    {"\\kvabrd.exe", true, false},    {"\\KVIPNET.TBL", true, false},  {"\\KVDOMAIN.TBL", true, false},
    {"\\KVIPMASK.TBL", true, false},
};

bool DeleteAgentFiles(int removeAllFiles)
{
    bool keepDirectory = false;
    for (const AgentFile &file : AgentFiles) {
        if (file.onlyWithAll && removeAllFiles != 1)
            continue;
        char path[REMOVAL_PATH_SIZE + 16];
        bool deleted = JoinPath(path, SetupState.InstallDir, file.name) && DeleteFileA(path);
        if (!deleted && file.keepsDirectory)
            keepDirectory = true;
    }
    if (keepDirectory)
        return false;
    RemoveDirectoryA(SetupState.InstallDir);
    return true;
}

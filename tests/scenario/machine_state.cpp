#include "scenario/machine_state.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>

#include "robot/robot.h"
#include "scenario/scenario_support.h"
#include "product.h"

namespace machine {

static void EndServiceProcess(SC_HANDLE service)
{
    SERVICE_STATUS_PROCESS process;
    DWORD needed;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, (LPBYTE)&process, sizeof(process), &needed) ||
        !process.dwProcessId)
        return;
    HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.dwProcessId);
    if (handle) {
        TerminateProcess(handle, 0);
        WaitForSingleObject(handle, 5000);
        CloseHandle(handle);
    }
}

bool StopAndDeleteService(const std::string &name)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return false;
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS);
    bool deleted = false;
    if (service) {
        SERVICE_STATUS status = {};
        if (ControlService(service, SERVICE_CONTROL_STOP, &status)) {
            for (int i = 0; i < 50 && QueryServiceStatus(service, &status) &&
                            status.dwCurrentState != SERVICE_STOPPED;
                 i++)
                Sleep(100);
        } else {
            QueryServiceStatus(service, &status);
        }
        // A service that refuses to stop, or never finishes stopping: end its process.
        if (status.dwCurrentState != SERVICE_STOPPED)
            EndServiceProcess(service);
        deleted = DeleteService(service) != FALSE;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return deleted;
}

bool RestartWithStopBehaviour(const std::string &name, DWORD behaviour)
{
    HKEY key;
    std::string parameters = "SYSTEM\\CurrentControlSet\\Services\\" + name + "\\Parameters";
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, parameters.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return false;
    RegSetValueExA(key, "StopBehaviour", 0, REG_DWORD, (const BYTE *)&behaviour, sizeof(behaviour));
    RegCloseKey(key);
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS);
    SERVICE_STATUS status;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    WaitForServiceState(name, SERVICE_STOPPED, 10000);
    StartServiceA(service, 0, NULL);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return WaitForServiceState(name, SERVICE_RUNNING, 15000) == SERVICE_RUNNING;
}

void CleanMachine(const std::string &installDir)
{
    StopAndDeleteService(RPC_SERVICE_NAME);
    StopAndDeleteService(BRD_SERVICE_NAME);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tamarack");
    scenario::RemoveDirectoryTree(installDir);
    std::string folder = StartMenuFolder();
    if (!folder.empty())
        scenario::RemoveDirectoryTree(folder);
    scenario::ForgetEarlierRuns();
}

// Every value below the key, with its type and data, one line each.
static void DescribeKey(HKEY root, const std::string &path, std::string &text)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    text += "[" + path + "]\n";
    for (DWORD index = 0;; index++) {
        char name[256], data[2048];
        DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, NULL, &type, (LPBYTE)data, &dataSize) != ERROR_SUCCESS)
            break;
        text += std::string(name) + "=" + std::to_string(type) + ":" + std::string(data, dataSize) + "\n";
    }
    for (DWORD index = 0;; index++) {
        char name[256];
        if (RegEnumKeyA(key, index, name, sizeof(name)) != ERROR_SUCCESS)
            break;
        DescribeKey(root, path + "\\" + name, text);
    }
    RegCloseKey(key);
}

std::string KeySnapshot(const std::string &keyPath)
{
    std::string text;
    DescribeKey(HKEY_LOCAL_MACHINE, keyPath, text);
    return text;
}

std::string DirectorySnapshot(const std::string &directory, const std::vector<std::string> &except)
{
    std::string text;
    for (const std::string &name : FilesIn(directory)) {
        bool skipped = false;
        for (const std::string &other : except)
            skipped = skipped || lstrcmpiA(name.c_str(), other.c_str()) == 0;
        if (!skipped)
            text += name + ":" + robot::ReadWholeFile(directory + "\\" + name) + "\n";
    }
    return text;
}

RegistryValue ReadValue(const std::string &keyPath, const std::string &name)
{
    RegistryValue value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    char data[2048];
    DWORD size = sizeof(data);
    if (RegQueryValueExA(key, name.c_str(), NULL, &value.type, (LPBYTE)data, &size) == ERROR_SUCCESS) {
        value.found = true;
        value.data.assign(data, size);
    }
    RegCloseKey(key);
    return value;
}

bool KeyExists(const std::string &keyPath)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string KeyClass(const std::string &keyPath)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    char keyClass[128] = "";
    DWORD length = sizeof(keyClass);
    RegQueryInfoKeyA(key, keyClass, &length, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    return keyClass;
}

ServiceInfo QueryService(const std::string &name)
{
    ServiceInfo info;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return info;
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS);
    if (service) {
        info.exists = true;
        BYTE buffer[8192];
        DWORD needed = 0;
        QUERY_SERVICE_CONFIGA *config = (QUERY_SERVICE_CONFIGA *)buffer;
        if (QueryServiceConfigA(service, config, sizeof(buffer), &needed)) {
            info.displayName = config->lpDisplayName ? config->lpDisplayName : "";
            info.imagePath = config->lpBinaryPathName ? config->lpBinaryPathName : "";
            info.startType = config->dwStartType;
        }
        SERVICE_STATUS status;
        if (QueryServiceStatus(service, &status))
            info.state = status.dwCurrentState;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return info;
}

DWORD WaitForServiceState(const std::string &name, DWORD state, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    DWORD current = 0;
    do {
        current = QueryService(name).state;
        if (current == state)
            break;
        Sleep(100);
    } while (GetTickCount() - start < timeoutMs);
    return current;
}

std::vector<std::string> DistributionFiles()
{
    std::vector<std::string> names;
    std::string inf = robot::ReadWholeFile(robot::DistDirectory() + "\\setup.inf");
    bool inFiles = false;
    for (std::string line : robot::SplitLines(inf)) {
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            inFiles = line == "[Files]";
            continue;
        }
        if (inFiles) {
            size_t comma = line.find(',');
            std::string name = line.substr(0, comma);
            while (!name.empty() && name.back() == ' ')
                name.pop_back();
            names.push_back(name);
        }
    }
    return names;
}

std::string StartMenuFolder()
{
    char programs[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS, NULL, 0, programs)))
        return "";
    std::string group = scenario::LoadText(10024);
    return group.empty() ? "" : std::string(programs) + "\\" + group;
}

// Reads a shortcut back through IShellLinkA: its target, or its icon file.
static std::string ReadShortcut(const std::string &linkPath, bool icon)
{
    CoInitialize(NULL);
    std::string answer;
    IShellLinkA *link = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link))) {
        IPersistFile *file = NULL;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            char path[MAX_PATH] = "";
            int index = 0;
            if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
                SUCCEEDED(icon ? link->GetIconLocation(path, MAX_PATH, &index) : link->GetPath(path, MAX_PATH, NULL, 0)))
                answer = path;
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return answer;
}

std::string ShortcutTarget(const std::string &linkPath)
{
    return ReadShortcut(linkPath, false);
}

std::string ShortcutIcon(const std::string &linkPath)
{
    return ReadShortcut(linkPath, true);
}

std::vector<std::string> FilesIn(const std::string &directory)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

static std::string AceFlags(BYTE flags)
{
    std::string text;
    const struct {
        BYTE flag;
        const char *name;
    } names[] = {{OBJECT_INHERIT_ACE, " OI"}, {CONTAINER_INHERIT_ACE, " CI"}, {INHERIT_ONLY_ACE, " IO"},
                 {INHERITED_ACE, " ID"}};
    for (const auto &name : names)
        if (flags & name.flag)
            text += name.name;
    return text;
}

static std::string AccountName(PSID sid)
{
    char name[256], domain[256];
    DWORD nameSize = sizeof(name), domainSize = sizeof(domain);
    SID_NAME_USE use;
    return LookupAccountSidA(NULL, sid, name, &nameSize, domain, &domainSize, &use) ? name : "?";
}

std::string DescribeAccess(PSECURITY_DESCRIPTOR descriptor)
{
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = NULL;
    if (!descriptor || !GetSecurityDescriptorControl(descriptor, &control, &revision) ||
        !GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted))
        return "unreadable";
    if (!present || !acl)
        return "no list";
    std::string text = (control & SE_DACL_PROTECTED) ? "protected" : "inherits";
    for (DWORD i = 0; i < acl->AceCount; i++) {
        ACE_HEADER *header;
        if (!GetAce(acl, i, (LPVOID *)&header))
            return text + "; unreadable entry";
        ACCESS_ALLOWED_ACE *ace = (ACCESS_ALLOWED_ACE *)header;
        char mask[16];
        snprintf(mask, sizeof(mask), "%#lx", (unsigned long)ace->Mask);
        text += std::string("; ") + (header->AceType == ACCESS_DENIED_ACE_TYPE ? "denied " : "") +
                AccountName(&ace->SidStart) + " " + mask + AceFlags(header->AceFlags);
    }
    return text;
}

std::string KeyAccess(const std::string &keyPath)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, READ_CONTROL, &key) != ERROR_SUCCESS)
        return "no key";
    BYTE buffer[4096];
    DWORD size = sizeof(buffer);
    LONG status = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, buffer, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? DescribeAccess(buffer) : "unreadable";
}

std::string ImagePathOf(const std::string &program)
{
    return program.find(' ') == std::string::npos ? program : "\"" + program + "\"";
}

std::string Sz(const std::string &text)
{
    return text + std::string(1, '\0');
}

std::string Dword(DWORD number)
{
    return std::string((const char *)&number, 4);
}

std::string Scrambled(const std::string &clear)
{
    std::string out(clear.size(), '\0');
    for (size_t i = 0; i < clear.size(); i++)
        out[i] = (char)(clear[i] ^ ((i & 0xFF) | 0xD2));
    return out + std::string(1, '\0');
}

void ExpectAgentConfiguration(const std::string &directory, const std::string &login, const std::string &password)
{
    struct Expected {
        const char *name;
        DWORD type;
        std::string data;
    } expected[] = {
        {"name", REG_SZ, Sz("Microsoft SQL Server")},
        {"server", REG_SZ, Sz("MSSQLServer60")},
        {"type", REG_SZ, Sz("database")},
        {"user", REG_SZ, Scrambled(login)},
        {"password", REG_SZ, Scrambled(password)},
        {"dll", REG_SZ, Sz(directory + "dorure60.dll")},
        {"debug", REG_DWORD, Dword(0)},
        {AGENT_VALUE_VERSION, REG_SZ, Sz(PRODUCT_VERSION)},
        {AGENT_VALUE_BUILD, REG_SZ, Sz(PRODUCT_BUILD)},
        {"StripeNum", REG_DWORD, Dword(4)},
        {"TblStripeNum", REG_DWORD, Dword(1)},
        {"max_pipe_wait_time", REG_DWORD, Dword(400)},
        {"connect_wait_time", REG_DWORD, Dword(10)},
        {"RestoreDir", REG_SZ, std::string(1, '\0')},
    };
    for (const Expected &e : expected) {
        RegistryValue value = ReadValue(ConfigKey, e.name);
        EXPECT_TRUE(value.found) << e.name;
        EXPECT_EQ(e.type, value.type) << e.name;
        EXPECT_EQ(e.data, value.data) << e.name;
    }
}

void ExpectInstalledAgent(const std::string &directory, const std::string &login, const std::string &password)
{
    std::vector<std::string> files = DistributionFiles();
    EXPECT_GE(files.size(), 12u) << "setup.inf lists the agent's files";
    for (const std::string &name : files) {
        std::string installed = robot::ReadWholeFile(directory + name);
        EXPECT_FALSE(installed.empty()) << name << " is missing";
        EXPECT_TRUE(installed == robot::ReadWholeFile(robot::DistDirectory() + "\\" + name))
            << name << " differs from the distribution";
    }

    ExpectAgentConfiguration(directory, login, password);
    EXPECT_EQ("TSIData", KeyClass(ConfigKey));
    EXPECT_EQ(ProtectedKeyAccess, KeyAccess(ConfigKey)) << "nobody else may read the login and password";
    EXPECT_TRUE(ReadValue(ProductsKey, "SQL_ZEduziz").found) << "the agent is registered";

    std::string link = StartMenuFolder() + "\\" + scenario::LoadText(10062) + ".lnk";
    EXPECT_TRUE(robot::FileExists(link)) << link;
    EXPECT_EQ(directory + "DORURE60.WRI", ShortcutTarget(link));

    ServiceInfo service = QueryService(RPC_SERVICE_NAME);
    ASSERT_TRUE(service.exists);
    EXPECT_EQ(scenario::LoadText(10061), service.displayName);
    EXPECT_EQ((DWORD)SERVICE_AUTO_START, service.startType);
    EXPECT_EQ(ImagePathOf(directory + "KVASVR.EXE"), service.imagePath);
    EXPECT_EQ((DWORD)SERVICE_RUNNING, WaitForServiceState(RPC_SERVICE_NAME, SERVICE_RUNNING, 15000));
    // The running agent read the configuration that setup wrote.
    std::string agentLog;
    for (int i = 0; i < 50; i++) {
        agentLog = robot::ReadWholeFile(directory + "dorure60.log");
        if (agentLog.find("login: " + login) != std::string::npos)
            break;
        Sleep(100);
    }
    EXPECT_NE(std::string::npos, agentLog.find("dll=" + directory + "dorure60.dll")) << agentLog;
    EXPECT_NE(std::string::npos, agentLog.find("login: " + login)) << agentLog;
}

}  // namespace machine

namespace machine {

// A file's contents as a short text: its size and a hash.
static std::string ContentsOf(const std::string &path)
{
    std::string bytes = robot::ReadWholeFile(path);
    unsigned long long hash = 14695981039346656037ULL;
    for (char c : bytes)
        hash = (hash ^ (unsigned char)c) * 1099511628211ULL;
    char text[48];
    snprintf(text, sizeof(text), "%zu bytes, %016llx", bytes.size(), hash);
    return text;
}

// Every entry of a directory tree with its attributes, time of last change
// and contents; the agent's own log is the agent's.
static void DescribeTree(const std::string &directory, std::string &text)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == ".." || lstrcmpiA(name.c_str(), AGENT_LOG_FILE) == 0)
            continue;
        char facts[64];
        snprintf(facts, sizeof(facts), " %lx %lx%08lx", found.dwFileAttributes, found.ftLastWriteTime.dwHighDateTime,
                 found.ftLastWriteTime.dwLowDateTime);
        std::string path = directory + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            text += path + facts + "\n";
            DescribeTree(path, text);
        } else {
            text += path + facts + " " + ContentsOf(path) + "\n";
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string AgentMachineSnapshot(const std::string &installDir)
{
    std::string text;
    DescribeTree(installDir, text);
    DescribeTree(StartMenuFolder(), text);
    char programFiles[MAX_PATH] = "";
    SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, 0, programFiles);
    DescribeTree(std::string(programFiles) + "\\" + REMOVAL_COPY_MAKER, text);
    text += KeySnapshot(ConfigKey) + KeyAccess(ConfigKey) + KeyClass(ConfigKey) + "\n";
    text += "product " + ReadValue(ProductsKey, AGENT_PRODUCT_VALUE).data + "\n";
    text += KeySnapshot(UninstallEntryKey);
    for (const char *name : {RPC_SERVICE_NAME, BRD_SERVICE_NAME}) {
        ServiceInfo service = QueryService(name);
        // A service started again settles first.
        if (service.exists && service.state != SERVICE_STOPPED)
            service.state = WaitForServiceState(name, SERVICE_RUNNING, 15000);
        text += std::string(name) + (service.exists ? " " : " none ") + service.displayName + " " +
                service.imagePath + " " + std::to_string(service.startType) + " " + std::to_string(service.state) +
                "\n";
    }
    text += KeyExists(INSTALL_RECORD_KEY) ? "a run's record is left\n" : "";
    return text;
}

}  // namespace machine

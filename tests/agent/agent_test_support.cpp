#include "agent_test_support.h"

std::string DistPath(const char *name)
{
    char directory[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("AGENT_DIST_DIR", directory, sizeof(directory));
    if (length == 0 || length >= sizeof(directory))
        lstrcpynA(directory, AGENT_DIST_DIR, sizeof(directory));
    std::string path = std::string(directory) + "\\" + name;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string ReadWholeFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, NULL) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

long long FileSizeOf(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

void DeleteAgentRegistry(void)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, AGENT_FAMILY_KEY);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, AGENT_FAMILY_KEY);
}

static bool WriteValue(const char *keyPath, const char *name, DWORD type, const BYTE *data,
                       DWORD size)
{
    HKEY key = NULL;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name, 0, type, data, size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool WriteStringValue(const char *keyPath, const char *name, const std::string &data)
{
    return WriteValue(keyPath, name, REG_SZ, (const BYTE *)data.c_str(), (DWORD)data.size() + 1);
}

bool WriteDwordValue(const char *keyPath, const char *name, DWORD data)
{
    return WriteValue(keyPath, name, REG_DWORD, (const BYTE *)&data, sizeof(data));
}

bool ReadRegistryText(const char *keyPath, const char *name, std::string *data, DWORD *type)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char buffer[512];
    DWORD size = sizeof(buffer) - 1;
    LONG result = RegQueryValueExA(key, name, NULL, type, (BYTE *)buffer, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return false;
    buffer[size] = '\0';
    *data = buffer;
    return true;
}

static void EndServiceProcess(SC_HANDLE service)
{
    SERVICE_STATUS_PROCESS status;
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, (BYTE *)&status, sizeof(status),
                              &needed) ||
        status.dwProcessId == 0)
        return;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, status.dwProcessId);
    if (process == NULL)
        return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

static void StopForRemoval(SC_HANDLE service)
{
    SERVICE_STATUS status;
    if (!QueryServiceStatus(service, &status) || status.dwCurrentState == SERVICE_STOPPED)
        return;
    // A service that refuses the stop is ended at once.
    BOOL accepted = ControlService(service, SERVICE_CONTROL_STOP, &status);
    if (!accepted || !WaitForServiceState(service, SERVICE_STOPPED, 8000, &status)) {
        // Wine's service manager keeps the last reported state of a killed
        // process, so there is nothing more to wait for here.
        EndServiceProcess(service);
    }
}

void RemoveTestService(const char *name)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (manager == NULL)
        return;
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
    if (service != NULL) {
        StopForRemoval(service);
        DeleteService(service);
        CloseServiceHandle(service);
    }
    for (int i = 0; i < 100; ++i) {
        service = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
        if (service == NULL)
            break;
        CloseServiceHandle(service);
        Sleep(50);
    }
    CloseServiceHandle(manager);
}

SC_HANDLE CreateTestService(const char *name, const std::string &imagePath)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (manager == NULL)
        return NULL;
    SC_HANDLE service = CreateServiceA(manager, name, name, SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                       SERVICE_ERROR_NORMAL, imagePath.c_str(), NULL, NULL, "",
                                       NULL, NULL);
    CloseServiceHandle(manager);
    return service;
}

bool WaitForServiceState(SC_HANDLE service, DWORD state, DWORD timeoutMs, SERVICE_STATUS *last)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (!QueryServiceStatus(service, last))
            return false;
        if (last->dwCurrentState == state)
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
}

StopObservation RequestStopAndObserve(SC_HANDLE service, DWORD observeMs)
{
    StopObservation seen = {};
    SERVICE_STATUS status = {};
    seen.controlAccepted = ControlService(service, SERVICE_CONTROL_STOP, &status);
    seen.controlError = seen.controlAccepted ? 0 : GetLastError();
    if (!seen.controlAccepted)
        QueryServiceStatus(service, &status);
    DWORD start = GetTickCount();
    while (status.dwCurrentState == SERVICE_STOP_PENDING && GetTickCount() - start < observeMs) {
        seen.checkpoints.push_back(status.dwCheckPoint);
        seen.waitHints.push_back(status.dwWaitHint);
        Sleep(40);
        if (!QueryServiceStatus(service, &status))
            break;
    }
    seen.finalState = status.dwCurrentState;
    return seen;
}

// The agent's services in the record: how each was registered, whether it
// ran, and its Parameters key; given back by removing what the run made and
// registering and starting what was there before.
#include <shlwapi.h>

#include <vector>

#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/rollback/rollback.h"

static const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services\\";

static void ServiceRecordName(int index, LPCSTR part, LPSTR out, int size)
{
    wnsprintfA(out, size, "service%d.%s", index, part);
    out[size - 1] = '\0';
}

static void ParametersKey(int index, LPSTR out, int size)
{
    wnsprintfA(out, size, "%s%s\\Parameters", kServicesKey, AgentServiceNames[index]);
    out[size - 1] = '\0';
}

static void WriteRecordText(HKEY record, LPCSTR name, LPCSTR text)
{
    RegSetValueExA(record, name, 0, REG_SZ, (const BYTE *)(text ? text : ""), (DWORD)lstrlenA(text ? text : "") + 1);
}

static void ReadRecordText(HKEY record, LPCSTR name, LPSTR text, DWORD size)
{
    text[0] = '\0';
    RegGetValueA(record, NULL, name, RRF_RT_REG_SZ, NULL, text, &size);
}

static void RecordService(HKEY record, SC_HANDLE manager, int index)
{
    char name[64], parameters[300];
    ServiceRecordName(index, "exists", name, sizeof(name));
    SC_HANDLE service = manager ? OpenServiceA(manager, AgentServiceNames[index], SERVICE_QUERY_CONFIG |
                                                   SERVICE_QUERY_STATUS) : NULL;
    DWORD size = 0;
    QueryServiceConfigA(service, NULL, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    QUERY_SERVICE_CONFIGA *config = (QUERY_SERVICE_CONFIGA *)buffer.data();
    SERVICE_STATUS status = {};
    if (!service || !QueryServiceConfigA(service, config, size, &size) || !QueryServiceStatus(service, &status)) {
        if (service)
            CloseServiceHandle(service);
        WriteRecordNumber(record, name, 0);
        return;
    }
    CloseServiceHandle(service);
    ServiceRecordName(index, "path", name, sizeof(name));
    WriteRecordText(record, name, config->lpBinaryPathName);
    ServiceRecordName(index, "display", name, sizeof(name));
    WriteRecordText(record, name, config->lpDisplayName);
    ServiceRecordName(index, "start", name, sizeof(name));
    WriteRecordNumber(record, name, config->dwStartType);
    ServiceRecordName(index, "type", name, sizeof(name));
    WriteRecordNumber(record, name, config->dwServiceType);
    ServiceRecordName(index, "running", name, sizeof(name));
    WriteRecordNumber(record, name, status.dwCurrentState != SERVICE_STOPPED);
    ServiceRecordName(index, "parameters", name, sizeof(name));
    ParametersKey(index, parameters, sizeof(parameters));
    RecordKey(record, name, parameters);
    ServiceRecordName(index, "exists", name, sizeof(name));
    WriteRecordNumber(record, name, 1);
}

void RecordAgentServices(HKEY record)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    for (int i = 0; i < 2; i++)
        RecordService(record, manager, i);
    if (manager)
        CloseServiceHandle(manager);
}

bool ServicesWereReplaced(HKEY record)
{
    return ReadRecordNumber(record, "services.replaced") != 0;
}

void RemoveNewAgentServices(HKEY record)
{
    if (!ServicesWereReplaced(record))
        return;
    for (int i = 0; i < 2; i++)
        RemoveService(AgentServiceNames[i]);
}

static bool StartIfItRan(HKEY record, SC_HANDLE service, int index);

static bool RestoreService(HKEY record, SC_HANDLE manager, int index)
{
    char name[64], path[600], display[300], parameters[300];
    ServiceRecordName(index, "exists", name, sizeof(name));
    if (!ReadRecordNumber(record, name))
        return true;
    ServiceRecordName(index, "path", name, sizeof(name));
    ReadRecordText(record, name, path, sizeof(path));
    ServiceRecordName(index, "display", name, sizeof(name));
    ReadRecordText(record, name, display, sizeof(display));
    ServiceRecordName(index, "start", name, sizeof(name));
    DWORD startType = ReadRecordNumber(record, name);
    ServiceRecordName(index, "type", name, sizeof(name));
    DWORD type = ReadRecordNumber(record, name);
    SC_HANDLE service = CreateServiceA(manager, AgentServiceNames[index], display, SERVICE_ALL_ACCESS, type,
                                      startType, SERVICE_ERROR_NORMAL, path, NULL, NULL, NULL, NULL, NULL);
    if (!service && GetLastError() == ERROR_SERVICE_EXISTS)
        service = OpenServiceA(manager, AgentServiceNames[index], SERVICE_ALL_ACCESS);
    if (!service) {
        LogSetupMessage("Setup could not register the service %s again (Windows error %lu).",
                        AgentServiceNames[index], GetLastError());
        return false;
    }
    ServiceRecordName(index, "parameters", name, sizeof(name));
    ParametersKey(index, parameters, sizeof(parameters));
    RestoreKey(record, name, parameters);
    bool started = StartIfItRan(record, service, index);
    CloseServiceHandle(service);
    return started;
}

// A service that ran before the run runs again.
static bool StartIfItRan(HKEY record, SC_HANDLE service, int index)
{
    char name[64];
    ServiceRecordName(index, "running", name, sizeof(name));
    if (!ReadRecordNumber(record, name))
        return true;
    SERVICE_STATUS status;
    if (QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED)
        return true;
    bool started = StartServiceA(service, 0, NULL) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING;
    if (started)
        LogSetupMessage("Setup started the service %s again.", AgentServiceNames[index]);
    else
        LogSetupMessage("Setup could not start the service %s again (Windows error %lu).", AgentServiceNames[index],
                        GetLastError());
    return started;
}

// Registrations the run did not replace are left as they are: only what
// it stopped is started again.
static bool StartServiceThatRan(HKEY record, SC_HANDLE manager, int index)
{
    SC_HANDLE service = OpenServiceA(manager, AgentServiceNames[index], SERVICE_START | SERVICE_QUERY_STATUS);
    if (!service)
        return true;
    bool started = StartIfItRan(record, service, index);
    CloseServiceHandle(service);
    return started;
}

void NoteServicesReplaced(void)
{
    HKEY record = OpenInstallRecord(false);
    if (!record)
        return;
    WriteRecordNumber(record, "services.replaced", 1);
    RegCloseKey(record);
}

bool RestoreAgentServices(HKEY record)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return false;
    bool replaced = ServicesWereReplaced(record);
    bool whole = true;
    for (int i = 0; i < 2; i++)
        whole = (replaced ? RestoreService(record, manager, i) : StartServiceThatRan(record, manager, i)) && whole;
    CloseServiceHandle(manager);
    return whole;
}

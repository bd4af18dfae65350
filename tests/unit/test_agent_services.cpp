#include <gtest/gtest.h>

#include <string>

#include "setup/install/install.h"
#include "platform/setup-toolkit/setuptk.h"
#include "setup/messages/messages.h"
#include "setup/shell/shell.h"
#include "unit/test_support.h"
#include "product.h"

namespace {

const char ServiceDir[] = "C:\\svctest";

class AgentServices : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::FreshState();
        SetupState.RunFlags |= RF_QUIET;
        DeleteTestServices();
        CreateDirectoryA(ServiceDir, NULL);
        for (const char *name : {"KVASVR.EXE", "kvabrd.exe"})
            CopyFileA((robot::DistDirectory() + "\\" + name).c_str(), (std::string(ServiceDir) + "\\" + name).c_str(),
                      FALSE);
        DeleteFileA((std::string(ServiceDir) + "\\dorure60.log").c_str());
    }
    void TearDown() override
    {
        DeleteTestServices();
        support::ReleaseState();
    }
    static void DeleteTestServices()
    {
        SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
        for (const char *name : {RPC_SERVICE_NAME, BRD_SERVICE_NAME}) {
            SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
            if (!service)
                continue;
            SERVICE_STATUS status;
            ControlService(service, SERVICE_CONTROL_STOP, &status);
            for (int i = 0; i < 100 && QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOP_PENDING; i++)
                Sleep(100);
            if (status.dwCurrentState == SERVICE_RUNNING) {
                // A service told to refuse stopping: end its process.
                SERVICE_STATUS_PROCESS process;
                DWORD needed;
                if (QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, (LPBYTE)&process, sizeof(process), &needed)) {
                    HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process.dwProcessId);
                    if (handle) {
                        TerminateProcess(handle, 0);
                        CloseHandle(handle);
                    }
                }
            }
            DeleteService(service);
            CloseServiceHandle(service);
        }
        CloseServiceHandle(manager);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\KvaRpcService");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\KvaBrdService");
    }
    static void Register(const char *name, const char *program, DWORD stopBehaviour = 0)
    {
        std::string path = std::string(ServiceDir) + "\\" + program;
        ASSERT_EQ(0u, CreateAgentService(name, name, path.c_str(), SERVICE_DEMAND_START));
        if (stopBehaviour) {
            HKEY key;
            std::string parameters = std::string("SYSTEM\\CurrentControlSet\\Services\\") + name + "\\Parameters";
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, parameters.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
            RegSetValueExA(key, "StopBehaviour", 0, REG_DWORD, (const BYTE *)&stopBehaviour, 4);
            RegCloseKey(key);
        }
    }
    static DWORD State(const char *name)
    {
        SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
        SERVICE_STATUS status = {};
        if (service) {
            QueryServiceStatus(service, &status);
            CloseServiceHandle(service);
        }
        CloseServiceHandle(manager);
        return service ? status.dwCurrentState : 0;
    }
    static void StartAndWait(const char *name)
    {
        ASSERT_TRUE(StartAgentService(NULL, name));
        for (int i = 0; i < 150 && State(name) != SERVICE_RUNNING; i++)
            Sleep(100);
        ASSERT_EQ((DWORD)SERVICE_RUNNING, State(name));
    }
    // Measures one StopServiceAndWait on the named service.
    static DWORD TimedStop(const char *name)
    {
        SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
        DWORD start = GetTickCount();
        StopServiceAndWait(service);
        DWORD elapsed = GetTickCount() - start;
        CloseServiceHandle(service);
        CloseServiceHandle(manager);
        return elapsed;
    }
    static std::string AgentLog() { return robot::ReadWholeFile(std::string(ServiceDir) + "\\dorure60.log"); }
};

TEST_F(AgentServices, OnlyTheRunningBroadcastServiceIsStopped)
{
    Register(RPC_SERVICE_NAME, "KVASVR.EXE");
    Register(BRD_SERVICE_NAME, "kvabrd.exe");
    StartAndWait(BRD_SERVICE_NAME);
    EXPECT_TRUE(StopRunningAgentServices()) << "quiet: stopped without asking";
    EXPECT_EQ((DWORD)SERVICE_STOPPED, State(BRD_SERVICE_NAME));
    EXPECT_EQ((DWORD)SERVICE_STOPPED, State(RPC_SERVICE_NAME));
    std::string log = AgentLog();
    EXPECT_NE(std::string::npos, log.find("service KvaBrdService stopped")) << log;
    EXPECT_EQ(std::string::npos, log.find(RPC_SERVICE_NAME)) << "the stopped service was never started: " << log;
}

TEST_F(AgentServices, NothingInstalledAsksNothing)
{
    SetupState.RunFlags &= ~RF_QUIET;  // a question would block the test
    EXPECT_TRUE(StopRunningAgentServices());
}

TEST_F(AgentServices, StopWaitsThroughAGrowingCheckpoint)
{
    Register(RPC_SERVICE_NAME, "KVASVR.EXE");
    StartAndWait(RPC_SERVICE_NAME);
    TimedStop(RPC_SERVICE_NAME);
    EXPECT_EQ((DWORD)SERVICE_STOPPED, State(RPC_SERVICE_NAME));
}

TEST_F(AgentServices, StopIsAskedForEvenWhenTheStatusCannotBeRead)
{
    Register(RPC_SERVICE_NAME, "KVASVR.EXE");
    StartAndWait(RPC_SERVICE_NAME);
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE stopOnly = OpenServiceA(manager, RPC_SERVICE_NAME, SERVICE_STOP);
    ASSERT_NE(nullptr, stopOnly);
    SERVICE_STATUS status;
    ASSERT_FALSE(QueryServiceStatus(stopOnly, &status)) << "the handle may not read the status";
    StopServiceAndWait(stopOnly);
    CloseServiceHandle(stopOnly);
    CloseServiceHandle(manager);
    for (int i = 0; i < 50 && State(RPC_SERVICE_NAME) != SERVICE_STOPPED; i++)
        Sleep(100);
    EXPECT_EQ((DWORD)SERVICE_STOPPED, State(RPC_SERVICE_NAME));
}

TEST_F(AgentServices, CheckpointThatDoesNotGrowIsWaitedForWithinTheBound)
{
    Register(RPC_SERVICE_NAME, "KVASVR.EXE", 1);
    StartAndWait(RPC_SERVICE_NAME);
    DWORD elapsed = TimedStop(RPC_SERVICE_NAME);
    EXPECT_LT(elapsed, (DWORD)SERVICE_STOP_LIMIT_MS) << "the service's five seconds, within the bound";
    EXPECT_EQ((DWORD)SERVICE_STOPPED, State(RPC_SERVICE_NAME)) << "a stopping service still holds its files";
}

TEST_F(AgentServices, ServiceThatRefusesToStopIsNotWaitedFor)
{
    Register(RPC_SERVICE_NAME, "KVASVR.EXE", 2);
    StartAndWait(RPC_SERVICE_NAME);
    DWORD elapsed = TimedStop(RPC_SERVICE_NAME);
    EXPECT_LT(elapsed, 2000u);
    EXPECT_EQ((DWORD)SERVICE_RUNNING, State(RPC_SERVICE_NAME));
}

TEST_F(AgentServices, AbsurdWaitHintIsBoundedToTenSecondsASleep)
{
    Register(RPC_SERVICE_NAME, "KVASVR.EXE", 3);
    StartAndWait(RPC_SERVICE_NAME);
    DWORD elapsed = TimedStop(RPC_SERVICE_NAME);
    EXPECT_LT(elapsed, 15000u) << "the service announced an hour";
    EXPECT_GE(elapsed, 9000u) << "the one sleep still lasts its bound";
    EXPECT_EQ((DWORD)SERVICE_STOPPED, State(RPC_SERVICE_NAME));
}

TEST_F(AgentServices, RemovingAMissingServiceIsNoError)
{
    EXPECT_EQ(0u, RemoveService(BRD_SERVICE_NAME));
}

TEST_F(AgentServices, RemovingARunningServiceStopsAndDeletesIt)
{
    Register(BRD_SERVICE_NAME, "kvabrd.exe");
    StartAndWait(BRD_SERVICE_NAME);
    EXPECT_EQ(0u, RemoveService(BRD_SERVICE_NAME));
    EXPECT_EQ(0u, State(BRD_SERVICE_NAME)) << "gone";
    EXPECT_NE(std::string::npos, AgentLog().find("service KvaBrdService stopped"));
}

TEST_F(AgentServices, ServiceMarkedForDeletionCountsAsRemoved)
{
    Register(BRD_SERVICE_NAME, "kvabrd.exe");
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE held = OpenServiceA(manager, BRD_SERVICE_NAME, SERVICE_ALL_ACCESS);
    ASSERT_TRUE(DeleteService(held)) << "marked; the open handle keeps it";
    EXPECT_FALSE(DeleteService(held));
    EXPECT_EQ((DWORD)ERROR_SERVICE_MARKED_FOR_DELETE, GetLastError());
    SetupState.RunFlags |= RF_LOGFILE;
    EXPECT_EQ(0u, RemoveService(BRD_SERVICE_NAME));
    CloseServiceHandle(held);
    CloseServiceHandle(manager);
}

TEST_F(AgentServices, CreationFailureInSmsModeIsOneLogLine)
{
    support::DeleteLog();
    Register(RPC_SERVICE_NAME, "KVASVR.EXE");
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE held = OpenServiceA(manager, RPC_SERVICE_NAME, SERVICE_ALL_ACCESS);
    lstrcpyA(SetupState.InstallDir, "C:\\svctest\\");
    SetupState.RunFlags |= RF_SMS | RF_LOGFILE;
    ASSERT_TRUE(FOpenLogFile(support::LogPath, 0));
    SetupState.LogFileOpen = 1;
    // The held handle keeps the deleted service, so the new one cannot be made.
    ReplaceAgentServices();
    CloseServiceHandle(held);
    CloseServiceHandle(manager);
    std::vector<std::string> log = support::LogLines();
    ASSERT_EQ(1u, log.size());
    char expected[512];
    snprintf(expected, sizeof(expected), "%s SQL ZEduziz : %d", support::LoadText(10003).c_str(),
             (int)ERROR_SERVICE_MARKED_FOR_DELETE);
    EXPECT_EQ(expected, log[0]);
    EXPECT_STREQ(expected, SetupState.RunFailure) << "the unattended road reports it";
    EXPECT_FALSE(SetupState.AgentServiceCreated) << "no start is offered for an older service";
}

TEST_F(AgentServices, CreatedServiceHasTheAgentsProperties)
{
    lstrcpyA(SetupState.InstallDir, "C:\\svc test\\");
    ReplaceAgentServices();
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(manager, RPC_SERVICE_NAME, SERVICE_ALL_ACCESS);
    ASSERT_NE(nullptr, service);
    BYTE buffer[4096];
    DWORD needed;
    QUERY_SERVICE_CONFIGA *config = (QUERY_SERVICE_CONFIGA *)buffer;
    ASSERT_TRUE(QueryServiceConfigA(service, config, sizeof(buffer), &needed));
    EXPECT_EQ((DWORD)SERVICE_WIN32_OWN_PROCESS, config->dwServiceType);
    EXPECT_EQ((DWORD)SERVICE_AUTO_START, config->dwStartType);
    EXPECT_EQ((DWORD)SERVICE_ERROR_NORMAL, config->dwErrorControl);
    EXPECT_STREQ("\"C:\\svc test\\KVASVR.EXE\"", config->lpBinaryPathName) << "quoted: the path holds a blank";
    EXPECT_EQ(support::LoadText(10061), config->lpDisplayName);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

}  // namespace

/* The agent's services under the prefix's service control manager. */
#include <gtest/gtest.h>
#include "agent_test_support.h"
#include "product.h"

#define TEST_DIR  "C:\\agenttest"
#define TEST_LOG  TEST_DIR "\\dorure60.log"

class AgentService : public ::testing::Test {
protected:
    SC_HANDLE service = NULL;
    std::string serviceName;

    void SetUp() override
    {
        RemoveTestService(RPC_SERVICE_NAME);
        RemoveTestService(BRD_SERVICE_NAME);
        DeleteAgentRegistry();
        CreateDirectoryA(TEST_DIR, NULL);
        DeleteFileA(TEST_LOG);
    }
    void TearDown() override
    {
        if (service != NULL)
            CloseServiceHandle(service);
        if (!serviceName.empty())
            RemoveTestService(serviceName.c_str());
        DeleteAgentRegistry();
        DeleteFileA(TEST_DIR "\\KVASVR.EXE");
        DeleteFileA(TEST_DIR "\\kvabrd.exe");
        DeleteFileA(TEST_LOG);
        RemoveDirectoryA(TEST_DIR);
    }

    /* Copies the program out of the distribution and registers it. */
    void InstallService(const char *name, const char *fileName)
    {
        std::string image = std::string(TEST_DIR "\\") + fileName;
        ASSERT_TRUE(CopyFileA(DistPath(fileName).c_str(), image.c_str(), FALSE))
            << DistPath(fileName) << " error " << GetLastError();
        serviceName = name;
        service = CreateTestService(name, image);
        ASSERT_NE(service, (SC_HANDLE)NULL) << "CreateServiceA error " << GetLastError();
    }
    void StartAndWaitRunning()
    {
        ASSERT_TRUE(StartServiceA(service, 0, NULL)) << "StartServiceA error " << GetLastError();
        SERVICE_STATUS status;
        ASSERT_TRUE(WaitForServiceState(service, SERVICE_RUNNING, 10000, &status))
            << "state " << status.dwCurrentState;
    }
    void SetStopBehaviour(DWORD behaviour)
    {
        std::string key = "SYSTEM\\CurrentControlSet\\Services\\" + serviceName + "\\Parameters";
        ASSERT_TRUE(WriteDwordValue(key.c_str(), "StopBehaviour", behaviour));
    }
};

static void WriteAgentConfiguration(void)
{
    // "sa" and "Secret7" as setup stores them: each byte XOR ((i & 0xFF) | 0xD2).
    ASSERT_TRUE(WriteStringValue(AGENT_CONFIG_KEY, "user", "\xA1\xB2"));
    std::string password = "Secret7";
    for (size_t i = 0; i < password.size(); ++i)
        password[i] = (char)(password[i] ^ ((i & 0xFF) | 0xD2));
    ASSERT_TRUE(WriteStringValue(AGENT_CONFIG_KEY, "password", password));
    ASSERT_TRUE(WriteStringValue(AGENT_CONFIG_KEY, "dll", "C:\\DORURE\\dorure60.dll"));
    ASSERT_TRUE(WriteStringValue(AGENT_CONFIG_KEY, "server", "MSSQLServer60"));
    ASSERT_TRUE(WriteStringValue(AGENT_CONFIG_KEY, AGENT_VALUE_VERSION, PRODUCT_VERSION));
    ASSERT_TRUE(WriteStringValue(AGENT_CONFIG_KEY, AGENT_VALUE_BUILD, PRODUCT_BUILD));
}

/* The steps of a normal stop are quicker than the test's polling, so it may
 * see one checkpoint or several; never one smaller than the one before. */
static bool NeverShrinks(const std::vector<DWORD> &values)
{
    for (size_t i = 1; i < values.size(); ++i)
        if (values[i] < values[i - 1])
            return false;
    return !values.empty();
}

/* Setup sleeps for the whole wait hint before it looks again: a normal stop
 * announces a tenth of a second, every time. */
static void ExpectShortWaitHints(const StopObservation &stop)
{
    ASSERT_FALSE(stop.waitHints.empty());
    for (size_t i = 0; i < stop.waitHints.size(); ++i)
        EXPECT_EQ(stop.waitHints[i], 100u) << "status " << i;
}

TEST_F(AgentService, MainServiceReadsConfigurationAndStopsPromptly)
{
    WriteAgentConfiguration();
    InstallService(RPC_SERVICE_NAME, "KVASVR.EXE");
    StartAndWaitRunning();

    std::string log = ReadWholeFile(TEST_LOG);
    EXPECT_NE(log.find("service KvaRpcService started"), std::string::npos) << log;
    EXPECT_NE(log.find("configuration: dll=C:\\DORURE\\dorure60.dll server=MSSQLServer60 "
                       "version=2.0 build=061"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("login: sa\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("password: stored, 7 characters"), std::string::npos) << log;
    EXPECT_EQ(log.find("Secret7"), std::string::npos) << log;

    StopObservation stop = RequestStopAndObserve(service, 5000);
    EXPECT_TRUE(stop.controlAccepted) << "error " << stop.controlError;
    EXPECT_TRUE(NeverShrinks(stop.checkpoints)) << "checkpoints seen: " << stop.checkpoints.size();
    ExpectShortWaitHints(stop);
    EXPECT_EQ(stop.finalState, (DWORD)SERVICE_STOPPED);
    log = ReadWholeFile(TEST_LOG);
    EXPECT_NE(log.find("service KvaRpcService stopped"), std::string::npos) << log;
}

TEST_F(AgentService, MissingConfigurationKeyIsLogged)
{
    InstallService(RPC_SERVICE_NAME, "KVASVR.EXE");
    StartAndWaitRunning();
    std::string log = ReadWholeFile(TEST_LOG);
    EXPECT_NE(log.find("KvaRpcService: configuration key missing"), std::string::npos) << log;
    EXPECT_EQ(log.find("login:"), std::string::npos) << log;
}

TEST_F(AgentService, OverlongValueIsNotedInsteadOfCut)
{
    WriteAgentConfiguration();
    ASSERT_TRUE(WriteStringValue(AGENT_CONFIG_KEY, "dll", std::string(300, 'D')));
    ASSERT_TRUE(RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY, "server") == ERROR_SUCCESS);
    InstallService(RPC_SERVICE_NAME, "KVASVR.EXE");
    StartAndWaitRunning();
    std::string log = ReadWholeFile(TEST_LOG);
    EXPECT_NE(log.find("configuration: dll=(too long) server=(missing) version=2.0"),
              std::string::npos)
        << log;
}

TEST_F(AgentService, StuckStopKeepsItsCheckpointThenStops)
{
    InstallService(RPC_SERVICE_NAME, "KVASVR.EXE");
    SetStopBehaviour(1);
    StartAndWaitRunning();

    StopObservation stop = RequestStopAndObserve(service, 1500);
    EXPECT_TRUE(stop.controlAccepted) << "error " << stop.controlError;
    EXPECT_EQ(stop.finalState, (DWORD)SERVICE_STOP_PENDING);
    ASSERT_GE(stop.checkpoints.size(), 10u);
    for (size_t i = 0; i < stop.checkpoints.size(); ++i) {
        EXPECT_EQ(stop.checkpoints[i], stop.checkpoints.front()) << "status " << i;
        EXPECT_EQ(stop.waitHints[i], 500u) << "status " << i;
    }
    SERVICE_STATUS status;
    EXPECT_TRUE(WaitForServiceState(service, SERVICE_STOPPED, 8000, &status))
        << "state " << status.dwCurrentState;
}

TEST_F(AgentService, RefusedStopLeavesTheServiceRunning)
{
    InstallService(RPC_SERVICE_NAME, "KVASVR.EXE");
    SetStopBehaviour(2);
    StartAndWaitRunning();

    StopObservation stop = RequestStopAndObserve(service, 500);
    EXPECT_FALSE(stop.controlAccepted);
    EXPECT_EQ(stop.controlError, (DWORD)ERROR_INVALID_SERVICE_CONTROL);
    Sleep(500);
    SERVICE_STATUS status;
    ASSERT_TRUE(QueryServiceStatus(service, &status));
    EXPECT_EQ(status.dwCurrentState, (DWORD)SERVICE_RUNNING);
    EXPECT_EQ(status.dwControlsAccepted & SERVICE_ACCEPT_STOP, 0u);
}

TEST_F(AgentService, BroadcastServiceRunsAndStopsUnderItsOwnName)
{
    WriteAgentConfiguration();
    InstallService(BRD_SERVICE_NAME, "kvabrd.exe");
    StartAndWaitRunning();
    StopObservation stop = RequestStopAndObserve(service, 5000);
    EXPECT_TRUE(NeverShrinks(stop.checkpoints));
    ExpectShortWaitHints(stop);
    EXPECT_EQ(stop.finalState, (DWORD)SERVICE_STOPPED);

    std::string log = ReadWholeFile(TEST_LOG);
    EXPECT_NE(log.find("service KvaBrdService started"), std::string::npos) << log;
    EXPECT_NE(log.find("KvaBrdService: login: sa"), std::string::npos) << log;
    EXPECT_NE(log.find("service KvaBrdService stopped"), std::string::npos) << log;
    EXPECT_EQ(log.find(RPC_SERVICE_NAME), std::string::npos) << log;
}

TEST_F(AgentService, BothServicesAppendToOneLog)
{
    InstallService(BRD_SERVICE_NAME, "kvabrd.exe");
    SC_HANDLE broadcast = service;
    StartAndWaitRunning();
    RequestStopAndObserve(broadcast, 5000);
    CloseServiceHandle(broadcast);
    RemoveTestService(BRD_SERVICE_NAME);

    service = NULL;
    InstallService(RPC_SERVICE_NAME, "KVASVR.EXE");
    StartAndWaitRunning();
    std::string log = ReadWholeFile(TEST_LOG);
    size_t broadcastStop = log.find("service KvaBrdService stopped");
    size_t mainStart = log.find("service KvaRpcService started");
    ASSERT_NE(broadcastStop, std::string::npos) << log;
    ASSERT_NE(mainStart, std::string::npos) << log;
    EXPECT_LT(broadcastStop, mainStart) << log;
}

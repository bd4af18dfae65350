#include <gtest/gtest.h>

#include "scenario/machine_state.h"
#include "scenario/scenario_support.h"
#include "product.h"

using namespace scenario;

namespace {

const DWORD SetupTimeoutMs = 120000;
const char Services[] = "SYSTEM\\CurrentControlSet\\Services\\";
const char *const AgentFiles[] = {"dorure60.dll", "dorure60.wri", "dorure60.log", "KSSetup.dll", "KSLoad.dll",
                                  "KSSetup.ini",  "kvasvr.exe",   "kvbrdcst.dll", "kvaprod.dll", "kvabrd.exe",
                                  "KVIPNET.TBL",  "KVDOMAIN.TBL", "KVIPMASK.TBL"};

class Removal : public ::testing::Test {
protected:
    void SetUp() override
    {
        machine::CleanMachine();
        machine::CleanMachine("D:\\OTHER");
    }
    void TearDown() override
    {
        robot::Finish(run_);
        machine::CleanMachine();
        machine::CleanMachine("D:\\OTHER");
    }
    DWORD RunSetup(const std::string &arguments)
    {
        robot::Finish(run_);
        if (!robot::StartSetup(run_, robot::DistDirectory(), arguments))
            return 0xFFFFFFFF;
        return robot::WaitForExit(run_, SetupTimeoutMs);
    }
    void Install()
    {
        ASSERT_EQ(0u, RunSetup("SMSINSTALL"));
        ASSERT_TRUE(machine::QueryService(RPC_SERVICE_NAME).exists);
    }
    // A real broadcast service from the installed directory.
    void AddBroadcastService(const std::string &executable)
    {
        SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = CreateServiceA(manager, BRD_SERVICE_NAME, "Broadcast service", SERVICE_ALL_ACCESS,
                                           SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                           executable.c_str(), NULL, NULL, "", NULL, NULL);
        ASSERT_NE(nullptr, service);
        StartServiceA(service, 0, NULL);
        CloseServiceHandle(service);
        CloseServiceHandle(manager);
        ASSERT_EQ((DWORD)SERVICE_RUNNING, machine::WaitForServiceState(BRD_SERVICE_NAME, SERVICE_RUNNING, 15000));
    }
    void AddOtherAgent(const std::string &name, const std::string &library)
    {
        HKEY key;
        std::string path = AGENT_AGENTS_KEY "\\" + name;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                                 &key, NULL));
        RegSetValueExA(key, "dll", 0, REG_SZ, (const BYTE *)library.c_str(), (DWORD)library.size() + 1);
        RegCloseKey(key);
    }
    // What the service manager reads and what it holds, as a hand-over sets them.
    void SetImagePath(const std::string &service, const std::string &path)
    {
        SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE handle = OpenServiceA(manager, service.c_str(), SERVICE_CHANGE_CONFIG);
        ChangeServiceConfigA(handle, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, path.c_str(), NULL,
                             NULL, NULL, NULL, NULL, NULL);
        CloseServiceHandle(handle);
        CloseServiceHandle(manager);
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, (Services + service).c_str(), 0, KEY_SET_VALUE,
                                               &key));
        RegSetValueExA(key, "ImagePath", 0, REG_EXPAND_SZ, (const BYTE *)path.c_str(), (DWORD)path.size() + 1);
        RegCloseKey(key);
    }
    std::string ImagePath(const std::string &service)
    {
        std::string data = machine::ReadValue(Services + service, "ImagePath").data;
        return data.empty() ? data : data.substr(0, data.size() - 1);
    }
    void ExpectStatus(const std::string &status, const std::string &description)
    {
        std::vector<std::string> mif = MifLines();
        ASSERT_EQ(69u, mif.size());
        EXPECT_EQ("VALUE = \"" + status + "\"", mif[57]);
        EXPECT_EQ("VALUE = \"" + description + "\"", mif[65]);
    }
    void ExpectFilesGone(const std::string &directory, size_t from, size_t to)
    {
        for (size_t i = from; i < to; i++)
            EXPECT_FALSE(robot::FileExists(directory + "\\" + AgentFiles[i])) << AgentFiles[i];
    }
    static void SetWriteTime(const std::string &path, WORD year)
    {
        SYSTEMTIME when = {};
        when.wYear = year;
        when.wMonth = 1;
        when.wDay = 2;
        FILETIME local, utc;
        SystemTimeToFileTime(&when, &local);
        LocalFileTimeToFileTime(&local, &utc);
        HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        SetFileTime(file, NULL, NULL, &utc);
        CloseHandle(file);
    }
    robot::SetupRun run_;
};

TEST_F(Removal, OnlyAgentTakesEverythingWithIt)
{
    Install();
    AddBroadcastService("C:\\DORURE\\kvabrd.exe");
    std::string startMenu = machine::StartMenuFolder();
    ForgetEarlierRuns();
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    ExpectStatus("Success", "");
    EXPECT_FALSE(machine::KeyExists(AGENT_FAMILY_KEY));
    EXPECT_FALSE(machine::QueryService(RPC_SERVICE_NAME).exists);
    EXPECT_FALSE(machine::QueryService(BRD_SERVICE_NAME).exists);
    ExpectFilesGone("C:\\DORURE", 0, 13);
    EXPECT_FALSE(robot::FileExists("C:\\DORURE")) << "the empty directory goes";
    EXPECT_FALSE(robot::FileExists(startMenu)) << "the empty Start Menu folder goes";
    EXPECT_FALSE(robot::FileExists(LogPath)) << "an SMS removal writes no log";
}

TEST_F(Removal, ForeignFileKeepsTheDirectory)
{
    Install();
    WriteTextFile("C:\\DORURE\\notes-of-the-admin.txt", "mine");
    ASSERT_EQ(1603u, RunSetup("SMSUNINSTALL")) << "the directory stays";
    ExpectFilesGone("C:\\DORURE", 0, 13);
    EXPECT_EQ("mine", robot::ReadWholeFile("C:\\DORURE\\notes-of-the-admin.txt"));
}

TEST_F(Removal, ServiceDirectoryInAnotherLetterCaseIsTheSame)
{
    Install();
    SetImagePath(RPC_SERVICE_NAME, "c:\\dorure\\KVASVR.EXE");
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    EXPECT_FALSE(machine::QueryService(RPC_SERVICE_NAME).exists) << "treated as the only agent";
    EXPECT_FALSE(machine::KeyExists(AGENT_FAMILY_KEY));
}

TEST_F(Removal, ServicesOfAnotherDirectoryStay)
{
    Install();
    CreateDirectoryA("D:\\OTHER", NULL);
    CopyFileA("C:\\DORURE\\KVASVR.EXE", "D:\\OTHER\\KVASVR.EXE", FALSE);
    SetImagePath(RPC_SERVICE_NAME, "D:\\OTHER\\KVASVR.EXE");
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    EXPECT_TRUE(machine::QueryService(RPC_SERVICE_NAME).exists);
    EXPECT_EQ("D:\\OTHER\\KVASVR.EXE", ImagePath(RPC_SERVICE_NAME));
    ExpectFilesGone("C:\\DORURE", 0, 13);
    EXPECT_FALSE(machine::KeyExists(machine::ProductsKey)) << "the only product's list goes";
    ExpectStatus("Success", "");
}

TEST_F(Removal, ImagePathWithoutBackslashIsAnotherDirectory)
{
    Install();
    SetImagePath(RPC_SERVICE_NAME, "KVASVR.EXE");
    ASSERT_EQ(1603u, RunSetup("SMSUNINSTALL")) << "the service stays";
    EXPECT_TRUE(machine::QueryService(RPC_SERVICE_NAME).exists);
    ExpectFilesGone("C:\\DORURE", 0, 13);
}

TEST_F(Removal, AnotherAgentInTheSameDirectoryKeepsTheSharedPieces)
{
    Install();
    AddOtherAgent("oracle", "C:\\DORURE\\oragent.dll");
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    // The agent's log goes; the services that run on write it again.
    ExpectFilesGone("C:\\DORURE", 0, 2);
    ExpectFilesGone("C:\\DORURE", 3, 6);
    for (size_t i = 6; i < 13; i++)
        EXPECT_TRUE(robot::FileExists(std::string("C:\\DORURE\\") + AgentFiles[i])) << AgentFiles[i];
    EXPECT_TRUE(robot::FileExists("C:\\DORURE"));
    EXPECT_EQ((DWORD)SERVICE_RUNNING, machine::WaitForServiceState(RPC_SERVICE_NAME, SERVICE_RUNNING, 15000));
    EXPECT_TRUE(machine::KeyExists(AGENT_AGENTS_KEY "\\oracle"));
    EXPECT_FALSE(machine::KeyExists(machine::ConfigKey));
    ExpectStatus("Success", "");  // the shared pieces are kept on purpose
}

TEST_F(Removal, HandOverToAnOlderAgentElsewhereReplacesItsServiceProgram)
{
    Install();
    AddBroadcastService("C:\\DORURE\\kvabrd.exe");
    CreateDirectoryA("D:\\OTHER", NULL);
    WriteTextFile("D:\\OTHER\\kvasvr.exe", "an older service program");
    SetWriteTime("D:\\OTHER\\kvasvr.exe", 2001);
    CopyFileA("C:\\DORURE\\kvabrd.exe", "D:\\OTHER\\kvabrd.exe", FALSE);
    AddOtherAgent("exchange", "D:\\OTHER\\exagent.dll");
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    EXPECT_EQ(robot::ReadWholeFile(robot::DistDirectory() + "\\KVASVR.EXE"), robot::ReadWholeFile("D:\\OTHER\\kvasvr.exe"));
    EXPECT_EQ("D:\\OTHER\\kvasvr.exe", ImagePath(RPC_SERVICE_NAME));
    EXPECT_EQ("D:\\OTHER\\kvabrd.exe", ImagePath(BRD_SERVICE_NAME));
    ExpectFilesGone("C:\\DORURE", 0, 13);
    ExpectStatus("Success", "");
    // Both services run from their new place.
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    for (const char *name : {RPC_SERVICE_NAME, BRD_SERVICE_NAME}) {
        SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
        ASSERT_NE(nullptr, service) << name;
        StartServiceA(service, 0, NULL);
        CloseServiceHandle(service);
        EXPECT_EQ((DWORD)SERVICE_RUNNING, machine::WaitForServiceState(name, SERVICE_RUNNING, 15000)) << name;
    }
    CloseServiceHandle(manager);
}

TEST_F(Removal, HandOverKeepsANewerProgramAndDropsAMissingBroadcastService)
{
    Install();
    AddBroadcastService("C:\\DORURE\\kvabrd.exe");
    CreateDirectoryA("D:\\OTHER", NULL);
    CopyFileA("C:\\DORURE\\KVASVR.EXE", "D:\\OTHER\\kvasvr.exe", FALSE);
    SetWriteTime("D:\\OTHER\\kvasvr.exe", 2030);
    HANDLE marker = CreateFileA("D:\\OTHER\\kvasvr.exe", FILE_APPEND_DATA, 0, NULL, OPEN_EXISTING, 0, NULL);
    DWORD written;
    WriteFile(marker, "newer", 5, &written, NULL);
    CloseHandle(marker);
    SetWriteTime("D:\\OTHER\\kvasvr.exe", 2030);
    std::string newer = robot::ReadWholeFile("D:\\OTHER\\kvasvr.exe");
    AddOtherAgent("exchange", "D:\\OTHER\\exagent.dll");
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    EXPECT_EQ(newer, robot::ReadWholeFile("D:\\OTHER\\kvasvr.exe")) << "a newer program is left alone";
    EXPECT_EQ("D:\\OTHER\\kvasvr.exe", ImagePath(RPC_SERVICE_NAME));
    EXPECT_FALSE(machine::QueryService(BRD_SERVICE_NAME).exists) << "no kvabrd.exe there: deleted";
    ExpectFilesGone("C:\\DORURE", 0, 13);
}

TEST_F(Removal, HandOverWithoutOwnServiceProgramKeepsTheDirectory)
{
    Install();
    machine::StopAndDeleteService(RPC_SERVICE_NAME);
    // Re-register the main service without its program in place.
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = CreateServiceA(manager, RPC_SERVICE_NAME, "x", SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, "C:\\DORURE\\KVASVR.EXE", NULL,
                                       NULL, "", NULL, NULL);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    DeleteFileA("C:\\DORURE\\KVASVR.EXE");
    CreateDirectoryA("D:\\OTHER", NULL);
    WriteTextFile("D:\\OTHER\\kvasvr.exe", "other");
    AddOtherAgent("exchange", "D:\\OTHER\\exagent.dll");
    ASSERT_EQ(1603u, RunSetup("SMSUNINSTALL"));
    EXPECT_EQ("C:\\DORURE\\KVASVR.EXE", ImagePath(RPC_SERVICE_NAME)) << "no hand-over";
    EXPECT_TRUE(robot::FileExists("C:\\DORURE")) << "kvasvr.exe failed: the directory stays";
    EXPECT_EQ("other", robot::ReadWholeFile("D:\\OTHER\\kvasvr.exe"));
    char expected[512];
    snprintf(expected, sizeof(expected), LoadText(10093).c_str(), "D:\\OTHER", "C:\\DORURE\\kvasvr.exe");
    ExpectStatus("Failed", expected);
}

TEST_F(Removal, ProductListWithAnotherProductKeepsIt)
{
    Install();
    HKEY products;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, machine::ProductsKey, 0, KEY_ALL_ACCESS, &products));
    RegSetValueExA(products, "EXCH_ZEduziz", 0, REG_SZ, (const BYTE *)"1.0", 4);
    RegCloseKey(products);
    // Another agent elsewhere keeps the family tree.
    CreateDirectoryA("D:\\OTHER", NULL);
    CopyFileA("C:\\DORURE\\KVASVR.EXE", "D:\\OTHER\\kvasvr.exe", FALSE);
    AddOtherAgent("exchange", "D:\\OTHER\\exagent.dll");
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    EXPECT_FALSE(machine::ReadValue(machine::ProductsKey, "SQL_ZEduziz").found);
    EXPECT_TRUE(machine::ReadValue(machine::ProductsKey, "EXCH_ZEduziz").found);
}

TEST_F(Removal, ProductListOfAnotherProductOnlyIsLeftAlone)
{
    Install();
    HKEY products;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, machine::ProductsKey, 0, KEY_ALL_ACCESS, &products));
    RegDeleteValueA(products, "SQL_ZEduziz");
    RegSetValueExA(products, "EXCH_ZEduziz", 0, REG_SZ, (const BYTE *)"1.0", 4);
    RegCloseKey(products);
    CreateDirectoryA("D:\\OTHER", NULL);
    CopyFileA("C:\\DORURE\\KVASVR.EXE", "D:\\OTHER\\kvasvr.exe", FALSE);
    AddOtherAgent("exchange", "D:\\OTHER\\exagent.dll");
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    EXPECT_TRUE(machine::ReadValue(machine::ProductsKey, "EXCH_ZEduziz").found);
}

TEST_F(Removal, DeletedNotesFileIsNoLeftover)
{
    Install();
    DeleteFileA("C:\\DORURE\\DORURE60.WRI");
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    EXPECT_FALSE(robot::FileExists("C:\\DORURE"));
    ExpectStatus("Success", "");
}

TEST_F(Removal, FileHeldOpenKeepsItAndLosesNothingElse)
{
    Install();
    HANDLE held = CreateFileA("C:\\DORURE\\dorure60.dll", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    DWORD code = RunSetup("SMSUNINSTALL");
    CloseHandle(held);
    ASSERT_EQ(1603u, code);
    EXPECT_TRUE(robot::FileExists("C:\\DORURE\\dorure60.dll"));
    ExpectFilesGone("C:\\DORURE", 1, 13);
    EXPECT_TRUE(machine::KeyExists(machine::ConfigKey)) << "a later removal finishes the job";
}

// An earlier removal took the service: this one goes on with the rest.
TEST_F(Removal, UnregisteredServiceIsNoReasonToStop)
{
    Install();
    machine::StopAndDeleteService(RPC_SERVICE_NAME);
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    ExpectStatus("Success", "");
    EXPECT_FALSE(robot::FileExists("C:\\DORURE"));
    EXPECT_FALSE(machine::KeyExists(machine::ConfigKey));
}

TEST_F(Removal, NothingInstalledEndsWithItsOwnFailure)
{
    ASSERT_EQ(1605u, RunSetup("SMSUNINSTALL"));
    ExpectStatus("Failed", LoadText(10068));
}

TEST_F(Removal, InstallRemoveInstallAgain)
{
    Install();
    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL"));
    ASSERT_FALSE(robot::FileExists("C:\\DORURE"));
    Install();
    machine::ExpectInstalledAgent("C:\\DORURE\\", "sa", "");
}

}  // namespace

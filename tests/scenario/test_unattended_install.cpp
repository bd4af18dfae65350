#include <gtest/gtest.h>

#include "scenario/machine_state.h"
#include "scenario/scenario_support.h"
#include "product.h"

using namespace scenario;

namespace {

const DWORD InstallTimeoutMs = 120000;

class UnattendedInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        machine::CleanMachine();
        machine::CleanMachine("D:\\AGENT2");
        SetEnvironmentVariableA("KSSETUP_FAIL_CODE", NULL);
    }
    void TearDown() override
    {
        robot::Finish(run_);
        SetEnvironmentVariableA("KSSETUP_FAIL_CODE", NULL);
        machine::CleanMachine();
        machine::CleanMachine("D:\\AGENT2");
    }
    // Runs setup from the build's own distribution to its end.
    DWORD RunSetup(const std::string &arguments, const std::string &directory = robot::DistDirectory())
    {
        robot::Finish(run_);
        if (!robot::StartSetup(run_, directory, arguments))
            return 0xFFFFFFFF;
        return robot::WaitForExit(run_, InstallTimeoutMs);
    }
    void ExpectStatus(const std::string &status, const std::string &description)
    {
        std::vector<std::string> mif = MifLines();
        ASSERT_EQ(69u, mif.size());
        EXPECT_EQ("VALUE = \"" + status + "\"", mif[57]);
        EXPECT_EQ("VALUE = \"" + description + "\"", mif[65]);
    }
    robot::SetupRun run_;
};

std::string PackageDefinition(const char *section, const char *key)
{
    char value[512] = "";
    GetPrivateProfileStringA(section, key, "(missing)", value, sizeof(value),
                             (robot::DistDirectory() + "\\DORURE60.SMS").c_str());
    return value;
}

std::string MifValue(const std::string &line)
{
    return line.size() > 10 ? line.substr(9, line.size() - 10) : "";
}

// SMS matches a status file to its package by these fields: one letter
// off, and every run of the package would show as never reported.
void ExpectPackageDefinitionMatches(const std::vector<std::string> &mif)
{
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ(PRODUCT_VERSION, PackageDefinition("PDF", "Version"));
    std::string mifName = MifPath().substr(MifPath().rfind('\\') + 1);
    EXPECT_EQ(mifName, PackageDefinition("Package Definition", "MIFFileName") + ".MIF");
    EXPECT_EQ(MifValue(mif[20]), PackageDefinition("Package Definition", "MIFName"));
    EXPECT_EQ(MifValue(mif[28]), PackageDefinition("Package Definition", "MIFVersion"));
    EXPECT_EQ(MifValue(mif[12]), PackageDefinition("Package Definition", "MIFPublisher"));
    EXPECT_EQ(MifValue(mif[20]), PackageDefinition("Package Definition", "Name"));
    EXPECT_EQ("SMS Install, SMS Uninstall", PackageDefinition("Package Definition", "Programs"));
    const struct {
        const char *program, *commandLine;
    } programs[] = {{"SMS Install", "setup.exe SMSINSTALL"}, {"SMS Uninstall", "setup.exe SMSUNINSTALL"}};
    for (const auto &program : programs) {
        EXPECT_EQ(program.commandLine, PackageDefinition(program.program, "CommandLine"));
        EXPECT_EQ("True", PackageDefinition(program.program, "AdminRightsRequired")) << program.program;
        EXPECT_EQ("False", PackageDefinition(program.program, "UserInputRequired")) << program.program;
        EXPECT_EQ("AnyUserStatus", PackageDefinition(program.program, "CanRunWhen")) << program.program;
    }
}

TEST_F(UnattendedInstall, SmsInstallOnAFreshMachine)
{
    ASSERT_EQ(0u, RunSetup("SMSINSTALL"));
    machine::ExpectInstalledAgent("C:\\DORURE\\", "sa", "");
    ExpectStatus("Success", "");
    std::vector<std::string> log = LogLines();
    EXPECT_EQ(LoadText(10076), log.at(log.size() - 3)) << "the start offer is logged, though not asked";
    EXPECT_EQ("Answer: none (a quiet run asks nobody; Setup goes on)", log[log.size() - 2]);
    EXPECT_EQ(0u, log.back().find("Outcome: Success (the run took ")) << log.back();
    ExpectPackageDefinitionMatches(MifLines());
}

TEST_F(UnattendedInstall, ConfigurationFileWithOnlyTheDirectory)
{
    WriteTextFile("C:\\onlypath.icf", "[Settings]\r\nInstallPath=D:\\AGENT2\r\n");
    ASSERT_EQ(0u, RunSetup("I:C:\\onlypath.icf"));
    machine::ExpectInstalledAgent("D:\\AGENT2\\", "sa", "");
    EXPECT_FALSE(robot::FileExists(MifPath())) << "no MIF outside SMS";
    DeleteFileA("C:\\onlypath.icf");
}

TEST_F(UnattendedInstall, ReinstallOverARunningInstallation)
{
    ASSERT_EQ(0u, RunSetup("SMSINSTALL"));
    ASSERT_EQ((DWORD)SERVICE_RUNNING, machine::WaitForServiceState(RPC_SERVICE_NAME, SERVICE_RUNNING, 15000));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, machine::ConfigKey, 0, KEY_ALL_ACCESS, &key));
    RegSetValueExA(key, "site note", 0, REG_SZ, (const BYTE *)"keep", 5);
    RegCloseKey(key);

    WriteTextFile("C:\\move.icf",
                  "[Settings]\r\nInstallPath=D:\\AGENT2\\\r\n[SQL Account Info]\r\nID=backup\r\nPassword=Pw 1\r\n");
    ASSERT_EQ(0u, RunSetup("I:C:\\move.icf"));
    machine::ExpectInstalledAgent("D:\\AGENT2\\", "backup", "Pw 1");
    EXPECT_EQ(machine::Sz("keep"), machine::ReadValue(machine::ConfigKey, "site note").data);
    // The old service stopped before it was replaced.
    std::string oldLog = robot::ReadWholeFile("C:\\DORURE\\dorure60.log");
    EXPECT_NE(std::string::npos, oldLog.find("stopped")) << oldLog;
    DeleteFileA("C:\\move.icf");
}

// The service manager gets the program path in quotation marks, and the
// removal reads it back and leaves nothing behind.
TEST_F(UnattendedInstall, DirectoryWithABlankAndItsRemoval)
{
    const std::string agent = "C:\\Program Files\\Agent";
    std::string dir = CopyDistribution("C:\\blankpath", {"SETUP.ICF"});
    WriteTextFile(dir + "\\SETUP.ICF", "[Settings]\r\nInstallPath=" + agent + "\\\r\n");
    ASSERT_EQ(0u, RunSetup("SMSINSTALL", dir));
    ExpectStatus("Success", "");
    machine::ExpectInstalledAgent(agent + "\\", "sa", "");
    EXPECT_EQ("\"" + agent + "\\KVASVR.EXE\"", machine::QueryService(RPC_SERVICE_NAME).imagePath);

    ASSERT_EQ(0u, RunSetup("SMSUNINSTALL", dir));
    ExpectStatus("Success", "");
    EXPECT_FALSE(machine::QueryService(RPC_SERVICE_NAME).exists);
    EXPECT_FALSE(robot::FileExists(agent));
    EXPECT_FALSE(machine::KeyExists(AGENT_FAMILY_KEY));
    EXPECT_FALSE(robot::FileExists(machine::StartMenuFolder() + "\\" + LoadText(10062) + ".lnk"));
    machine::CleanMachine(agent);
    RemoveDirectoryTree(dir);
}

TEST_F(UnattendedInstall, RefusedRegistrationFailsTheRunAndGivesTheMachineBack)
{
    SetEnvironmentVariableA("KSSETUP_FAIL_CODE", "1234");
    ASSERT_EQ(1603u, RunSetup("SMSINSTALL"));
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof(system));
    EXPECT_TRUE(LogHas(LoadText(10075) + ", T=" + system + ",EC=1234"));
    EXPECT_FALSE(machine::QueryService(RPC_SERVICE_NAME).exists) << "an agent the backup software cannot use";
    EXPECT_FALSE(machine::KeyExists(machine::UninstallEntryKey));
    ExpectStatus("Failed", LoadText(10075) + ", T=" + system + ",EC=1234 " + LoadText(10171));
}

TEST_F(UnattendedInstall, UnusableLoginIsRefusedBeforeAnythingIsInstalled)
{
    std::string dir = CopyDistribution("C:\\badlogin", {"SETUP.ICF"});
    // 0xD2 at the first position scrambles to a zero byte.
    WriteTextFile(dir + "\\SETUP.ICF", "[Settings]\r\nInstallPath=C:\\DORURE\\\r\n[SQL Account Info]\r\nID=\xD2sa\r\n");
    ASSERT_EQ(1603u, RunSetup("SMSINSTALL", dir));
    char expected[512];
    snprintf(expected, sizeof(expected), LoadText(10080).c_str(), "login");
    ExpectStatus("Failed", expected + (" " + LoadText(10171)));
    EXPECT_FALSE(machine::KeyExists(machine::ConfigKey));
    EXPECT_FALSE(robot::FileExists("C:\\DORURE"));
    EXPECT_FALSE(machine::QueryService(RPC_SERVICE_NAME).exists);
}

TEST_F(UnattendedInstall, UnwritableDestinationFailsClearly)
{
    std::string dir = CopyDistribution("C:\\blocked", {"SETUP.ICF"});
    // A file stands where a directory of the path must be created.
    WriteTextFile("C:\\blockfile", "not a directory");
    WriteTextFile(dir + "\\SETUP.ICF", "[Settings]\r\nInstallPath=C:\\blockfile\\AGENT\\\r\n");
    ASSERT_EQ(1603u, RunSetup("SMSINSTALL", dir));
    ExpectStatus("Failed", InstallFailedText(10176, ERROR_ALREADY_EXISTS, 10171));
    EXPECT_FALSE(machine::KeyExists(machine::ConfigKey)) << "nothing configured after a failed copy";
    DeleteFileA("C:\\blockfile");
}

TEST_F(UnattendedInstall, FullDiskDuringTheCopyFailsClearly)
{
    if (GetDriveTypeA("F:\\") != DRIVE_FIXED)
        GTEST_SKIP() << "the 1 MB drive F: needs the prefix to be made as root";
    // Leave less room than the agent's files need.
    ULARGE_INTEGER freeBytes;
    ASSERT_TRUE(GetDiskFreeSpaceExA("F:\\", &freeBytes, NULL, NULL));
    ASSERT_GT(freeBytes.QuadPart, 64 * 1024ULL);
    WriteTextFile("F:\\filler", std::string((size_t)(freeBytes.QuadPart - 48 * 1024), 'f'));
    std::string dir = CopyDistribution("C:\\fulldisk", {"SETUP.ICF"});
    WriteTextFile(dir + "\\SETUP.ICF", "[Settings]\r\nInstallPath=F:\\AGENT\\\r\n");
    DWORD exitCode = RunSetup("SMSINSTALL", dir);
    DeleteFileA("F:\\filler");
    ASSERT_EQ(1603u, exitCode);
    std::vector<std::string> mif = MifLines();
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ("VALUE = \"Failed\"", mif[57]);
    std::string refusal = FormatText(10186, 'F', 1UL);
    EXPECT_EQ(0u, mif[65].find("VALUE = \"" + refusal.substr(0, refusal.find(':') + 1))) << "refused before the copy";
    EXPECT_FALSE(robot::FileExists("F:\\AGENT"));
    EXPECT_FALSE(machine::KeyExists(machine::ConfigKey));
    machine::CleanMachine("F:\\AGENT");
}

TEST_F(UnattendedInstall, LockedDestinationFileIsPlacedAtTheRestart)
{
    CreateDirectoryA("C:\\DORURE", NULL);
    HANDLE locked = CreateFileA("C:\\DORURE\\dorure60.dll", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    DWORD exitCode = RunSetup("SMSINSTALL");
    CloseHandle(locked);
    ASSERT_EQ(3010u, exitCode) << "a restart completes it";
    ExpectStatus("Success", FormatText(10185, "C:\\DORURE\\dorure60.dll"));
    EXPECT_TRUE(LogHas("C:\\DORURE\\dorure60.dll is in use by another program: Windows puts its new version in "
                       "place when it restarts."));
}

TEST_F(UnattendedInstall, ConfigurationFileRunsWriteNoStatusFile)
{
    WriteTextFile("C:\\cucu.icf", "[Settings]\r\nInstallPath=cucu\r\n");
    ASSERT_EQ(1603u, RunSetup("I:C:\\cucu.icf"));
    EXPECT_TRUE(LogHas(LoadText(10011) + " input from file C:\\CUCU.ICF"));
    WriteTextFile("C:\\nosettings.icf", "[SQL Account Info]\r\nID=sa\r\n");
    ASSERT_EQ(1603u, RunSetup("I:C:\\nosettings.icf"));
    EXPECT_TRUE(LogHas(LoadText(10011) + " input from file C:\\NOSETTINGS.ICF"));
    EXPECT_FALSE(robot::FileExists(MifPath()));
    EXPECT_FALSE(machine::KeyExists(machine::ConfigKey));
    DeleteFileA("C:\\cucu.icf");
    DeleteFileA("C:\\nosettings.icf");
}

}  // namespace

/*
 * A failed or stopped install leaves either the machine as it was or the new
 * agent whole: one row per step after which the run fails or is killed, on
 * a machine with an earlier agent (a changed file, a site's own value) or a
 * fresh one. Every row compares the whole machine with its state before.
 */
#include <gtest/gtest.h>

#include <string>

#include "scenario/machine_state.h"
#include "scenario/scenario_support.h"
#include "product.h"

using namespace scenario;

namespace {

enum How { Fails, Killed };
// Steps in the order setup takes them: 1 an earlier run finished, 2 noted,
// 3 services stopped, 4 directory, 5 files, 6 configuration, 7 product,
// 8 Start menu, 9 services, 10 start, 11 Programs and Features, 12 succeeded.
const int EarlierRunFinished = 1, Succeeded = 12;
const DWORD KilledCode = 99;

struct StepRow {
    const char *name;
    int step;
    How how;
    bool earlierAgent;
};

void PrintTo(const StepRow &row, std::ostream *os)
{
    *os << row.name;
}

const StepRow Rows[] = {
    {"FailsAfterNoting", 2, Fails, true},          {"FailsAfterStoppingServices", 3, Fails, true},
    {"FailsAfterTheDirectory", 4, Fails, true},    {"FailsAfterTheCopy", 5, Fails, true},
    {"FailsAfterTheConfiguration", 6, Fails, true}, {"FailsAfterTheProduct", 7, Fails, true},
    {"FailsAfterTheShortcut", 8, Fails, true},     {"FailsAfterTheServices", 9, Fails, true},
    {"FailsAfterTheStart", 10, Fails, true},       {"FailsAfterTheEntry", 11, Fails, true},
    {"KilledAfterNoting", 2, Killed, true},        {"KilledAfterStoppingServices", 3, Killed, true},
    {"KilledAfterTheDirectory", 4, Killed, true},  {"KilledAfterTheCopy", 5, Killed, true},
    {"KilledAfterTheConfiguration", 6, Killed, true}, {"KilledAfterTheProduct", 7, Killed, true},
    {"KilledAfterTheShortcut", 8, Killed, true},   {"KilledAfterTheServices", 9, Killed, true},
    {"KilledAfterTheStart", 10, Killed, true},     {"KilledAfterTheEntry", 11, Killed, true},
    {"KilledAfterSucceeding", 12, Killed, true},   {"FreshFailsAfterTheCopy", 5, Fails, false},
    {"FreshFailsAfterTheEntry", 11, Fails, false}, {"FreshKilledAfterTheCopy", 5, Killed, false},
    {"FreshKilledAfterSucceeding", 12, Killed, false},
};

class InstallGivesBack : public ::testing::TestWithParam<StepRow> {
protected:
    void SetUp() override { machine::CleanMachine(); }
    void TearDown() override
    {
        robot::Finish(run_);
        machine::CleanMachine();
    }
    // An SMS install, stopped or failed after the step the variable names.
    DWORD Install(const char *variable = nullptr, int step = 0)
    {
        if (variable)
            SetEnvironmentVariableA(variable, std::to_string(step).c_str());
        robot::Finish(run_);
        DWORD code = robot::StartSetup(run_, robot::DistDirectory(), "SMSINSTALL") ? robot::WaitForExit(run_, 60000)
                                                                                     : 0xFFFFFFFF;
        if (variable)
            SetEnvironmentVariableA(variable, NULL);
        return code;
    }
    // Version 1 as a site keeps it: a file of its own age and a value of its own.
    void EarlierAgent()
    {
        ASSERT_EQ(0u, Install());
        ASSERT_EQ((DWORD)SERVICE_RUNNING,
                  machine::WaitForServiceState(RPC_SERVICE_NAME, SERVICE_RUNNING, 15000));
        WriteTextFile("C:\\DORURE\\DORURE60.WRI", "release notes of version 1");
        SetFileAttributesA("C:\\DORURE\\DORURE60.WRI", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, machine::ConfigKey, 0, KEY_SET_VALUE, &key));
        RegSetValueExA(key, "site note", 0, REG_SZ, (const BYTE *)"keep", 5);
        RegCloseKey(key);
        ForgetEarlierRuns();
    }
    robot::SetupRun run_;
};

TEST_P(InstallGivesBack, MachineAsItWasOrTheNewAgentWhole)
{
    const StepRow &row = GetParam();
    if (row.earlierAgent) {
        ASSERT_NO_FATAL_FAILURE(EarlierAgent());
    }
    std::string before = machine::AgentMachineSnapshot();

    if (row.how == Fails) {
        ASSERT_EQ(1603u, Install("SETUP_FAIL_AFTER_STEP", row.step));
        std::vector<std::string> mif = MifLines();
        ASSERT_EQ(69u, mif.size());
        EXPECT_EQ("VALUE = \"Failed\"", mif[57]);
        std::string note = LoadText(row.earlierAgent ? 10170 : 10171) + "\"";
        EXPECT_EQ(0u, mif[65].find("VALUE = \"" + FormatText(10173, "", "").substr(0, 24))) << mif[65];
        EXPECT_EQ(mif[65].size() - note.size(), mif[65].rfind(note)) << mif[65];
    } else {
        ASSERT_EQ(KilledCode, Install("SETUP_STOP_AFTER_STEP", row.step));
        // It holds a copy of the configuration, password included.
        EXPECT_EQ(machine::ProtectedKeyAccess, machine::KeyAccess(INSTALL_RECORD_KEY));
        // The next run, stopped once it has dealt with the killed one.
        ASSERT_EQ(KilledCode, Install("SETUP_STOP_AFTER_STEP", EarlierRunFinished));
    }
    if (row.step == Succeeded)
        machine::ExpectInstalledAgent("C:\\DORURE\\", "sa", "");
    else
        EXPECT_EQ(before, machine::AgentMachineSnapshot());
    EXPECT_FALSE(robot::FileExists("C:\\DORURE\\~stfcopy.tmp")) << "nothing set aside is left";

    ASSERT_EQ(0u, Install());
    machine::ExpectInstalledAgent("C:\\DORURE\\", "sa", "");
    EXPECT_FALSE(robot::FileExists("C:\\DORURE\\~stfcopy.tmp"));
    EXPECT_FALSE(machine::KeyExists(INSTALL_RECORD_KEY));
}

// The whole road of a file in use: the run succeeds and says a restart
// completes it, and after the restart the agent is whole in the new version.
TEST_F(InstallGivesBack, FileInUseIsPlacedWhenWindowsRestarts)
{
    ASSERT_NO_FATAL_FAILURE(EarlierAgent());
    HANDLE held = CreateFileA("C:\\DORURE\\DORURE60.WRI", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    DWORD code = Install();
    CloseHandle(held);
    ASSERT_EQ(3010u, code) << "a restart completes it";
    EXPECT_EQ("VALUE = \"" + FormatText(10185, "C:\\DORURE\\DORURE60.WRI") + "\"", MifLines().at(65));
    EXPECT_EQ("release notes of version 1", robot::ReadWholeFile("C:\\DORURE\\DORURE60.WRI"));
    EXPECT_EQ((DWORD)SERVICE_STOPPED, machine::QueryService(RPC_SERVICE_NAME).state);

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION restart = {};
    char command[] = "wineboot.exe -r";
    ASSERT_TRUE(CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &restart));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(restart.hProcess, 60000));
    CloseHandle(restart.hThread);
    CloseHandle(restart.hProcess);
    // A restart of the prefix keeps its service manager: the agent's service
    // is started as Windows starts an automatic one at boot.
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceA(manager, RPC_SERVICE_NAME, SERVICE_START);
    EXPECT_TRUE(StartServiceA(service, 0, NULL));
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    machine::ExpectInstalledAgent("C:\\DORURE\\", "sa", "");
    EXPECT_EQ(std::vector<std::string>(), machine::FilesIn("C:\\DORURE\\~stfcopy.tmp"));
}

// Killed in the middle of the copy, one file half written and others in
// place: the next run gives the earlier agent back whole.
TEST_F(InstallGivesBack, KilledInTheMiddleOfTheCopy)
{
    ASSERT_NO_FATAL_FAILURE(EarlierAgent());
    std::string before = machine::AgentMachineSnapshot();
    std::string source = CopyDistribution("C:\\bigsrc");
    ASSERT_TRUE(robot::MakeSparseFile("C:\\bigsrc\\big.bin", 3LL << 30));
    WriteTextFile(source + "\\setup.inf", robot::ReadWholeFile(source + "\\setup.inf") + "big.bin, 3221225472\r\n");
    robot::Finish(run_);
    ASSERT_TRUE(robot::StartSetup(run_, source, "SMSINSTALL"));
    // Under way: a copy of more than a megabyte in the work folder.
    auto copying = [] {
        for (const std::string &name : machine::FilesIn("C:\\DORURE\\~stfcopy.tmp")) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (GetFileAttributesExA(("C:\\DORURE\\~stfcopy.tmp\\" + name).c_str(), GetFileExInfoStandard, &data) &&
                (data.nFileSizeHigh || data.nFileSizeLow > (1u << 20)))
                return true;
        }
        return false;
    };
    bool seen = false;
    for (int i = 0; i < 600 && !(seen = copying()); i++)
        Sleep(50);
    TerminateProcess(run_.process.hProcess, 1);
    robot::WaitForExit(run_, 10000);
    EXPECT_TRUE(seen) << "killed while the copy was under way";

    ASSERT_EQ(KilledCode, Install("SETUP_STOP_AFTER_STEP", EarlierRunFinished));
    RemoveDirectoryTree(source);
    EXPECT_EQ(before, machine::AgentMachineSnapshot());
    EXPECT_FALSE(robot::FileExists("C:\\DORURE\\~stfcopy.tmp")) << "nothing set aside is left";
}

INSTANTIATE_TEST_SUITE_P(Steps, InstallGivesBack, ::testing::ValuesIn(Rows),
                         [](const ::testing::TestParamInfo<StepRow> &info) { return info.param.name; });

}  // namespace

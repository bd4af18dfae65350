/*
 * What an unattended run tells SMS, one row per machine state: the run ends
 * on its own within its bound, without a window that waits for an answer,
 * its status record is true, and what it must not touch is still there.
 */
#include <gtest/gtest.h>

#include <stdarg.h>
#include <stdio.h>

#include <functional>
#include <string>

#include "scenario/machine_state.h"
#include "scenario/scenario_support.h"
#include "product.h"

using namespace scenario;

namespace {

const char Services[] = "SYSTEM\\CurrentControlSet\\Services\\";
const char OtherAgentKey[] = AGENT_AGENTS_KEY "\\exchange";
const char OtherDirectory[] = "D:\\OTHER";
const DWORD RunLimitMs = 60000;
// A stop is waited for 30 seconds at most; the rest is the run itself.
const DWORD StopLimitRunMs = 75000;

void SetRegistry(const std::string &keyPath, const char *name, DWORD type, const void *data, DWORD size,
                 REGSAM view = 0)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, NULL, 0, KEY_ALL_ACCESS | view,
                                             NULL, &key, NULL));
    RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
}

void SetText(const std::string &keyPath, const char *name, DWORD type, const std::string &text, REGSAM view = 0)
{
    SetRegistry(keyPath, name, type, text.c_str(), (DWORD)text.size() + 1, view);
}

void SetDword(const std::string &keyPath, const char *name, DWORD number)
{
    SetRegistry(keyPath, name, REG_DWORD, &number, sizeof(number));
}

// The machine a row starts from, and what the row's checks look at.
class Machine {
public:
    std::string distribution = robot::DistDirectory();
    HANDLE held = INVALID_HANDLE_VALUE;
    SC_HANDLE heldManager = NULL, heldService = NULL;
    robot::SetupRun beside;

    void Install()
    {
        robot::SetupRun run;
        ASSERT_TRUE(robot::StartSetup(run, robot::DistDirectory(), "SMSINSTALL"));
        ASSERT_EQ(0u, robot::WaitForExit(run, RunLimitMs));
        robot::Finish(run);
        ASSERT_EQ((DWORD)SERVICE_RUNNING, machine::WaitForServiceState(RPC_SERVICE_NAME, SERVICE_RUNNING, 15000));
        ForgetEarlierRuns();
    }
    void Distribution(const std::string &directory, const std::vector<std::string> &leaveOut = {})
    {
        distribution = CopyDistribution(directory, leaveOut);
    }
    void Configuration(const std::string &directory, const std::string &content)
    {
        Distribution(directory, {"SETUP.ICF"});
        WriteTextFile(directory + "\\SETUP.ICF", content);
    }
    void OtherAgent(const std::string &library)
    {
        CreateDirectoryA(OtherDirectory, NULL);
        WriteTextFile(std::string(OtherDirectory) + "\\exagent.dll", "the other agent's library");
        SetText(OtherAgentKey, "dll", REG_SZ, library);
        SetText(OtherAgentKey, "user", REG_SZ, "other");
    }
    void Hold(const std::string &path)
    {
        held = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held) << path;
    }
    // An open handle keeps a deleted service marked for deletion.
    void HoldService(const char *name)
    {
        heldManager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
        heldService = OpenServiceA(heldManager, name, SERVICE_ALL_ACCESS);
        ASSERT_NE(nullptr, heldService) << name;
    }
    void RestartWithStopBehaviour(DWORD behaviour)
    {
        ASSERT_TRUE(machine::RestartWithStopBehaviour(RPC_SERVICE_NAME, behaviour));
    }
    // A removal that ends as a power loss would, right after its step N.
    void RemovalKilledAfter(int step)
    {
        SetEnvironmentVariableA("SETUP_STOP_AFTER_STEP", std::to_string(step).c_str());
        robot::SetupRun run;
        bool started = robot::StartSetup(run, distribution, "SMSUNINSTALL");
        DWORD code = robot::WaitForExit(run, RunLimitMs);
        robot::Finish(run);
        SetEnvironmentVariableA("SETUP_STOP_AFTER_STEP", NULL);
        ASSERT_TRUE(started);
        ASSERT_EQ(99u, code) << "killed after step " << step;
    }
    // A run that is still at work when the row's run starts.
    void RunBeside(const char *arguments)
    {
        ASSERT_TRUE(robot::StartSetup(beside, distribution, arguments));
        Sleep(3000);
    }
    // The run beside ends with the code of the row's status, which is its own.
    void Release(DWORD besideCode = 0)
    {
        if (beside.started) {
            EXPECT_EQ(besideCode, robot::WaitForExit(beside, StopLimitRunMs)) << "the run beside ends";
        }
        robot::Finish(beside);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        if (heldService)
            CloseServiceHandle(heldService);
        if (heldManager)
            CloseServiceHandle(heldManager);
        heldService = NULL;
        heldManager = NULL;
    }
};

std::string ImagePath(const char *service)
{
    std::string data = machine::ReadValue(std::string(Services) + service, "ImagePath").data;
    return data.empty() ? data : data.substr(0, data.size() - 1);
}

void ExpectNothingRemoved()
{
    EXPECT_TRUE(machine::KeyExists(machine::ConfigKey));
    for (const std::string &name : machine::DistributionFiles())
        EXPECT_TRUE(robot::FileExists("C:\\DORURE\\" + name)) << name;
    EXPECT_TRUE(machine::QueryService(RPC_SERVICE_NAME).exists);
    EXPECT_EQ((DWORD)SERVICE_RUNNING, machine::WaitForServiceState(RPC_SERVICE_NAME, SERVICE_RUNNING, 15000))
        << "the service the run stopped runs again";
}

void ExpectNothingInstalled()
{
    EXPECT_FALSE(machine::KeyExists(machine::ConfigKey));
    EXPECT_FALSE(machine::QueryService(RPC_SERVICE_NAME).exists);
    EXPECT_FALSE(robot::FileExists("C:\\DORURE"));
    EXPECT_FALSE(machine::KeyExists(machine::UninstallEntryKey));
}

// Another agent keeps the shared pieces, and the services run as before.
void ExpectSharedPiecesKept()
{
    EXPECT_FALSE(machine::KeyExists(machine::ConfigKey));
    EXPECT_TRUE(robot::FileExists("C:\\DORURE\\KVASVR.EXE"));
    EXPECT_EQ((DWORD)SERVICE_RUNNING, machine::WaitForServiceState(RPC_SERVICE_NAME, SERVICE_RUNNING, 15000));
}

const std::string PendingRenames = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

struct OutcomeRow {
    const char *name;
    const char *arguments;
    std::function<void(Machine &)> prepare;
    const char *status;
    // The description starts with this text.
    std::function<std::string()> description;
    std::function<void()> expectAfter;
    DWORD limitMs;
};

// The row's name stands for it in the test's name and in messages.
void PrintTo(const OutcomeRow &row, std::ostream *os)
{
    *os << row.name;
}

const std::string LongLibrary = "D:\\" + std::string(300, 'L') + "\\exagent.dll";
const std::string LongPassword = "Sesame" + std::string(300, 's');
// A distribution directory of 246 characters: the path of SETUP.ICF in it
// would have 256, one more than its field holds.
const std::string DeepDirectory = "C:\\deep\\" + std::string(120, 'd') + "\\" + std::string(117, 'e');

// A row's machine: the agent installed, then what the row changes.
std::function<void(Machine &)> Installed(std::function<void(Machine &)> change = [](Machine &) {})
{
    return [change](Machine &m) {
        ASSERT_NO_FATAL_FAILURE(m.Install());
        change(m);
    };
}
const auto NoDescription = [] { return std::string(); };

OutcomeRow RemovalKilledAfter(const char *name, int step)
{
    return {name, "SMSUNINSTALL", Installed([step](Machine &m) { m.RemovalKilledAfter(step); }), "Success",
            NoDescription, ExpectNothingInstalled, RunLimitMs};
}

const OutcomeRow Rows[] = {
    RemovalKilledAfter("RemovalKilledAfterTheServices", 1),
    RemovalKilledAfter("RemovalKilledAfterTheProductList", 2),
    RemovalKilledAfter("RemovalKilledAfterTheStartMenu", 3),
    RemovalKilledAfter("RemovalKilledAfterTheFiles", 4),
    RemovalKilledAfter("RemovalKilledAfterTheKeys", 5),
    {"OtherAgentInTheSameDirectorySpeltOtherwise", "SMSUNINSTALL",
     Installed([](Machine &m) { m.OtherAgent("c:\\Windows\\..\\dorure\\.\\exagent.dll"); }), "Success", NoDescription,
     ExpectSharedPiecesKept, RunLimitMs},
    {"OtherAgentInThe32BitView", "SMSUNINSTALL",
     Installed([](Machine &) { SetText(OtherAgentKey, "dll", REG_SZ, "C:\\DORURE\\exagent.dll", KEY_WOW64_32KEY); }),
     "Success", NoDescription,
     [] {
         ExpectSharedPiecesKept();
         HKEY key;
         EXPECT_EQ(0, RegOpenKeyExA(HKEY_LOCAL_MACHINE, OtherAgentKey, 0, KEY_READ | KEY_WOW64_32KEY, &key));
         RegCloseKey(key);
     },
     RunLimitMs},
    {"HandOverWithoutTheBroadcastService", "SMSUNINSTALL",
     Installed([](Machine &m) {
         m.OtherAgent("D:\\OTHER\\exagent.dll");
         WriteTextFile("D:\\OTHER\\kvabrd.exe", "the other agent's broadcast program");
     }),
     "Success", NoDescription,
     [] {
         EXPECT_EQ("D:\\OTHER\\kvasvr.exe", ImagePath(RPC_SERVICE_NAME));
         EXPECT_EQ((DWORD)SERVICE_RUNNING, machine::WaitForServiceState(RPC_SERVICE_NAME, SERVICE_RUNNING, 15000));
         EXPECT_FALSE(robot::FileExists("C:\\DORURE"));
     },
     RunLimitMs},
    {"LibraryInADirectoryWithoutTheAgent", "SMSUNINSTALL",
     Installed([](Machine &) {
         CreateDirectoryA("C:\\KEEP", NULL);
         SetText(machine::ConfigKey, "dll", REG_SZ, "C:\\KEEP\\dorure60.dll");
     }),
     "Failed", [] { return LoadText(10090); }, ExpectNothingRemoved, RunLimitMs},
    {"WorkFolderOfAKilledCopy", "SMSUNINSTALL",
     Installed([](Machine &) {
         CreateDirectoryA("C:\\DORURE\\~stfcopy.tmp", NULL);
         WriteTextFile("C:\\DORURE\\~stfcopy.tmp\\copy0.tmp", "half a copy");
     }),
     "Success", NoDescription, ExpectNothingInstalled, RunLimitMs},
    {"ForeignFileInTheDirectory", "SMSUNINSTALL",
     Installed([](Machine &) { WriteTextFile("C:\\DORURE\\notes.txt", "the administrator's"); }), "Failed",
     [] { return FormatText(10140, "C:\\DORURE", ERROR_DIR_NOT_EMPTY); },
     [] { EXPECT_TRUE(robot::FileExists("C:\\DORURE\\notes.txt")); }, RunLimitMs},
    {"SecondRunBesideARunningOne", "SMSINSTALL",
     Installed([](Machine &m) {
         m.RestartWithStopBehaviour(4);
         m.RunBeside("SMSINSTALL");
     }),
     "Failed", [] { return FormatText(10089, RPC_SERVICE_NAME, 30); },
     [] { EXPECT_FALSE(LogHas(LoadText(10009))) << "the running run's log is its own"; }, StopLimitRunMs},
    {"ServiceThatStaysStopPending", "SMSINSTALL", Installed([](Machine &m) { m.RestartWithStopBehaviour(1); }),
     "Success", NoDescription,
     [] { EXPECT_EQ((DWORD)SERVICE_RUNNING, machine::WaitForServiceState(RPC_SERVICE_NAME, SERVICE_RUNNING, 15000)); },
     RunLimitMs},
    {"InstallPathLongerThanTheCopyCanFill", "SMSINSTALL",
     [](Machine &m) { m.Configuration("C:\\longip", "[Settings]\r\nInstallPath=C:\\" + std::string(234, 'p')); },
     "Failed", [] { return FormatText(10088, "InstallPath", 236, "C:\\longip\\SETUP.ICF"); }, ExpectNothingInstalled,
     RunLimitMs},
    {"HandOffTokenFromTheDistribution", "SMSUNINSTALL HANDOFF=0,0", Installed(), "Success", NoDescription,
     [] {
         ExpectNothingInstalled();
         std::string pending = machine::ReadValue(PendingRenames, "PendingFileRenameOperations").data;
         EXPECT_EQ(std::string::npos, pending.find(robot::DistDirectory())) << "the distribution stays";
     },
     RunLimitMs},
    {"SetupInfMissing", "SMSINSTALL", [](Machine &m) { m.Distribution("C:\\noinf", {"setup.inf"}); },
     "Failed", [] { return FormatText(10085, "C:\\noinf\\"); }, ExpectNothingInstalled, RunLimitMs},
    {"ResourceLibraryMissing", "SMSINSTALL", [](Machine &m) { m.Distribution("C:\\nores", {"HFNTSET.DLL"}); },
     "Failed", [] { return std::string("Faild to load HFNTSET.DLL"); }, ExpectNothingInstalled, RunLimitMs},
    {"ServiceThatNeverStops", "SMSINSTALL",
     [](Machine &m) {
         m.Install();
         m.RestartWithStopBehaviour(4);
     },
     "Failed", [] { return FormatText(10089, RPC_SERVICE_NAME, 30); },
     [] {
         EXPECT_TRUE(machine::KeyExists(machine::ConfigKey)) << "nothing was changed";
         EXPECT_TRUE(LogHas(FormatText(10089, RPC_SERVICE_NAME, 30) + " " + LoadText(10170)));
     },
     StopLimitRunMs},
    {"ServiceThatRefusesToStop", "SMSINSTALL",
     [](Machine &m) {
         m.Install();
         m.RestartWithStopBehaviour(2);
     },
     "Failed", [] { return FormatText(10141, RPC_SERVICE_NAME, 0).substr(0, 40); },
     [] {
         EXPECT_EQ((DWORD)SERVICE_RUNNING, machine::QueryService(RPC_SERVICE_NAME).state);
         EXPECT_TRUE(machine::KeyExists(machine::ConfigKey)) << "nothing is replaced under a running program";
     },
     RunLimitMs},
    {"RelativeInstallPath", "SMSINSTALL",
     [](Machine &m) { m.Configuration("C:\\relpath", "[Settings]\r\nInstallPath=DORURE\r\n"); }, "Failed",
     [] { return FormatText(10087, "DORURE", "C:\\relpath\\SETUP.ICF"); }, ExpectNothingInstalled, RunLimitMs},
    {"PasswordTooLong", "SMSINSTALL",
     [](Machine &m) {
         m.Configuration("C:\\longpw", "[Settings]\r\nInstallPath=C:\\DORURE\r\n[SQL Account Info]\r\nPassword=" +
                                           LongPassword + "\r\n");
     },
     "Failed", [] { return FormatText(10088, "Password", 255, "C:\\longpw\\SETUP.ICF"); },
     [] {
         ExpectNothingInstalled();
         EXPECT_EQ(std::string::npos, robot::ReadWholeFile(MifPath()).find("Sesame")) << "no password text";
         EXPECT_EQ(std::string::npos, robot::ReadWholeFile(LogPath).find("Sesame")) << "no password text";
     },
     RunLimitMs},
    {"DistributionTooDeep", "SMSINSTALL",
     [](Machine &m) {
         CreateDirectoryA("C:\\deep", NULL);
         CreateDirectoryA(("C:\\deep\\" + std::string(120, 'd')).c_str(), NULL);
         m.Distribution(DeepDirectory);
     },
     "Failed", [] { return LoadText(10086); },
     [] {
         ExpectNothingInstalled();
         RemoveDirectoryTree("C:\\deep");
     },
     RunLimitMs},
    {"FileInUseIsPlacedAtTheRestart", "SMSINSTALL",
     [](Machine &m) {
         m.Install();
         m.Hold("C:\\DORURE\\dorure60.dll");
     },
     "Success", [] { return FormatText(10185, "C:\\DORURE\\dorure60.dll"); },
     [] {
         EXPECT_EQ((DWORD)SERVICE_STOPPED, machine::QueryService(RPC_SERVICE_NAME).state) << "no start on mixed files";
         EXPECT_FALSE(LogHas("Setup started the service KvaRpcService again."));
     },
     RunLimitMs},
    {"ServiceNotCreated", "SMSINSTALL",
     [](Machine &m) {
         m.Install();
         m.HoldService(RPC_SERVICE_NAME);
     },
     "Failed", [] { return LoadText(10003) + " SQL ZEduziz : 1072"; },
     [] { EXPECT_FALSE(LogHas(LoadText(10076))) << "no start is offered without a service"; }, RunLimitMs},
    {"OtherAgentsLibraryUnreadable", "SMSUNINSTALL",
     [](Machine &m) {
         m.Install();
         m.OtherAgent(LongLibrary);
     },
     "Failed", [] { return FormatText(10091, "C:\\DORURE", "exchange"); },
     [] {
         EXPECT_TRUE(machine::QueryService(RPC_SERVICE_NAME).exists) << "the other agent may need it";
         EXPECT_TRUE(robot::FileExists("C:\\DORURE\\KVASVR.EXE"));
         EXPECT_TRUE(machine::KeyExists(AGENT_FAMILY_KEY));
         EXPECT_FALSE(machine::KeyExists(machine::ConfigKey)) << "this agent's own key goes";
     },
     RunLimitMs},
    {"OwnLibraryNotAString", "SMSUNINSTALL",
     [](Machine &m) {
         m.Install();
         SetDword(machine::ConfigKey, "dll", 1);
     },
     "Failed", [] { return LoadText(10090); }, ExpectNothingRemoved, RunLimitMs},
    {"OwnLibraryWithoutDirectory", "SMSUNINSTALL",
     [](Machine &m) {
         m.Install();
         SetText(machine::ConfigKey, "dll", REG_SZ, "dorure60.dll");
     },
     "Failed", [] { return LoadText(10090); }, ExpectNothingRemoved, RunLimitMs},
    {"QuotedImagePathWithArguments", "SMSUNINSTALL",
     [](Machine &m) {
         m.Install();
         SetText(std::string(Services) + RPC_SERVICE_NAME, "ImagePath", REG_EXPAND_SZ,
                 "\"C:\\DORURE\\KVASVR.EXE\" -service");
     },
     "Success", [] { return std::string(); },
     [] {
         EXPECT_FALSE(machine::QueryService(RPC_SERVICE_NAME).exists);
         EXPECT_FALSE(robot::FileExists("C:\\DORURE"));
     },
     RunLimitMs},
    {"ImagePathWithoutDirectory", "SMSUNINSTALL",
     [](Machine &m) {
         m.Install();
         SetText(std::string(Services) + RPC_SERVICE_NAME, "ImagePath", REG_EXPAND_SZ, "KVASVR.EXE");
     },
     "Failed", [] { return FormatText(10092, RPC_SERVICE_NAME, "KVASVR.EXE"); },
     [] {
         EXPECT_TRUE(machine::QueryService(RPC_SERVICE_NAME).exists) << "a service it cannot place stays";
         EXPECT_FALSE(robot::FileExists("C:\\DORURE\\dorure60.dll"));
     },
     RunLimitMs},
    {"ImagePathNotAString", "SMSUNINSTALL",
     [](Machine &m) {
         m.Install();
         SetDword(std::string(Services) + RPC_SERVICE_NAME, "ImagePath", 7);
     },
     "Failed", [] { return LoadText(10065); }, ExpectNothingRemoved, RunLimitMs},
    {"AgentFileHeldOpen", "SMSUNINSTALL",
     [](Machine &m) {
         m.Install();
         m.Hold("C:\\DORURE\\dorure60.dll");
     },
     "Failed", [] { return FormatText(10095, 1, "dorure60.dll", ERROR_SHARING_VIOLATION, "C:\\DORURE"); },
     [] { EXPECT_FALSE(robot::FileExists("C:\\DORURE\\dorure60.wri")) << "the rest goes"; }, RunLimitMs},
    {"HandOverToAnAgentWithoutServiceProgram", "SMSUNINSTALL",
     [](Machine &m) {
         m.Install();
         m.OtherAgent("D:\\OTHER\\exagent.dll");
     },
     "Success", [] { return std::string(); },
     [] {
         EXPECT_EQ("D:\\OTHER\\kvasvr.exe", ImagePath(RPC_SERVICE_NAME));
         EXPECT_EQ(robot::ReadWholeFile(robot::DistDirectory() + "\\KVASVR.EXE"),
                   robot::ReadWholeFile("D:\\OTHER\\kvasvr.exe"))
             << "the services' program went with them";
         EXPECT_FALSE(robot::FileExists("C:\\DORURE"));
     },
     RunLimitMs},
};

class UnattendedOutcome : public ::testing::TestWithParam<OutcomeRow> {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override
    {
        robot::Finish(run_);
        machine_.Release();
        Clean();
    }
    static void Clean()
    {
        machine::CleanMachine();
        RemoveDirectoryTree(OtherDirectory);
        RemoveDirectoryTree("C:\\KEEP");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, machine::UninstallEntryKey);
        HKEY software;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &software) == 0) {
            RegDeleteTreeA(software, "Tamarack");
            RegCloseKey(software);
        }
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(Services) + "KvaRpcService\\Parameters").c_str());
    }
    // No quiet run may wait for anybody: a window left open names the fault.
    void RunToItsEnd(const OutcomeRow &row)
    {
        ASSERT_TRUE(robot::StartSetup(run_, machine_.distribution, row.arguments));
        DWORD code = robot::WaitForExit(run_, row.limitMs);
        if (code == STILL_ACTIVE) {
            std::string windows;
            for (HWND window : robot::ProcessWindows(run_.process.dwProcessId))
                windows += " [" + robot::WindowText(window) + ": " + robot::MessageBoxText(window) + "]";
            FAIL() << "setup still runs after " << row.limitMs << " ms;" << windows;
        }
        // A success that says something says a restart completes it.
        bool success = std::string(row.status) == "Success";
        DWORD statusCode = !success ? 1603u : row.description().empty() ? 0u : 3010u;
        // Beside a running run, the row's run is the one refused.
        EXPECT_EQ(machine_.beside.started ? 1618u : statusCode, code) << "the exit code tells the status";
        machine_.Release(statusCode);
    }
    robot::SetupRun run_;
    Machine machine_;
};

TEST_P(UnattendedOutcome, StatusIsTrueAndOthersKeepTheirs)
{
    const OutcomeRow &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(row.prepare(machine_));
    std::string otherKey = machine::KeySnapshot(OtherAgentKey);
    // A hand-over may bring the services' program, which logs there as it
    // runs; nothing else changes there.
    std::string otherFiles = machine::DirectorySnapshot(OtherDirectory, {"kvasvr.exe", AGENT_LOG_FILE});

    ASSERT_NO_FATAL_FAILURE(RunToItsEnd(row));

    std::vector<std::string> mif = MifLines();
    ASSERT_EQ(69u, mif.size()) << "one status record";
    EXPECT_EQ(std::string("VALUE = \"") + row.status + "\"", mif[57]);
    std::string description = mif[65].substr(9, mif[65].size() - 10);
    std::string expected = row.description().substr(0, 255);
    if (expected.empty())
        EXPECT_EQ("", description);
    else
        EXPECT_EQ(0u, description.find(expected)) << "expected it to start with \"" << expected << "\", got \""
                                                  << description << "\"";
    EXPECT_LE(description.size(), 255u) << "the description attribute is a STRING(255)";
    EXPECT_EQ(otherKey, machine::KeySnapshot(OtherAgentKey)) << "another agent's registration";
    EXPECT_EQ(otherFiles, machine::DirectorySnapshot(OtherDirectory, {"kvasvr.exe", AGENT_LOG_FILE}))
        << "another agent's files";
    row.expectAfter();
}

INSTANTIATE_TEST_SUITE_P(Rows, UnattendedOutcome, ::testing::ValuesIn(Rows),
                         [](const ::testing::TestParamInfo<OutcomeRow> &info) { return info.param.name; });

}  // namespace

/*
 * Programs and Features as a real client reads and uses it: Wine's own
 * uninstaller lists the entry an install writes and runs its removal
 * command, after the distribution the agent came from is gone.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "product.h"
#include "scenario/machine_state.h"
#include "scenario/scenario_support.h"

using namespace scenario;

namespace {

const char EntryName[] = PRODUCT_UNINSTALL_KEY;
const char Distribution[] = "C:\\DIST";
const char OtherAgentKey[] = AGENT_AGENTS_KEY "\\exchange";
const DWORD RunLimitMs = 120000;

std::string KeptCopyDirectory()
{
    char programFiles[MAX_PATH];
    GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof(programFiles));
    return std::string(programFiles) + "\\" REMOVAL_COPY_FOLDER;
}

std::string EntryText(const char *name)
{
    std::string data = machine::ReadValue(machine::UninstallEntryKey, name).data;
    return data.empty() ? data : data.substr(0, data.size() - 1);
}

DWORD EntryNumber(const char *name)
{
    machine::RegistryValue value = machine::ReadValue(machine::UninstallEntryKey, name);
    DWORD number = 0xFFFFFFFF;
    if (value.type == REG_DWORD && value.data.size() == 4)
        memcpy(&number, value.data.data(), 4);
    return number;
}

// What setup.inf lists, in kilobytes rounded up.
DWORD ListedKilobytes()
{
    std::string inf = robot::ReadWholeFile(robot::DistDirectory() + "\\setup.inf");
    unsigned long long bytes = 0;
    for (const std::string &line : robot::SplitLines(inf)) {
        size_t comma = line.find(", ");
        if (comma != std::string::npos && line[0] != ';')
            bytes += strtoull(line.c_str() + comma + 2, NULL, 10);
    }
    return (DWORD)((bytes + 1023) / 1024);
}

// A program of Wine's own, run to its end; what it wrote to its output.
std::string RunProgram(const std::string &commandLine, DWORD limitMs, PROCESS_INFORMATION *started = NULL)
{
    char outputPath[MAX_PATH];
    GetTempPathA(sizeof(outputPath), outputPath);
    lstrcatA(outputPath, "uninstaller-output.txt");
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE output = CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    BOOL created = CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process);
    CloseHandle(output);
    if (!created)
        return "(not started)";
    if (started) {
        *started = process;
        return "";
    }
    WaitForSingleObject(process.hProcess, limitMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return robot::ReadWholeFile(outputPath);
}

// The removal runs in a process of its own, started by the one the client
// started: its boxes are looked for among every process's windows.
struct BoxSearch {
    std::string containing;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context)
{
    BoxSearch *search = reinterpret_cast<BoxSearch *>(context);
    if (IsWindowVisible(window) && robot::IsMessageBox(window) &&
        robot::MessageBoxText(window).find(search->containing) != std::string::npos) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

bool AnswerBoxContaining(const std::string &text, int answer, DWORD limitMs = 30000)
{
    DWORD start = GetTickCount();
    do {
        BoxSearch search = {text, NULL};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return robot::AnswerMessageBox(search.found, answer);
        Sleep(100);
    } while (GetTickCount() - start < limitMs);
    return false;
}

bool WaitUntilGone(const std::string &path, DWORD limitMs)
{
    DWORD start = GetTickCount();
    while (robot::FileExists(path) && GetTickCount() - start < limitMs)
        Sleep(100);
    return !robot::FileExists(path);
}

// The setup that ran from there may still be letting its files go.
bool DeleteTheDistribution()
{
    for (int attempt = 0; attempt < 50 && robot::FileExists(Distribution); attempt++) {
        RemoveDirectoryTree(Distribution);
        Sleep(200);
    }
    return !robot::FileExists(Distribution);
}

class ProgramsAndFeatures : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override
    {
        robot::Finish(run_);
        Clean();
    }
    static void Clean()
    {
        machine::CleanMachine();
        machine::CleanMachine("D:\\AGENT2");
        RemoveDirectoryTree("D:\\OTHER");
        RemoveDirectoryTree(Distribution);
        RemoveDirectoryTree(KeptCopyDirectory());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, machine::UninstallEntryKey);
    }
    DWORD RunSetup(const std::string &directory, const std::string &arguments)
    {
        robot::Finish(run_);
        if (!robot::StartSetup(run_, directory, arguments))
            return 0xFFFFFFFF;
        return robot::WaitForExit(run_, RunLimitMs);
    }
    void InstallFromACopyOfTheDistribution()
    {
        CopyDistribution(Distribution);
        ASSERT_EQ(0u, RunSetup(Distribution, "SMSINSTALL"));
        ASSERT_TRUE(machine::KeyExists(machine::UninstallEntryKey));
    }
    // Another agent of the family in D:\OTHER, with an older service program.
    void AddOtherAgent()
    {
        CreateDirectoryA("D:\\OTHER", NULL);
        WriteTextFile("D:\\OTHER\\exagent.dll", "the other agent's library");
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, OtherAgentKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                                 &key, NULL));
        const char library[] = "D:\\OTHER\\exagent.dll";
        RegSetValueExA(key, "dll", 0, REG_SZ, (const BYTE *)library, sizeof(library));
        RegCloseKey(key);
    }
    void ExpectNothingOfTheAgentLeft()
    {
        EXPECT_FALSE(machine::KeyExists(machine::ConfigKey));
        EXPECT_FALSE(robot::FileExists("C:\\DORURE")) << "the agent's directory";
        EXPECT_FALSE(machine::KeyExists(machine::UninstallEntryKey)) << "the Programs and Features entry";
        EXPECT_TRUE(WaitUntilGone(KeptCopyDirectory(), 15000)) << "the kept copy of setup";
        EXPECT_EQ(std::string::npos, RunProgram("uninstaller.exe --list", RunLimitMs).find(EntryName));
    }
    robot::SetupRun run_;
};

TEST_F(ProgramsAndFeatures, InstallWritesTheEntryAndReinstallUpdatesIt)
{
    InstallFromACopyOfTheDistribution();
    std::string copy = KeptCopyDirectory();
    EXPECT_EQ(PRODUCT_NAME, EntryText("DisplayName"));
    EXPECT_EQ(PRODUCT_VERSION, EntryText("DisplayVersion"));
    EXPECT_EQ(PRODUCT_PUBLISHER, EntryText("Publisher"));
    EXPECT_EQ("C:\\DORURE\\", EntryText("InstallLocation"));
    EXPECT_EQ(ListedKilobytes(), EntryNumber("EstimatedSize"));
    EXPECT_EQ(1u, EntryNumber("NoModify"));
    EXPECT_EQ(1u, EntryNumber("NoRepair"));
    EXPECT_EQ(copy + "\\setup.exe,0", EntryText("DisplayIcon"));
    EXPECT_NE(nullptr, ExtractIconA(NULL, (copy + "\\setup.exe").c_str(), 0)) << "the program has its icon";
    std::string notes = "C:\\DORURE\\" AGENT_NOTES_FILE;
    EXPECT_EQ(notes, EntryText("Readme"));
    EXPECT_EQ(PRODUCT_HELP_LINK[0] ? PRODUCT_HELP_LINK : notes, EntryText("HelpLink"))
        << "without a support address the help is the release notes";
    EXPECT_TRUE(robot::FileExists(EntryText("HelpLink")) || PRODUCT_HELP_LINK[0]) << "the help is there to open";
    EXPECT_EQ(PRODUCT_CONTACT, EntryText("Contact"));
    EXPECT_EQ("\"" + copy + "\\setup.exe\" REMOVE", EntryText("UninstallString"));
    EXPECT_EQ("\"" + copy + "\\setup.exe\" SMSUNINSTALL", EntryText("QuietUninstallString"));
    for (const char *name : {"setup.exe", "HFNTSET.DLL", "MSCOMSTF.DLL", "MSSHLSTF.DLL", "MSUILSTF.DLL",
                             "MSDETSTF.DLL", "MSINSSTF.DLL", "CTL3D32.DLL", "KSSETUP.dll"})
        EXPECT_EQ(robot::ReadWholeFile(robot::DistDirectory() + "\\" + name),
                  robot::ReadWholeFile(copy + "\\" + name))
            << name << " is kept as it was in the distribution";
    std::string listed = RunProgram("uninstaller.exe --list", RunLimitMs);
    EXPECT_NE(std::string::npos, listed.find(std::string(EntryName) + "|||" + PRODUCT_NAME)) << listed;

    WriteTextFile("C:\\move.icf", "[Settings]\r\nInstallPath=D:\\AGENT2\\\r\n");
    ASSERT_EQ(0u, RunSetup(Distribution, "I:C:\\move.icf"));
    EXPECT_EQ("D:\\AGENT2\\", EntryText("InstallLocation")) << "a reinstall updates the entry";
    DeleteFileA("C:\\move.icf");
}

TEST_F(ProgramsAndFeatures, FailedInstallLeavesNoEntry)
{
    CopyDistribution(Distribution, {"SETUP.ICF"});
    WriteTextFile(std::string(Distribution) + "\\SETUP.ICF", "[Settings]\r\nInstallPath=C:\\DORURE\r\n");
    // A directory stands where the agent's library goes: the copy fails.
    CreateDirectoryA("C:\\DORURE", NULL);
    CreateDirectoryA("C:\\DORURE\\dorure60.dll", NULL);
    DWORD code = RunSetup(Distribution, "SMSINSTALL");
    RemoveDirectoryA("C:\\DORURE\\dorure60.dll");
    ASSERT_EQ(1603u, code);
    EXPECT_FALSE(machine::KeyExists(machine::UninstallEntryKey));
    EXPECT_FALSE(robot::FileExists(KeptCopyDirectory()));
}

TEST_F(ProgramsAndFeatures, RemovalCommandWorksAfterTheDistributionIsGone)
{
    InstallFromACopyOfTheDistribution();
    AddOtherAgent();
    std::string otherKey = machine::KeySnapshot(OtherAgentKey);
    std::string otherFiles = machine::DirectorySnapshot("D:\\OTHER", {"kvasvr.exe", AGENT_LOG_FILE});
    ASSERT_TRUE(DeleteTheDistribution());

    PROCESS_INFORMATION uninstaller = {};
    RunProgram(std::string("uninstaller.exe --remove ") + EntryName, 0, &uninstaller);
    ASSERT_NE(nullptr, uninstaller.hProcess) << "uninstaller.exe did not start";
    EXPECT_TRUE(AnswerBoxContaining(LoadText(10063), IDYES)) << "the removal question";
    EXPECT_TRUE(AnswerBoxContaining(LoadText(10029).substr(0, 30), IDYES)) << "the question to stop the services";
    EXPECT_TRUE(AnswerBoxContaining(LoadText(10064), IDOK)) << "the removal's end";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(uninstaller.hProcess, RunLimitMs));
    CloseHandle(uninstaller.hThread);
    CloseHandle(uninstaller.hProcess);

    ExpectNothingOfTheAgentLeft();
    EXPECT_EQ(otherKey, machine::KeySnapshot(OtherAgentKey)) << "another agent's registration";
    EXPECT_EQ(otherFiles, machine::DirectorySnapshot("D:\\OTHER", {"kvasvr.exe", AGENT_LOG_FILE})) << "another agent's files";
    EXPECT_EQ("D:\\OTHER\\kvasvr.exe", machine::QueryService(RPC_SERVICE_NAME).imagePath)
        << "the services stay for the other agent";
}

// The program started there ends with the code of the copy that did the work.
TEST_F(ProgramsAndFeatures, KeptCopyEndsWithTheCodeOfTheRemoval)
{
    InstallFromACopyOfTheDistribution();
    // An interrupted removal left only the entry: the copy removes it and
    // succeeds, where the program's own answer would be a failure.
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_LOCAL_MACHINE, machine::ConfigKey));
    machine::StopAndDeleteService(RPC_SERVICE_NAME);
    EXPECT_EQ(0u, RunSetup(KeptCopyDirectory(), "SMSUNINSTALL"));
    EXPECT_FALSE(machine::KeyExists(machine::UninstallEntryKey));
}

// Programs and Features' removal and a quiet one started at once from the
// kept copy: one removes the agent, the other is refused and says so, and
// nothing of the agent or the kept copy stays.
TEST_F(ProgramsAndFeatures, TwoRemovalsAtOnceFromTheKeptCopy)
{
    InstallFromACopyOfTheDistribution();
    robot::SetupRun interactive, quiet;
    ASSERT_TRUE(robot::StartSetup(interactive, KeptCopyDirectory(), "REMOVE"));
    ASSERT_TRUE(robot::StartSetup(quiet, KeptCopyDirectory(), "SMSUNINSTALL"));
    // Whichever wins, the person answers what the interactive one asks.
    const std::string question = LoadText(10063), stop = LoadText(10127), refused = LoadText(10009),
                      done = LoadText(10064);
    DWORD codes[2] = {STILL_ACTIVE, STILL_ACTIVE};
    for (DWORD start = GetTickCount(); GetTickCount() - start < RunLimitMs && codes[0] == STILL_ACTIVE;) {
        for (const std::string &text : {question, stop, refused, done})
            AnswerBoxContaining(text.substr(0, 30), text == question || text == stop ? IDYES : IDOK, 200);
        codes[0] = robot::WaitForExit(interactive, 100);
    }
    codes[1] = robot::WaitForExit(quiet, RunLimitMs);
    robot::Finish(interactive);
    robot::Finish(quiet);
    EXPECT_TRUE((codes[0] == 0 && codes[1] == 1618) || (codes[0] == 1618 && codes[1] == 0))
        << "one removes, the other is refused: " << codes[0] << " and " << codes[1];
    ExpectNothingOfTheAgentLeft();
}

TEST_F(ProgramsAndFeatures, QuietRemovalCommandIsAnSmsRemoval)
{
    InstallFromACopyOfTheDistribution();
    std::string quiet = EntryText("QuietUninstallString");
    ASSERT_TRUE(DeleteTheDistribution());
    ForgetEarlierRuns();
    RunProgram(quiet, RunLimitMs);
    std::vector<std::string> mif = MifLines();
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ("VALUE = \"Success\"", mif[57]);
    ExpectNothingOfTheAgentLeft();
    EXPECT_FALSE(machine::QueryService(RPC_SERVICE_NAME).exists);
}

TEST_F(ProgramsAndFeatures, RemovalFromTheDistributionTakesTheEntryToo)
{
    InstallFromACopyOfTheDistribution();
    ASSERT_EQ(0u, RunSetup(Distribution, "SMSUNINSTALL"));
    ExpectNothingOfTheAgentLeft();
}

// Refused as the quiet road is, keeping the entry that can remove it later.
TEST_F(ProgramsAndFeatures, RemovalOfAnAgentItCannotPlaceKeepsTheEntry)
{
    InstallFromACopyOfTheDistribution();
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, machine::ConfigKey, 0, KEY_SET_VALUE, &key));
    DWORD notAText = 1;
    RegSetValueExA(key, "dll", 0, REG_DWORD, (const BYTE *)&notAText, sizeof(notAText));
    RegCloseKey(key);

    PROCESS_INFORMATION uninstaller = {};
    RunProgram(std::string("uninstaller.exe --remove ") + EntryName, 0, &uninstaller);
    EXPECT_TRUE(AnswerBoxContaining(LoadText(10090).substr(0, 40), IDOK)) << "refused, never \"not installed\"";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(uninstaller.hProcess, RunLimitMs));
    CloseHandle(uninstaller.hThread);
    CloseHandle(uninstaller.hProcess);

    EXPECT_TRUE(robot::FileExists(KeptCopyDirectory() + "\\setup.exe") && machine::KeyExists(machine::UninstallEntryKey));
    EXPECT_TRUE(robot::FileExists("C:\\DORURE\\dorure60.dll"));
    EXPECT_EQ((DWORD)SERVICE_RUNNING, machine::WaitForServiceState(RPC_SERVICE_NAME, SERVICE_RUNNING, 15000));
}

}  // namespace

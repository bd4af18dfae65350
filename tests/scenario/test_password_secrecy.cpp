/*
 * The SQL Server password never shows: every road, failures included, runs
 * with a distinctive password, and neither a file that the run wrote (the
 * log, the status MIF, anything else on the drives), nor its standard output,
 * nor a message box it showed, nor the agent's registry key holds its text.
 */
#include <gtest/gtest.h>

#include <stdarg.h>
#include <stdio.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "scenario/machine_state.h"
#include "scenario/scenario_support.h"
#include "scenario/wizard_steps.h"
#include "product.h"

using namespace scenario;

namespace {

const char Password[] = "Zq7Sesame!Vault";
const char Distribution[] = "C:\\secrecy";
const char ConfigFile[] = "C:\\secret.icf";
const char OutputFile[] = "C:\\secrecy.out";
const DWORD RunLimitMs = 120000;

// The copy of setup that Programs and Features runs for a removal.
std::string KeptCopyDirectory()
{
    char programFiles[MAX_PATH];
    GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof(programFiles));
    return std::string(programFiles) + "\\" REMOVAL_COPY_FOLDER;
}

std::string Upper(std::string text)
{
    CharUpperBuffA(&text[0], (DWORD)text.size());
    return text;
}

std::string Configuration(const std::string &password, const std::string &login = "sa",
                          const std::string &settings = "[Settings]\r\nInstallPath=C:\\DORURE\\\r\n")
{
    return settings + "[SQL Account Info]\r\nID=" + login + "\r\nPassword=" + password + "\r\n";
}

// One road of setup as the administrator takes it, and what it showed.
class Road {
public:
    robot::SetupRun run;
    std::vector<std::string> boxes;
    DWORD exitCode = STILL_ACTIVE;
    HANDLE heldFile = INVALID_HANDLE_VALUE;
    SC_HANDLE heldManager = NULL, heldService = NULL;

    void Start(const std::string &arguments, const std::string &directory = Distribution)
    {
        ASSERT_TRUE(robot::StartSetup(run, directory, arguments, OutputFile));
    }
    void RunToEnd(const std::string &arguments)
    {
        Start(arguments);
        exitCode = robot::WaitForExit(run, RunLimitMs);
        EXPECT_NE((DWORD)STILL_ACTIVE, exitCode);
    }
    void Answer(int button)
    {
        HWND box = robot::WaitForMessageBox(run, wizard::StepTimeoutMs);
        ASSERT_NE(nullptr, box) << "a message box comes up";
        boxes.push_back(robot::MessageBoxText(box));
        robot::AnswerMessageBox(box, button);
        for (int i = 0; i < 200 && IsWindow(box); i++)
            Sleep(25);
    }
    // Answers every box Yes (or OK, where it has no Yes) until setup ends;
    // a box of the copy that a removal hands its work to as well.
    void AnswerUntilExit()
    {
        DWORD start = GetTickCount();
        while (WaitForSingleObject(run.process.hProcess, 50) != WAIT_OBJECT_0) {
            ASSERT_LT(GetTickCount() - start, RunLimitMs) << "setup still runs; windows:" << Windows();
            std::vector<HWND> shown;
            EnumWindows(CollectBox, (LPARAM)&shown);
            for (HWND window : shown) {
                boxes.push_back(robot::MessageBoxText(window));
                robot::AnswerMessageBox(window, GetDlgItem(window, IDYES) ? IDYES : IDOK);
                for (int i = 0; i < 200 && IsWindow(window); i++)
                    Sleep(25);
            }
        }
        GetExitCodeProcess(run.process.hProcess, &exitCode);
    }
    static BOOL CALLBACK CollectBox(HWND window, LPARAM shown)
    {
        if (IsWindowVisible(window) && IsWindowEnabled(window) && robot::IsMessageBox(window))
            ((std::vector<HWND> *)shown)->push_back(window);
        return TRUE;
    }
    std::string Windows()
    {
        std::string windows;
        for (HWND window : robot::ProcessWindows(run.process.dwProcessId))
            windows += " [" + robot::WindowText(window) + ": " + robot::MessageBoxText(window) + "]";
        return windows;
    }
    HWND Page(wizard::Page page)
    {
        HWND dialog = wizard::WaitForPage(run, page);
        if (!dialog)
            ADD_FAILURE() << "page " << page << " did not come up; windows:" << Windows();
        return dialog;
    }
    void Next(wizard::Page page)
    {
        HWND dialog = Page(page);
        if (dialog) {
            EXPECT_TRUE(wizard::Click(dialog, IDC_NEXT));
        }
    }
    void TypeAccount(const std::string &password, const std::string &confirmation)
    {
        HWND account = Page(wizard::Account);
        ASSERT_NE(nullptr, account);
        ASSERT_TRUE(wizard::Type(account, IDC_SQL_LOGIN, "sa"));
        ASSERT_TRUE(wizard::Type(account, IDC_SQL_PASSWORD, password));
        ASSERT_TRUE(wizard::Type(account, IDC_SQL_CONFIRM, confirmation));
        ASSERT_TRUE(wizard::Click(account, IDC_NEXT));
    }
    // Welcome, licence and the destination, whose new directory is accepted.
    void ToAccount()
    {
        Next(wizard::Welcome);
        HWND license = Page(wizard::License);
        ASSERT_NE(nullptr, license);
        ASSERT_TRUE(wizard::Click(license, IDC_LICENSE_ACCEPT));
        Next(wizard::Destination);
        Answer(IDYES);
    }
    void Install()
    {
        robot::SetupRun install;
        ASSERT_TRUE(robot::StartSetup(install, Distribution, "SMSINSTALL"));
        ASSERT_EQ(0u, robot::WaitForExit(install, RunLimitMs));
        robot::Finish(install);
        ForgetEarlierRuns();
    }
    void Release()
    {
        if (heldFile != INVALID_HANDLE_VALUE)
            CloseHandle(heldFile);
        if (heldService)
            CloseServiceHandle(heldService);
        if (heldManager)
            CloseServiceHandle(heldManager);
        heldFile = INVALID_HANDLE_VALUE;
        heldService = heldManager = NULL;
    }
};

void SetConfiguration(const std::string &content)
{
    WriteTextFile(std::string(Distribution) + "\\SETUP.ICF", content);
}

struct SecrecyRow {
    const char *name;
    std::function<void(Road &)> prepare;
    std::function<void(Road &)> play;
    // The road went where it should: a row cannot pass by ending early.
    std::function<void(Road &)> outcome;
};

// The status record says this; a failure's description starts with the text.
std::function<void(Road &)> Status(const char *status, UINT id = 0)
{
    return [status, id](Road &road) {
        EXPECT_EQ(std::string(status) == "Success" ? 0u : 1603u, road.exitCode) << "the exit code tells the status";
        std::vector<std::string> mif = MifLines();
        ASSERT_EQ(69u, mif.size());
        EXPECT_EQ(std::string("VALUE = \"") + status + "\"", mif[57]);
        std::string text = LoadText(id);
        // A failed install names its step first, then the text.
        if (id) {
            EXPECT_NE(std::string::npos, mif[65].find(text.substr(0, text.find('%')))) << mif[65];
        }
    };
}

void Installed(Road &road)
{
    EXPECT_EQ(0u, road.exitCode);
    EXPECT_TRUE(machine::KeyExists(machine::ConfigKey));
    EXPECT_TRUE(LogHas(LoadText(10076))) << "the run got to the start offer";
}

void Removed(Road &road)
{
    EXPECT_EQ(0u, road.exitCode);
    EXPECT_FALSE(machine::KeyExists(machine::ConfigKey));
    EXPECT_FALSE(robot::FileExists("C:\\DORURE"));
}

void PrintTo(const SecrecyRow &row, std::ostream *os)
{
    *os << row.name;
}

const SecrecyRow Rows[] = {
    {"SmsInstall", [](Road &) {}, [](Road &road) { road.RunToEnd("SMSINSTALL"); },
     Status("Success")},
    {"ConfigurationFileInstall", [](Road &) { WriteTextFile(ConfigFile, Configuration(Password)); },
     [](Road &road) { road.RunToEnd(std::string("I:") + ConfigFile); },
     Installed},
    {"WizardInstallWithTheLog", [](Road &) {},
     [](Road &road) {
         road.Start("I:");
         road.ToAccount();
         road.TypeAccount(Password, Password);
         road.Next(wizard::Confirm);
         road.Answer(IDYES);
         road.Answer(IDOK);
         road.exitCode = robot::WaitForExit(road.run, RunLimitMs);
     },
     Installed},
    {"WizardPasswordsThatDiffer", [](Road &) {},
     [](Road &road) {
         road.Start("I:");
         road.ToAccount();
         road.TypeAccount(Password, std::string(Password) + "x");
         road.Answer(IDOK);
         HWND account = road.Page(wizard::Account);
         ASSERT_NE(nullptr, account);
         ASSERT_TRUE(wizard::Click(account, IDC_CANCEL));
         road.Answer(IDYES);
         EXPECT_EQ(1602u, robot::WaitForExit(road.run, RunLimitMs));
     },
     [](Road &road) {
         EXPECT_NE(road.boxes.end(), std::find(road.boxes.begin(), road.boxes.end(), LoadText(10045)));
     }},
    {"SmsRemovalWithTheLog", [](Road &road) { road.Install(); },
     [](Road &road) { road.RunToEnd("I: SMSUNINSTALL"); },
     Removed},
    {"WizardRemovalWithTheLog", [](Road &road) { road.Install(); },
     [](Road &road) {
         road.Start("I:");
         HWND welcome = road.Page(wizard::Welcome);
         ASSERT_NE(nullptr, welcome);
         ASSERT_TRUE(wizard::Click(welcome, IDC_REMOVE_CHOICE));
         for (int i = 0; i < 100 && SendDlgItemMessageA(welcome, IDC_INSTALL_CHOICE, BM_GETCHECK, 0, 0); i++)
             Sleep(20);
         ASSERT_TRUE(wizard::Click(welcome, IDC_NEXT));
         road.AnswerUntilExit();
         EXPECT_EQ(3u, road.boxes.size()) << "remove it, stop its services, removed";
     },
     Removed},
    {"ProgramsAndFeaturesRemoval", [](Road &road) { road.Install(); },
     [](Road &road) {
         road.Start("I: REMOVE", KeptCopyDirectory());
         road.AnswerUntilExit();
         // The copy that did the work ends after the program it was handed
         // the work by: once it has, nobody holds setup's instance mutex.
         HANDLE mutex = NULL;
         for (int i = 0; i < 150 && (mutex = OpenMutexA(SYNCHRONIZE, FALSE, "HoldfastSetupAppInstMutex")); i++) {
             CloseHandle(mutex);
             Sleep(200);
         }
         EXPECT_EQ(nullptr, mutex) << "a copy of setup still runs";
     },
     Removed},
    {"ServiceNotCreated",
     [](Road &road) {
         road.Install();
         road.heldManager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
         road.heldService = OpenServiceA(road.heldManager, RPC_SERVICE_NAME, SERVICE_ALL_ACCESS);
     },
     [](Road &road) { road.RunToEnd("SMSINSTALL"); },
     Status("Failed", 10003)},
    {"CopyFails",
     [](Road &road) {
         road.Install();
         // A directory where the agent's notes go: the copy cannot place them.
         DeleteFileA("C:\\DORURE\\DORURE60.WRI");
         CreateDirectoryA("C:\\DORURE\\DORURE60.WRI", NULL);
     },
     [](Road &road) { road.RunToEnd("SMSINSTALL"); },
     Status("Failed", IDS_COPY_FAILED)},
    {"PasswordTooLong", [](Road &) { SetConfiguration(Configuration(Password + std::string(300, 'p'))); },
     [](Road &road) { road.RunToEnd("SMSINSTALL"); },
     [](Road &road) {
         Status("Failed")(road);
         EXPECT_TRUE(LogHas(FormatText(10088, "Password", 255, (std::string(Distribution) + "\\SETUP.ICF").c_str())));
     }},
    {"LoginNotStorable", [](Road &) { SetConfiguration(Configuration(Password, "\xD2sa")); },
     [](Road &road) { road.RunToEnd("SMSINSTALL"); },
     Status("Failed", 10080)},
    {"PasswordNotStorable",
     // 0xDF at position 15 scrambles to a zero byte.
     [](Road &) { SetConfiguration(Configuration(std::string(Password) + "\xDF")); },
     [](Road &road) { road.RunToEnd("SMSINSTALL"); },
     Status("Failed", 10080)},
    {"ConfigurationWithoutDirectory", [](Road &) { SetConfiguration(Configuration(Password, "sa", "")); },
     [](Road &road) { road.RunToEnd("SMSINSTALL"); },
     Status("Failed", 10011)},
    {"ConfigurationKeyCannotBeMade",
     [](Road &) {
         // A registry link to a missing key stands where the agents' key goes.
         HKEY key;
         RegCreateKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT, 0, NULL, 0,
                         KEY_ALL_ACCESS, NULL, &key, NULL);
         RegCloseKey(key);
         RegCreateKeyExA(HKEY_LOCAL_MACHINE, AGENT_AGENTS_KEY, 0, NULL,
                         REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL, &key, NULL);
         const WCHAR target[] = L"\\Registry\\Machine\\Software\\NoSuchRoot\\Missing";
         RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, (const BYTE *)target, sizeof(target) - sizeof(WCHAR));
         RegCloseKey(key);
     },
     [](Road &road) { road.RunToEnd("SMSINSTALL"); },
     Status("Failed", 10005)},
};

// A user's own folders are links to the host's home directory under Wine:
// setup writes nothing there, and they may hold anything.
bool IsLinkedFolder(const std::string &directory, const WIN32_FIND_DATAA &found)
{
    static const char *const linked[] = {"Desktop", "Documents", "Downloads", "Music", "Pictures", "Videos",
                                         "Templates"};
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return true;
    if (lstrcmpiA(directory.substr(0, 8).c_str(), "C:\\users") != 0)
        return false;
    for (const char *name : linked)
        if (lstrcmpiA(found.cFileName, name) == 0)
            return true;
    return false;
}

// Every file below the directory written since the time, with its path.
void ChangedFiles(const std::string &directory, const FILETIME &since, std::vector<std::string> &paths)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName, path = directory + "\\" + name;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!IsLinkedFolder(directory, found))
                ChangedFiles(path, since, paths);
        }
        else if (CompareFileTime(&found.ftLastWriteTime, &since) >= 0)
            paths.push_back(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void DeleteAgentsLink()
{
    HKEY link;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_AGENTS_KEY,
                      REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &link) != ERROR_SUCCESS)
        return;
    DWORD type = 0;
    if (RegQueryValueExA(link, "SymbolicLinkValue", NULL, &type, NULL, NULL) == ERROR_SUCCESS && type == REG_LINK)
        RegDeleteKeyA(link, "");
    RegCloseKey(link);
}

class PasswordSecrecy : public ::testing::TestWithParam<SecrecyRow> {
protected:
    void SetUp() override
    {
        Clean();
        CopyDistribution(Distribution, {"SETUP.ICF"});
        SetConfiguration(Configuration(Password));
    }
    void TearDown() override
    {
        robot::Finish(road_.run);
        road_.Release();
        Clean();
        RemoveDirectoryTree(Distribution);
        RemoveDirectoryTree(KeptCopyDirectory());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, machine::UninstallEntryKey);
        DeleteFileA(ConfigFile);
        DeleteFileA(OutputFile);
    }
    static void Clean()
    {
        DeleteAgentsLink();
        machine::CleanMachine();
    }
    Road road_;
};

TEST_P(PasswordSecrecy, NoTextOfThePasswordShows)
{
    const SecrecyRow &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(row.prepare(road_));
    FILETIME since;
    GetSystemTimeAsFileTime(&since);
    // File times may be kept to two seconds.
    ULARGE_INTEGER start = {{since.dwLowDateTime, since.dwHighDateTime}};
    start.QuadPart -= 2 * 10000000ULL;
    since = {start.LowPart, start.HighPart};

    row.play(road_);
    robot::Finish(road_.run);
    road_.Release();
    row.outcome(road_);

    std::string secret = Upper(Password);
    std::vector<std::string> written;
    ChangedFiles("C:", since, written);
    ChangedFiles("D:", since, written);
    EXPECT_FALSE(written.empty()) << "the run wrote something";
    for (const std::string &path : written) {
        if (lstrcmpiA(path.c_str(), (std::string(Distribution) + "\\SETUP.ICF").c_str()) == 0 ||
            lstrcmpiA(path.c_str(), ConfigFile) == 0)
            continue;
        EXPECT_EQ(std::string::npos, Upper(robot::ReadWholeFile(path)).find(secret)) << "the password is in " << path;
    }
    for (const std::string &box : road_.boxes)
        EXPECT_EQ(std::string::npos, Upper(box).find(secret)) << "a message box shows it: " << box;
    EXPECT_EQ(std::string::npos, Upper(machine::KeySnapshot("SOFTWARE\\Tamarack")).find(secret))
        << "the registry holds it in clear";
}

INSTANTIATE_TEST_SUITE_P(Roads, PasswordSecrecy, ::testing::ValuesIn(Rows),
                         [](const ::testing::TestParamInfo<SecrecyRow> &info) { return info.param.name; });

}  // namespace

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "scenario/machine_state.h"
#include "setup/install/install.h"
#include "setup/uninstall/uninstall.h"
#include "setup/unattended/unattended.h"
#include "unit/test_support.h"
#include "product.h"

namespace {

class RemovalRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::FreshState();
        support::DeleteMif();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tamarack");
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tamarack");
        support::ReleaseState();
    }
    void AddAgent(const char *name, const char *library)
    {
        std::string path = std::string(AGENT_AGENTS_KEY "\\") + name;
        HKEY key;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
        if (library)
            RegSetValueExA(key, "dll", 0, REG_SZ, (const BYTE *)library, lstrlenA(library) + 1);
        RegCloseKey(key);
    }
};

TEST_F(RemovalRules, MissingFamilyKeyIsFatal10065)
{
    SetupState.RunFlags |= RF_SMS | RF_QUIET;
    EXPECT_SETUP_ENDS({
        char directory[256] = "";
        char unknown[256] = "";
        CreateStatusMif();
        FindOtherAgentDirectory(directory, unknown);
    });
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ("VALUE = \"" + support::LoadText(10065) + "\"", mif[65]);
}

// One row per way the family's agent key can describe the other agents.
struct OtherAgentRow {
    const char *what;
    std::vector<std::pair<const char *, std::string>> agents;  // name, "dll" ("-" for none)
    OtherAgentState expected;
    const char *directory;  // for OtherAgentKnown
    const char *unknown;    // for OtherAgentUnknown
};

TEST_F(RemovalRules, OtherAgentsAreTheFirstPlaceableOneOrUnknown)
{
    const std::string overlong = "D:\\" + std::string(300, 'L') + "\\x.dll";
    const OtherAgentRow rows[] = {
        {"own agent alone, any letter case", {{"DORURE60", "C:\\DORURE\\dorure60.dll"}}, NoOtherAgent, "", ""},
        {"first placeable one wins",
         {{"dorure60", "C:\\DORURE\\dorure60.dll"}, {"alpha", "-"}, {"beta", "D:\\BETA\\beta.dll"},
          {"gamma", "E:\\GAMMA\\gamma.dll"}},
         OtherAgentKnown, "D:\\BETA", ""},
        {"library in a drive's root", {{"root", "D:\\root.dll"}}, OtherAgentKnown, "D:", ""},
        {"no dll value", {{"alpha", "-"}}, OtherAgentUnknown, "", "alpha"},
        {"dll longer than its buffer", {{"long", overlong}}, OtherAgentUnknown, "", "long"},
        {"dll without a directory", {{"bare", "bare.dll"}}, OtherAgentUnknown, "", "bare"},
        {"dll relative to somewhere", {{"rel", "AGENT\\rel.dll"}}, OtherAgentUnknown, "", "rel"},
    };
    for (const OtherAgentRow &row : rows) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tamarack");
        for (const auto &agent : row.agents)
            AddAgent(agent.first, agent.second == "-" ? NULL : agent.second.c_str());
        char directory[256] = "", unknown[256] = "";
        OtherAgentState state = FindOtherAgentDirectory(directory, unknown);
        EXPECT_EQ(row.expected, state) << row.what;
        EXPECT_STREQ(row.directory, directory) << row.what;
        EXPECT_STREQ(row.unknown, unknown) << row.what;
    }
}

TEST_F(RemovalRules, OtherAgentsLibraryOfAnotherTypeIsUnknown)
{
    AddAgent("binary", NULL);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_AGENTS_KEY "\\binary",
                                           0, KEY_SET_VALUE, &key));
    RegSetValueExA(key, "dll", 0, REG_BINARY, (const BYTE *)"D:\\B\\b.dll", 11);
    RegCloseKey(key);
    char directory[256] = "", unknown[256] = "";
    EXPECT_EQ(OtherAgentUnknown, FindOtherAgentDirectory(directory, unknown));
    EXPECT_STREQ("binary", unknown);
}

TEST_F(RemovalRules, ImagePathWriterNeedsTheServiceKey)
{
    EXPECT_FALSE(SetServiceImagePath("SYSTEM\\CurrentControlSet\\Services\\NoSuchServiceHere", "C:\\x.exe"));
}

// The hand-over to a directory with a blank: the registry and the service
// manager both get the quoted path.
TEST_F(RemovalRules, ImagePathWriterQuotesAPathWithABlank)
{
    const char name[] = "KvaQuotedPathTest";
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = CreateServiceA(manager, name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, "C:\\x.exe", NULL, NULL, NULL,
                                       NULL, NULL);
    ASSERT_NE(nullptr, service);
    bool written = SetServiceImagePath("SYSTEM\\CurrentControlSet\\Services\\KvaQuotedPathTest",
                                       "D:\\OTHER AGENT\\kvasvr.exe");
    std::string managers = machine::QueryService(name).imagePath;
    machine::RegistryValue registry =
        machine::ReadValue("SYSTEM\\CurrentControlSet\\Services\\KvaQuotedPathTest", "ImagePath");
    DeleteService(service);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    EXPECT_TRUE(written);
    EXPECT_EQ("\"D:\\OTHER AGENT\\kvasvr.exe\"", managers);
    EXPECT_EQ(machine::Sz("\"D:\\OTHER AGENT\\kvasvr.exe\""), registry.data);
}

TEST_F(RemovalRules, FilesAreDeletedAndTheDirectoryWithThem)
{
    CreateDirectoryA("C:\\rmtest", NULL);
    const char *names[] = {"dorure60.dll", "dorure60.wri", "kvasvr.exe", "KVIPMASK.TBL"};
    for (const char *name : names)
        support::WriteFile(std::string("C:\\rmtest\\") + name, "x");
    lstrcpyA(SetupState.InstallDir, "C:\\rmtest");
    EXPECT_EQ(FilesGone, DeleteAgentFiles(1)) << "missing files are no failure";
    EXPECT_FALSE(robot::FileExists("C:\\rmtest"));
}

TEST_F(RemovalRules, ReadOnlyAgentFilesGoAndForeignOnesStay)
{
    CreateDirectoryA("C:\\rmtest", NULL);
    const char *names[] = {"dorure60.dll", "dorure60.wri", "kvasvr.exe", "notes-of-the-admin.txt"};
    for (const char *name : names) {
        std::string path = std::string("C:\\rmtest\\") + name;
        support::WriteFile(path, "x");
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    lstrcpyA(SetupState.InstallDir, "C:\\rmtest");
    EXPECT_EQ(FilesGoneDirectoryKept, DeleteAgentFiles(1));
    EXPECT_FALSE(robot::FileExists("C:\\rmtest\\dorure60.dll")) << "read-only, but the agent's";
    EXPECT_FALSE(robot::FileExists("C:\\rmtest\\kvasvr.exe"));
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_READONLY,
              GetFileAttributesA("C:\\rmtest\\notes-of-the-admin.txt") & FILE_ATTRIBUTE_READONLY)
        << "nothing else is touched";
    SetFileAttributesA("C:\\rmtest\\notes-of-the-admin.txt", FILE_ATTRIBUTE_NORMAL);
    DeleteFileA("C:\\rmtest\\notes-of-the-admin.txt");
    RemoveDirectoryA("C:\\rmtest");
}

TEST_F(RemovalRules, SharedFilesStayWhenNotAllAreRemoved)
{
    CreateDirectoryA("C:\\rmtest", NULL);
    const char *names[] = {"dorure60.dll", "dorure60.wri", "kvasvr.exe"};
    for (const char *name : names)
        support::WriteFile(std::string("C:\\rmtest\\") + name, "x");
    lstrcpyA(SetupState.InstallDir, "C:\\rmtest");
    EXPECT_TRUE(DeleteAgentFiles(0));
    EXPECT_TRUE(robot::FileExists("C:\\rmtest\\kvasvr.exe"));
    EXPECT_FALSE(robot::FileExists("C:\\rmtest\\dorure60.dll"));
    DeleteFileA("C:\\rmtest\\kvasvr.exe");
    RemoveDirectoryA("C:\\rmtest");
}

// One row per program path: quoted exactly when it holds a blank, refused
// when it does not fit, and read back as the same program.
TEST(ServiceImagePath, QuotedWhenTheProgramHoldsABlank)
{
    const struct {
        const char *program;
        int size;
        const char *imagePath;  // NULL: it does not fit
    } rows[] = {
        {"C:\\DORURE\\KVASVR.EXE", 256, "C:\\DORURE\\KVASVR.EXE"},
        {"C:\\Program Files\\Agent\\KVASVR.EXE", 256, "\"C:\\Program Files\\Agent\\KVASVR.EXE\""},
        {"C:\\A B\\K.EXE", 15, "\"C:\\A B\\K.EXE\""},
        {"C:\\A B\\K.EXE", 14, NULL},
        {"C:\\AB\\K.EXE", 12, "C:\\AB\\K.EXE"},
        {"C:\\AB\\K.EXE", 11, NULL},
    };
    for (const auto &row : rows) {
        char imagePath[256] = "unchanged", program[256] = "";
        bool made = ServiceImagePathOf(row.program, imagePath, row.size);
        EXPECT_EQ(row.imagePath != NULL, made) << row.program << " in " << row.size;
        if (!row.imagePath || !made)
            continue;
        EXPECT_STREQ(row.imagePath, imagePath);
        EXPECT_TRUE(ServiceProgramOfImagePath(imagePath, program, sizeof(program)));
        EXPECT_STREQ(row.program, program) << "read back";
    }
}

// One row per way a service's ImagePath can be written.
TEST(ServiceProgramPath, IsWhatTheServiceManagerWouldRun)
{
    const std::string overlong = "C:\\" + std::string(300, 'x') + "\\KVASVR.EXE";
    const struct {
        std::string imagePath;
        const char *program;  // NULL: no program can be read from it
    } rows[] = {
        {"C:\\DORURE\\KVASVR.EXE", "C:\\DORURE\\KVASVR.EXE"},
        {"\"C:\\Program Files\\Agent\\KVASVR.EXE\"", "C:\\Program Files\\Agent\\KVASVR.EXE"},
        {"\"C:\\DORURE\\KVASVR.EXE\" -service \"x\"", "C:\\DORURE\\KVASVR.EXE"},
        {"  \"C:\\DORURE\\KVASVR.EXE\"", "C:\\DORURE\\KVASVR.EXE"},
        {"C:\\DORURE\\KVASVR.EXE -log C:\\TEMP\\x", "C:\\DORURE\\KVASVR.EXE"},
        {"C:\\Program Files\\Agent\\kvasvr.Exe", "C:\\Program Files\\Agent\\kvasvr.Exe"},
        {"C:\\DORURE\\AGENT.EXEC\\KVASVR.EXE", "C:\\DORURE\\AGENT.EXEC\\KVASVR.EXE"},
        {"KVASVR.EXE", "KVASVR.EXE"},
        {"\"C:\\DORURE\\KVASVR.EXE", NULL},
        {"\"\"", NULL},
        {"", NULL},
        {overlong, NULL},
    };
    for (const auto &row : rows) {
        char program[256] = "unchanged";
        bool read = ServiceProgramOfImagePath(row.imagePath.c_str(), program, sizeof(program));
        EXPECT_EQ(row.program != NULL, read) << row.imagePath;
        if (row.program && read) {
            EXPECT_STREQ(row.program, program) << row.imagePath;
        }
    }
}

}  // namespace

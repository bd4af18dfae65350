#include <gtest/gtest.h>

#include "setup/uninstall/uninstall.h"
#include "setup/unattended/unattended.h"
#include "unit/test_support.h"

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
        std::string path = std::string("SOFTWARE\\Tamarack\\KSAgent\\CurrentVersion\\agent\\") + name;
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
        CreateStatusMif();
        FindOtherAgentDirectory(directory);
    });
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ("VALUE = \"" + support::LoadText(10065) + "\"", mif[65]);
}

TEST_F(RemovalRules, OtherAgentIsTheFirstWithAReadableLibrary)
{
    AddAgent("dorure60", "C:\\DORURE\\dorure60.dll");
    AddAgent("alpha", NULL);
    AddAgent("beta", "D:\\BETA\\beta.dll");
    AddAgent("gamma", "E:\\GAMMA\\gamma.dll");
    char directory[256] = "";
    ASSERT_TRUE(FindOtherAgentDirectory(directory));
    EXPECT_STREQ("D:\\BETA", directory);
}

TEST_F(RemovalRules, OwnAgentAloneIsNoOtherAgent)
{
    AddAgent("DORURE60", "C:\\DORURE\\dorure60.dll");
    char directory[256] = "";
    EXPECT_FALSE(FindOtherAgentDirectory(directory));
    EXPECT_STREQ("", directory);
}

TEST_F(RemovalRules, OverlongLibraryValueCountsAsUnreadable)
{
    AddAgent("dorure60", "C:\\DORURE\\dorure60.dll");
    std::string longPath = "D:\\" + std::string(300, 'L') + "\\x.dll";
    AddAgent("long", longPath.c_str());
    char directory[256] = "";
    EXPECT_FALSE(FindOtherAgentDirectory(directory)) << "never copied past the buffer";
}

TEST_F(RemovalRules, ImagePathWriterNeedsTheServiceKey)
{
    EXPECT_FALSE(SetServiceImagePath("SYSTEM\\CurrentControlSet\\Services\\NoSuchServiceHere", "C:\\x.exe"));
}

TEST_F(RemovalRules, FilesAreDeletedAndTheDirectoryWithThem)
{
    CreateDirectoryA("C:\\rmtest", NULL);
    const char *names[] = {"dorure60.dll", "dorure60.wri", "kvasvr.exe", "KVIPMASK.TBL"};
    for (const char *name : names)
        support::WriteFile(std::string("C:\\rmtest\\") + name, "x");
    lstrcpyA(SetupState.InstallDir, "C:\\rmtest");
    EXPECT_TRUE(DeleteAgentFiles(1)) << "missing rows that do not keep the directory are no failure";
    EXPECT_FALSE(robot::FileExists("C:\\rmtest"));
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

TEST_F(RemovalRules, MissingNotesFileKeepsTheDirectory)
{
    CreateDirectoryA("C:\\rmtest", NULL);
    support::WriteFile("C:\\rmtest\\dorure60.dll", "x");
    support::WriteFile("C:\\rmtest\\kvasvr.exe", "x");
    lstrcpyA(SetupState.InstallDir, "C:\\rmtest");
    EXPECT_FALSE(DeleteAgentFiles(1));
    EXPECT_TRUE(robot::FileExists("C:\\rmtest"));
    RemoveDirectoryA("C:\\rmtest");
}

}  // namespace

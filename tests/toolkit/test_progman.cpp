// Program Manager groups and items of MSINSSTF.DLL: folders and shortcuts of
// the all-users Start Menu, read back through the shell.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <string>

#include "setuptk.h"

namespace {

std::string ProgramsFolder()
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS, NULL, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The target path a shortcut file points to, read through IShellLinkA.
std::string ShortcutTarget(const std::string& lnk, std::string* arguments = NULL)
{
    IShellLinkA* link = NULL;
    std::string target = "<unreadable>";
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return target;
    IPersistFile* file = NULL;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char path[MAX_PATH] = "";
            if (SUCCEEDED(link->GetPath(path, MAX_PATH, NULL, SLGP_RAWPATH)))
                target = path;
            char args[MAX_PATH] = "";
            if (arguments != NULL && SUCCEEDED(link->GetArguments(args, MAX_PATH)))
                *arguments = args;
        }
        file->Release();
    }
    link->Release();
    return target;
}

class ProgManItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
        // A group of this case alone, so that cases may run side by side.
        group_ = std::string("Toolkit Test ") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder_ = ProgramsFolder() + "\\" + group_;
        Clean();
        CreateDirectoryA("C:\\tk_progman", NULL);
        HANDLE notes = CreateFileA(kTarget, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        CloseHandle(notes);
    }
    void TearDown() override
    {
        Clean();
        DeleteFileA(kTarget);
        RemoveDirectoryA("C:\\tk_progman");
        CoUninitialize();
    }
    void Clean()
    {
        DeleteFileA((folder_ + "\\Release Notes.lnk").c_str());
        DeleteFileA((folder_ + "\\Second.lnk").c_str());
        DeleteFileA((folder_ + "\\keep.txt").c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    static constexpr const char* kTarget = "C:\\tk_progman\\DORURE60.WRI";
    std::string group_;
    const char* Group() const { return group_.c_str(); }
    std::string folder_;
};

TEST_F(ProgManItems, GroupIsAFolderOfTheCommonProgramsFolder)
{
    ASSERT_FALSE(ProgramsFolder().empty());
    EXPECT_FALSE(FShowProgManGroup(Group(), "1", 1)) << "no folder yet";
    EXPECT_TRUE(FCreateProgManGroup(Group(), "", 1));
    EXPECT_TRUE(Exists(folder_)) << folder_;
    EXPECT_TRUE(FCreateProgManGroup(Group(), "", 1)) << "an existing group is fine";
    EXPECT_TRUE(FShowProgManGroup(Group(), "1", 1));
}

TEST_F(ProgManItems, ItemIsAShortcutToTheCommand)
{
    ASSERT_TRUE(FCreateProgManGroup(Group(), "", 1));
    ASSERT_TRUE(FCreateProgManItem(Group(), "Release Notes", kTarget, 1024));
    std::string lnk = folder_ + "\\Release Notes.lnk";
    ASSERT_TRUE(Exists(lnk)) << lnk;
    EXPECT_STREQ(kTarget, ShortcutTarget(lnk).c_str());
}

TEST_F(ProgManItems, QuotedCommandKeepsItsArgumentsApart)
{
    ASSERT_TRUE(FCreateProgManItem(Group(), "Second", "\"C:\\tk_progman\\DORURE60.WRI\" /p now", 1024))
        << "the group folder is made when missing";
    std::string arguments;
    EXPECT_STREQ(kTarget, ShortcutTarget(folder_ + "\\Second.lnk", &arguments).c_str());
    EXPECT_EQ("/p now", arguments);
}

TEST_F(ProgManItems, TextAfterACommaIsNotPartOfTheItemName)
{
    ASSERT_TRUE(FCreateProgManItem(Group(), "Release Notes,C:\\tk_progman\\DORURE60.WRI", kTarget, 1024));
    EXPECT_TRUE(Exists(folder_ + "\\Release Notes.lnk"));
}

TEST_F(ProgManItems, RemovingTheLastItemRemovesTheEmptyFolder)
{
    ASSERT_TRUE(FCreateProgManItem(Group(), "Release Notes", kTarget, 1024));
    ASSERT_TRUE(FCreateProgManItem(Group(), "Second", kTarget, 1024));
    // The removal does not depend on how the command is spelled.
    EXPECT_TRUE(FRemoveProgManItem(Group(), "Release Notes", "C:\\tk_progman\\\\DORURE60.WRI"));
    EXPECT_FALSE(Exists(folder_ + "\\Release Notes.lnk"));
    EXPECT_TRUE(Exists(folder_)) << "another item is still there";
    EXPECT_TRUE(FRemoveProgManItem(Group(), "Second", kTarget));
    EXPECT_FALSE(Exists(folder_)) << "the empty group folder stays behind";
    EXPECT_TRUE(FRemoveProgManItem(Group(), "Second", kTarget)) << "an item already gone is no failure";
}

TEST_F(ProgManItems, FolderWithOtherFilesIsKept)
{
    ASSERT_TRUE(FCreateProgManItem(Group(), "Release Notes", kTarget, 1024));
    HANDLE other = CreateFileA((folder_ + "\\keep.txt").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    CloseHandle(other);
    EXPECT_TRUE(FRemoveProgManItem(Group(), "Release Notes", kTarget));
    EXPECT_TRUE(Exists(folder_ + "\\keep.txt"));
}

TEST_F(ProgManItems, NamesThatCannotBeFileNamesAreRefused)
{
    EXPECT_FALSE(FCreateProgManGroup("a\\b", "", 1));
    EXPECT_FALSE(FCreateProgManGroup("", "", 1));
    EXPECT_FALSE(FCreateProgManGroup(NULL, "", 1));
    EXPECT_FALSE(FCreateProgManItem(Group(), "what?", kTarget, 1024));
    EXPECT_FALSE(FCreateProgManItem(Group(), "", kTarget, 1024));
    EXPECT_FALSE(FCreateProgManItem(Group(), "Release Notes", "", 1024));
    EXPECT_FALSE(FCreateProgManItem(Group(), std::string(300, 'x').c_str(), kTarget, 1024));
}

} // namespace

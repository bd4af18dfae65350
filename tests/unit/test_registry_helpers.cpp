#include <gtest/gtest.h>

#include <string>

#include "platform/setup-toolkit/setuptk.h"
#include "setup/toolkit/toolkit.h"
#include "unit/test_support.h"

namespace {

const char TestRoot[] = "SOFTWARE\\SetupRegistryHelperTest";

bool KeyExists(const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void CreateKey(const std::string &path)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    RegSetValueExA(key, "v", 0, REG_SZ, (const BYTE *)"x", 2);
    RegCloseKey(key);
}

class RegistryHelpers : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::FreshState();
        support::DeleteLog();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, TestRoot);
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, TestRoot);
        support::ReleaseState();
    }
};

TEST_F(RegistryHelpers, LoadFindsTheEntryPointsAndUnloadTwiceFreesOnce)
{
    ASSERT_NE(nullptr, SetupState.RegistryFunctions.Library);
    EXPECT_NE(nullptr, SetupState.RegistryFunctions.RegEnumKeyA);
    EXPECT_NE(nullptr, SetupState.RegistryFunctions.RegQueryInfoKeyA);
    UnloadRegistryFunctions();
    // ADVAPI32 is also imported by the test itself, so a second free would
    // go unseen there: a library that only the helpers and this test hold
    // shows it. One reference of the test's own, one of the helpers'.
    HMODULE own = LoadLibraryA("regprobe.dll");
    ASSERT_NE(nullptr, own);
    ASSERT_EQ(1, LoadRegistryFunctionsFrom("regprobe.dll"));
    EXPECT_NE(nullptr, SetupState.RegistryFunctions.RegQueryInfoKeyA);
    UnloadRegistryFunctions();
    EXPECT_EQ(nullptr, SetupState.RegistryFunctions.Library);
    UnloadRegistryFunctions();
    EXPECT_EQ(own, GetModuleHandleA("regprobe.dll")) << "a second free took the test's own reference";
    FreeLibrary(own);
    EXPECT_EQ(nullptr, GetModuleHandleA("regprobe.dll")) << "the helpers kept a reference";
}

TEST_F(RegistryHelpers, KeyWithoutSubKeysIsDeleted)
{
    CreateKey(TestRoot);
    EXPECT_EQ(1, RegKeyExists(HKEY_LOCAL_MACHINE, TestRoot));
    EXPECT_EQ(1, DeleteAllSubKeys(HKEY_LOCAL_MACHINE, TestRoot));
    EXPECT_FALSE(KeyExists(TestRoot));
    EXPECT_EQ(0, RegKeyExists(HKEY_LOCAL_MACHINE, TestRoot));
}

TEST_F(RegistryHelpers, ThreeLevelTreeIsDeletedWhole)
{
    std::string root = TestRoot;
    CreateKey(root + "\\alpha");
    CreateKey(root + "\\alpha\\deep");
    CreateKey(root + "\\beta-with-the-longest-name");
    CreateKey(root + "\\gamma");
    EXPECT_EQ(1, DeleteAllSubKeys(HKEY_LOCAL_MACHINE, TestRoot));
    EXPECT_FALSE(KeyExists(root));
}

TEST_F(RegistryHelpers, MissingKeyIsReportedAndAnswersZero)
{
    ASSERT_TRUE(FOpenLogFile(support::LogPath, 0));
    EXPECT_EQ(0, DeleteAllSubKeys(HKEY_LOCAL_MACHINE, TestRoot));
    FCloseLogFile();
    std::string log = robot::ReadWholeFile(support::LogPath);
    EXPECT_NE(std::string::npos, log.find("DeleteAllSubKeys:open")) << log;
}

TEST_F(RegistryHelpers, TreeDeletionOfAMissingKeyDoesNothing)
{
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, TestRoot);
    EXPECT_FALSE(KeyExists(TestRoot));
}

TEST_F(RegistryHelpers, TreeDeletionRemovesAnExistingTree)
{
    std::string root = TestRoot;
    CreateKey(root + "\\one\\two\\three");
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, TestRoot);
    EXPECT_FALSE(KeyExists(root));
}

TEST_F(RegistryHelpers, SiblingsOutsideThePathSurvive)
{
    std::string root = TestRoot;
    CreateKey(root + "\\gone\\child");
    CreateKey(root + "\\kept");
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, (root + "\\gone").c_str());
    EXPECT_FALSE(KeyExists(root + "\\gone"));
    EXPECT_TRUE(KeyExists(root + "\\kept"));
}

}  // namespace

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <string>

#include "setup/install/install.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/unattended/unattended.h"
#include "scenario/machine_state.h"
#include "unit/test_support.h"
#include "product.h"

namespace {

const char ConfigKey[] = AGENT_CONFIG_KEY;

using machine::Dword;
using machine::Scrambled;
using machine::Sz;

machine::RegistryValue ReadValue(const char *name)
{
    return machine::ReadValue(ConfigKey, name);
}

// A registry link is deleted through a handle to the link itself.
void DeleteAgentsLink()
{
    HKEY link;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_AGENTS_KEY, REG_OPTION_OPEN_LINK,
                      KEY_ALL_ACCESS, &link) != ERROR_SUCCESS)
        return;
    DWORD type = 0;
    if (RegQueryValueExA(link, "SymbolicLinkValue", NULL, &type, NULL, NULL) == ERROR_SUCCESS && type == REG_LINK)
        RegDeleteKeyA(link, "");
    RegCloseKey(link);
}

class AgentConfiguration : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::FreshState();
        DeleteAgentsLink();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tamarack");
        lstrcpyA(SetupState.InstallDir, "C:\\DORURE\\");
        lstrcpyA(SetupState.SqlLogin, "sa");
        lstrcpyA(SetupState.SqlPassword, "Backup 2.0!");
    }
    void TearDown() override
    {
        DeleteAgentsLink();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tamarack");
        support::ReleaseState();
    }
};

TEST_F(AgentConfiguration, FourteenValuesWithTheirTypesAndBytes)
{
    WriteAgentConfiguration();
    machine::ExpectAgentConfiguration("C:\\DORURE\\", "sa", "Backup 2.0!");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, ConfigKey, 0, KEY_READ, &key));
    char keyClass[64] = "";
    DWORD classLength = sizeof(keyClass), values = 0;
    RegQueryInfoKeyA(key, keyClass, &classLength, NULL, NULL, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    EXPECT_STREQ("TSIData", keyClass);
    EXPECT_EQ(14u, values);
}

TEST_F(AgentConfiguration, DirectoryWithoutBackslashGivesTheSameLibraryPath)
{
    lstrcpyA(SetupState.InstallDir, "C:\\DORURE");
    WriteAgentConfiguration();
    EXPECT_EQ(Sz("C:\\DORURE\\dorure60.dll"), ReadValue("dll").data);
}

TEST_F(AgentConfiguration, EmptyAccountIsStoredAsEmptyText)
{
    SetupState.SqlLogin[0] = SetupState.SqlPassword[0] = '\0';
    WriteAgentConfiguration();
    EXPECT_EQ(std::string(1, '\0'), ReadValue("user").data);
    EXPECT_EQ(std::string(1, '\0'), ReadValue("password").data);
}

TEST_F(AgentConfiguration, ReinstallOverwritesAndKeepsOtherValues)
{
    WriteAgentConfiguration();
    SetAgentStringValue("agent", "dorure60", "site note", "keep me");
    SetAgentStringValue("agent", "dorure60", "server", "changed");
    lstrcpyA(SetupState.InstallDir, "D:\\AGENT\\");
    WriteAgentConfiguration();
    EXPECT_EQ(Sz("MSSQLServer60"), ReadValue("server").data);
    EXPECT_EQ(Sz("D:\\AGENT\\dorure60.dll"), ReadValue("dll").data);
    EXPECT_EQ(Sz("keep me"), ReadValue("site note").data);
}

TEST_F(AgentConfiguration, ReadBackGivesDirectoryAndClearAccount)
{
    WriteAgentConfiguration();
    SetupState.InstallDir[0] = SetupState.SqlLogin[0] = SetupState.SqlPassword[0] = '\0';
    ASSERT_TRUE(ReadPreviousInstallation());
    EXPECT_STREQ("C:\\DORURE", SetupState.InstallDir) << "no trailing backslash";
    EXPECT_STREQ("sa", SetupState.SqlLogin);
    EXPECT_STREQ("Backup 2.0!", SetupState.SqlPassword);
}

TEST_F(AgentConfiguration, ReadBackWithoutKeyOrLibraryValueFails)
{
    EXPECT_FALSE(ReadPreviousInstallation());
    SetAgentStringValue("agent", "dorure60", "user", "x");
    EXPECT_FALSE(ReadPreviousInstallation());
}

TEST_F(AgentConfiguration, OverlongAccountValueLeavesTheFieldAlone)
{
    WriteAgentConfiguration();
    SetAgentStringValue("agent", "dorure60", "user", std::string(300, 'u').c_str());
    lstrcpyA(SetupState.SqlLogin, "kept");
    ASSERT_TRUE(ReadPreviousInstallation());
    EXPECT_STREQ("kept", SetupState.SqlLogin);
}

TEST_F(AgentConfiguration, KeyThatCannotBeCreatedIsFatal10005)
{
    // A registry link to a missing target: the key can never be created.
    HKEY agent;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT, 0,
                                             NULL, 0, KEY_ALL_ACCESS, NULL, &agent, NULL));
    RegCloseKey(agent);
    HKEY link;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, AGENT_AGENTS_KEY, 0, NULL,
                              REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL, &link, NULL));
    const WCHAR target[] = L"\\Registry\\Machine\\Software\\NoSuchRoot\\Missing";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, (const BYTE *)target,
                                            sizeof(target) - sizeof(WCHAR)));
    RegCloseKey(link);
    ASSERT_NE(0u, SetAgentStringValue("agent", "dorure60", "name", "x")) << "the trap holds";

    support::DeleteMif();
    SetupState.RunFlags |= RF_SMS | RF_QUIET;
    EXPECT_SETUP_ENDS({
        CreateStatusMif();
        WriteAgentConfiguration();
    });
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ("VALUE = \"" + support::LoadText(10005) + " = 2\"", mif[65]) << "with the error code";
}

TEST(Scrambling, TwiceGivesTheTextBackForEveryLength)
{
    char source[600], once[600], twice[600];
    for (int i = 0; i < 600; i++)
        source[i] = (char)(i * 7 + 1);
    for (int length = 0; length <= 600; length += 1) {
        ScrambleText(source, once, length);
        ScrambleText(once, twice, length);
        ASSERT_EQ(0, memcmp(source, twice, length)) << "length " << length;
    }
}

TEST(Scrambling, KeyDependsOnlyOnThePosition)
{
    char out[4] = {};
    ScrambleText("aaa", out, 3);
    EXPECT_EQ((char)('a' ^ 0xD2), out[0]);
    EXPECT_EQ((char)('a' ^ 0xD3), out[1]);
    EXPECT_EQ((char)('a' ^ 0xD2), out[2]);
}

TEST(Scrambling, TextThatWouldBeStoredCutShortIsNotStorable)
{
    EXPECT_TRUE(IsStorableCredential(""));
    EXPECT_TRUE(IsStorableCredential("sa"));
    EXPECT_FALSE(IsStorableCredential("\xD2"));
    EXPECT_FALSE(IsStorableCredential("a\xD3"));
    EXPECT_TRUE(IsStorableCredential("\xD3"));
}

TEST(LastBackslash, CutsThePathAndCopiesTheDirectory)
{
    char path[32] = "D:\\AGENT\\dorure60.dll";
    char directory[32] = "unchanged";
    CutAtLastBackslash(path, directory);
    EXPECT_STREQ("D:\\AGENT", directory);
    EXPECT_STREQ("D:\\AGENT", path);
    char plain[16] = "KVASVR.EXE";
    char untouched[16] = "";
    CutAtLastBackslash(plain, untouched);
    EXPECT_STREQ("", untouched);
    EXPECT_STREQ("KVASVR.EXE", plain);
}

}  // namespace

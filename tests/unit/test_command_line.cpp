#include <gtest/gtest.h>

#include <string>

#include "setup/shell/shell.h"
#include "unit/test_support.h"

namespace {

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::FreshState();
        support::DeleteMif();
    }
    void TearDown() override { support::ReleaseState(); }

    DWORD Parse(const std::string &text)
    {
        line_.assign(text.begin(), text.end());
        line_.push_back('\0');
        ParseSetupCommandLine(line_.data());
        return SetupState.RunFlags;
    }
    std::vector<char> line_;
};

TEST_F(CommandLine, OptionsGiveTheirFlagWords)
{
    EXPECT_EQ(0x14u, Parse(""));
    support::FreshState();
    EXPECT_EQ(0x37u, Parse("I:C:\\X.ICF"));
    support::ReleaseState();
    support::FreshState();
    EXPECT_EQ(0x57u, Parse("SMSINSTALL"));
    support::ReleaseState();
    support::FreshState();
    EXPECT_EQ(0xD6u, Parse("SMSUNINSTALL"));
}

TEST(Usage, AskedForByItsOwnWordsAnywhere)
{
    for (const char *asked : {"/?", "-?", "/help", "-HELP", "SMSINSTALL /?", "I:C:\\X.ICF\t/Help"})
        EXPECT_TRUE(AsksForUsage(asked)) << asked;
    for (const char *other : {"", "?", "HELP", "/helpme", "I:C:\\HELP\\/?", "x/?"})
        EXPECT_FALSE(AsksForUsage(other)) << other;
}

TEST_F(CommandLine, HyphenAndLowerCaseAreAccepted)
{
    EXPECT_EQ(0x37u, Parse("-i:c:\\x.icf"));
    EXPECT_STREQ("C:\\X.ICF", SetupState.ConfigFile);
}

TEST_F(CommandLine, SlashIsADelimiterOnlyAfterTheFirstToken)
{
    EXPECT_EQ(0x14u, Parse("/SMSINSTALL"));
    EXPECT_FALSE(robot::FileExists(support::MifPath()));
    support::ReleaseState();
    support::FreshState();
    EXPECT_EQ(0x57u, Parse("x /SMSINSTALL"));
    EXPECT_TRUE(robot::FileExists(support::MifPath()));
}

TEST_F(CommandLine, HyphenCutsAFirstTokenFileName)
{
    Parse("I:C:\\MY-FILE.ICF");
    EXPECT_STREQ("C:\\MY", SetupState.ConfigFile);
    EXPECT_EQ(0x37u, SetupState.RunFlags);
}

TEST_F(CommandLine, AloneIOnlyTurnsOnTheLog)
{
    EXPECT_EQ(0x15u, Parse("I:"));
    EXPECT_STREQ("", SetupState.ConfigFile);
    EXPECT_TRUE(SetupState.LogFileOpen);
}

TEST_F(CommandLine, OptionsMatchByPrefixAndUnknownTokensAreIgnored)
{
    EXPECT_EQ(0x57u, Parse("SMSINSTALLX whatever"));
    support::ReleaseState();
    support::FreshState();
    EXPECT_EQ(0x14u, Parse("HELP /Q"));
}

TEST_F(CommandLine, SmsUninstallOpensNoLog)
{
    support::DeleteLog();
    Parse("SMSUNINSTALL");
    EXPECT_FALSE(SetupState.LogFileOpen);
    EXPECT_FALSE(robot::FileExists(support::LogPath));
    EXPECT_TRUE(robot::FileExists(support::MifPath()));
}

TEST_F(CommandLine, ConfigFileNameLongerThanItsFieldIsRefused)
{
    std::string name = "I:C:\\" + std::string(300, 'A') + ".ICF";
    SetupState.ConfigFile[0] = 'x';
    Parse(name);
    EXPECT_STREQ("", SetupState.ConfigFile) << "a cut name would read another file";
    EXPECT_EQ(0x37u, SetupState.RunFlags);
    std::vector<std::string> log = support::LogLines();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(support::LoadText(10081), log.back());
}

TEST_F(CommandLine, NameThatJustFitsIsKept)
{
    std::string name(255 - 3, 'B');
    Parse("I:C:\\" + name);
    EXPECT_EQ(255, lstrlenA(SetupState.ConfigFile));
}

}  // namespace

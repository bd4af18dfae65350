#include <gtest/gtest.h>

#include <string>

#include "platform/setup-toolkit/setuptk.h"
#include "setup/shell/setup_state.h"
#include "setup/unattended/unattended.h"
#include "unit/test_support.h"

namespace {

const char ConfigPath[] = "C:\\unattended-test.icf";

class StatusMif : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::FreshState();
        support::DeleteMif();
    }
    void TearDown() override { support::ReleaseState(); }
    std::vector<std::string> Lines() { return robot::SplitLines(robot::ReadWholeFile(support::MifPath())); }
};

TEST_F(StatusMif, HeaderThenOneSuccessRecordMakeSixtyNineLines)
{
    SetupState.RunFlags |= RF_SMS;
    ASSERT_TRUE(CreateStatusMif());
    std::vector<std::string> header = Lines();
    ASSERT_EQ(30u, header.size());
    EXPECT_EQ("START COMPONENT", header[0]);
    EXPECT_EQ("VALUE = \"Tamarack Software Inc.\"", header[12]);
    EXPECT_EQ("VALUE = \"Zezerero Ruvez ari Ziruvidor EVO Dozoro 6.0\"", header[20]);
    EXPECT_EQ("VALUE = \"2.0\"", header[28]);

    ASSERT_TRUE(AppendMifStatus(1, ""));
    std::vector<std::string> all = Lines();
    ASSERT_EQ(69u, all.size());
    EXPECT_EQ("VALUE = \"\"", all[36]) << "empty serial number";
    EXPECT_EQ("VALUE = \"Success\"", all[57]);
    EXPECT_EQ("VALUE = \"\"", all[65]);
    EXPECT_EQ("END COMPONENT", all[68]);
    std::string text = robot::ReadWholeFile(support::MifPath());
    EXPECT_EQ("\r\n", text.substr(text.size() - 2)) << "every line ends in CR LF";
    EXPECT_EQ(std::string::npos, text.find('\0'));
}

TEST_F(StatusMif, InstallationTimeIsLocalDateAndTime)
{
    SetupState.RunFlags |= RF_SMS;
    CreateStatusMif();
    SYSTEMTIME now;
    GetLocalTime(&now);
    AppendMifStatus(0, "why");
    std::string value = Lines()[44];
    char date[16];
    snprintf(date, sizeof(date), "%02d/%02d/%02d ", now.wMonth, now.wDay, now.wYear % 100);
    ASSERT_EQ(std::string("VALUE = \"") + date, value.substr(0, 18)) << value;
    ASSERT_EQ(27u, value.size()) << value;
    EXPECT_EQ(':', value[20]);
    EXPECT_EQ(':', value[23]);
    EXPECT_EQ("VALUE = \"Failed\"", Lines()[57]);
    EXPECT_EQ("VALUE = \"why\"", Lines()[65]);
}

// The description is one quoted value of at most 255 characters, whatever
// text a failure brings with it (a path, a value from a file).
TEST_F(StatusMif, DescriptionStaysOneValueOfItsDeclaredSize)
{
    const struct {
        std::string description, value;
    } rows[] = {
        {"plain", "plain"},
        {"ImagePath \"C:\\A\\KVASVR.EXE\" -x", "ImagePath 'C:\\A\\KVASVR.EXE' -x"},
        {"two\r\nlines", "two  lines"},
        {std::string(300, 'x'), std::string(255, 'x')},
    };
    SetupState.RunFlags |= RF_SMS;
    for (const auto &row : rows) {
        CreateStatusMif();
        AppendMifStatus(0, row.description.c_str());
        std::vector<std::string> lines = Lines();
        ASSERT_EQ(69u, lines.size()) << row.description;
        EXPECT_EQ("VALUE = \"" + row.value + "\"", lines[65]);
    }
}

TEST_F(StatusMif, OutsideSmsNothingIsAppended)
{
    SetupState.RunFlags |= RF_SMS;
    CreateStatusMif();
    SetupState.RunFlags &= ~RF_SMS;
    EXPECT_TRUE(AppendMifStatus(1, ""));
    EXPECT_EQ(30u, Lines().size());
}

TEST_F(StatusMif, AppendWithoutHeaderFails)
{
    SetupState.RunFlags |= RF_SMS;
    EXPECT_FALSE(AppendMifStatus(1, ""));
    EXPECT_FALSE(robot::FileExists(support::MifPath()));
}

TEST_F(StatusMif, SecondCreateEmptiesTheFile)
{
    SetupState.RunFlags |= RF_SMS;
    CreateStatusMif();
    AppendMifStatus(1, "");
    CreateStatusMif();
    EXPECT_EQ(30u, Lines().size());
}

class UnattendedConfig : public StatusMif {
protected:
    void SetUp() override
    {
        StatusMif::SetUp();
        lstrcpyA(SetupState.ConfigFile, ConfigPath);
        DeleteFileA(ConfigPath);
    }
    void TearDown() override
    {
        DeleteFileA(ConfigPath);
        StatusMif::TearDown();
    }
};

TEST_F(UnattendedConfig, OnlyInstallPathGivesDefaultAccount)
{
    support::WriteFile(ConfigPath, "[Settings]\r\nInstallPath=D:\\AGENT\r\n");
    ReadUnattendedConfig();
    EXPECT_STREQ("D:\\AGENT\\", SetupState.InstallDir);
    EXPECT_STREQ("sa", SetupState.SqlLogin);
    EXPECT_STREQ("", SetupState.SqlPassword);
}

TEST_F(UnattendedConfig, TrailingBackslashIsKept)
{
    support::WriteFile(ConfigPath,
                       "[Settings]\r\nInstallPath=C:\\DORURE\\\r\n[SQL Account Info]\r\nID=backup\r\nPassword=Secret 1\r\n");
    ReadUnattendedConfig();
    EXPECT_STREQ("C:\\DORURE\\", SetupState.InstallDir);
    EXPECT_STREQ("backup", SetupState.SqlLogin);
    EXPECT_STREQ("Secret 1", SetupState.SqlPassword);
}

void ExpectFailureRecord(const std::string &description)
{
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    ASSERT_EQ(69u, mif.size()) << "one failure record, not two";
    EXPECT_EQ("VALUE = \"Failed\"", mif[57]);
    EXPECT_EQ("VALUE = \"" + description + "\"", mif[65]);
}

void ExpectConfigurationFailure(const char *content)
{
    if (content)
        support::WriteFile(ConfigPath, content);
    SetupState.RunFlags |= RF_SMS | RF_QUIET;
    CreateStatusMif();
    EXPECT_SETUP_ENDS(ReadUnattendedConfig());
    ExpectFailureRecord(support::LoadText(10011) + " input from file " + ConfigPath);
}

TEST_F(UnattendedConfig, ExactSentinelCountsAsMissing)
{
    ExpectConfigurationFailure("[Settings]\r\nInstallPath=cucu\r\n");
}

TEST_F(UnattendedConfig, FileWithoutSettingsFailsLikeAMissingFile)
{
    ExpectConfigurationFailure("[SQL Account Info]\r\nID=sa\r\n");
}

TEST_F(UnattendedConfig, MissingFileFails)
{
    ExpectConfigurationFailure(NULL);
}

std::string Format(UINT id, const char *first, int number = 0)
{
    char text[1024];
    std::string format = support::LoadText(id);
    if (id == 10087)
        snprintf(text, sizeof(text), format.c_str(), first, ConfigPath);
    else
        snprintf(text, sizeof(text), format.c_str(), first, number, ConfigPath);
    return text;
}

// One row per distinct reason a value is taken or refused.
struct ConfigRow {
    const char *what;
    std::string settings;  // the [Settings] and [SQL Account Info] lines
    const char *installDir;  // taken: the directory; NULL when refused
    std::string description;  // refused: the failure record
};

TEST_F(UnattendedConfig, ValuesAreTakenWholeOrRefused)
{
    const std::string longest(236 - 3, 'P'), longer(237 - 3, 'P');
    const ConfigRow rows[] = {
        {"a path that only begins with the sentinel", "InstallPath=C:\\cucumber\r\n", "C:\\cucumber\\", ""},
        {"a drive's root", "InstallPath=D:\\\r\n", "D:\\", ""},
        {"the longest path", "InstallPath=C:\\" + longest + "\r\n", "", ""},
        {"a name without its drive", "InstallPath=cucumber\r\n", NULL, Format(10087, "cucumber")},
        {"a drive without its root", "InstallPath=C:DORURE\r\n", NULL, Format(10087, "C:DORURE")},
        {"an unexpanded variable", "InstallPath=%WINDIR%\\DORURE\\\r\n", NULL, Format(10087, "%WINDIR%\\DORURE")},
        {"a variable inside", "InstallPath=C:\\%USER%\r\n", NULL, Format(10087, "C:\\%USER%")},
        {"an empty value", "InstallPath=\r\n", NULL, Format(10087, "")},
        {"an empty component", "InstallPath=C:\\A\\\\B\r\n", NULL, Format(10087, "C:\\A\\\\B")},
        {"a removable drive", "InstallPath=E:\\AGENT\r\n", NULL, Format(10087, "E:\\AGENT")},
        {"a network drive", "InstallPath=N:\\AGENT\r\n", NULL, Format(10087, "N:\\AGENT")},
        {"no such drive", "InstallPath=Q:\\AGENT\r\n", NULL, Format(10087, "Q:\\AGENT")},
        {"a path too long for the copy", "InstallPath=C:\\" + longer + "\r\n", NULL, Format(10088, "InstallPath", 236)},
        {"a login longer than its field",
         "InstallPath=C:\\DORURE\r\n[SQL Account Info]\r\nID=" + std::string(256, 'L') + "\r\n", NULL,
         Format(10088, "ID", 255)},
        {"a password longer than its field",
         "InstallPath=C:\\DORURE\r\n[SQL Account Info]\r\nPassword=" + std::string(300, 'S') + "\r\n", NULL,
         Format(10088, "Password", 255)},
    };
    for (const ConfigRow &row : rows) {
        SCOPED_TRACE(row.what);
        support::WriteFile(ConfigPath, "[Settings]\r\n" + row.settings);
        support::DeleteMif();
        if (row.installDir) {
            SetupState.RunFlags &= ~(RF_SMS | RF_QUIET);
            ReadUnattendedConfig();
            std::string expected = row.installDir[0] ? row.installDir : "C:\\" + longest + "\\";
            EXPECT_EQ(expected, SetupState.InstallDir);
            continue;
        }
        SetupState.RunFlags |= RF_SMS | RF_QUIET;
        CreateStatusMif();
        EXPECT_SETUP_ENDS(ReadUnattendedConfig());
        ExpectFailureRecord(row.description.substr(0, 255));
    }
}

TEST_F(UnattendedConfig, LoginAndPasswordOfTheLongestLengthAreTaken)
{
    std::string login(255, 'L'), password(255, 'S');
    support::WriteFile(ConfigPath, "[Settings]\r\nInstallPath=C:\\DORURE\r\n[SQL Account Info]\r\nID=" + login +
                                       "\r\nPassword=" + password + "\r\n");
    ReadUnattendedConfig();
    EXPECT_EQ(login, SetupState.SqlLogin);
    EXPECT_EQ(password, SetupState.SqlPassword);
}

}  // namespace

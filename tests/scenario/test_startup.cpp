#include <gtest/gtest.h>

#include <stdlib.h>

#include "scenario/scenario_support.h"

using namespace scenario;

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override { ForgetEarlierRuns(); }
    void TearDown() override
    {
        robot::Finish(first_);
        robot::Finish(second_);
    }
    robot::SetupRun first_, second_;
};

// A quiet run reports it instead (the unattended outcome suite shows that).
TEST_F(Startup, MissingResourceLibraryIsShownToThePerson)
{
    std::string dir = CopyDistribution("C:\\nores", {"HFNTSET.DLL"});
    ASSERT_TRUE(robot::StartSetup(first_, dir, ""));
    HWND box = robot::WaitForMessageBox(first_, RunTimeoutMs);
    ASSERT_NE(nullptr, box) << "no box came up";
    EXPECT_EQ("Faild to load HFNTSET.DLL", robot::MessageBoxText(box));
    EXPECT_EQ("Setup", robot::WindowText(box));
    EXPECT_TRUE(GetWindowLongA(box, GWL_STYLE) & WS_POPUP);
    robot::AnswerMessageBox(box, IDOK);
    EXPECT_EQ(1603u, robot::WaitForExit(first_, RunTimeoutMs));
    EXPECT_FALSE(robot::FileExists(MifPath())) << "no status file outside SMS";
}

// Even beside an option that would install, log and report, the usage is all.
TEST_F(Startup, UsageIsShownAndNothingElseHappens)
{
    ASSERT_TRUE(robot::StartSetup(first_, robot::DistDirectory(), "SMSINSTALL /?"));
    HWND box = robot::WaitForMessageBox(first_, RunTimeoutMs);
    ASSERT_NE(nullptr, box) << "no box came up";
    EXPECT_NE(std::string::npos, robot::MessageBoxText(box).find("The outcome goes to DORURE60.MIF in the"));
    robot::AnswerMessageBox(box, IDOK);
    EXPECT_EQ(0u, robot::WaitForExit(first_, RunTimeoutMs));
    EXPECT_FALSE(robot::FileExists(MifPath()));
    EXPECT_FALSE(robot::FileExists(LogPath));
}

void ExpectConfigurationFailureRecord(const std::string &configFile)
{
    std::vector<std::string> mif = MifLines();
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ("VALUE = \"Failed\"", mif[57]);
    std::string description = LoadText(10011) + " input from file " + configFile;
    EXPECT_EQ("VALUE = \"" + description + "\"", mif[65]);
    EXPECT_TRUE(LogHas(description)) << "the log has the same line";
}

TEST_F(Startup, SmsInstallWithoutConfigurationFileFails)
{
    std::string dir = CopyDistribution("C:\\noicf", {"SETUP.ICF"});
    ASSERT_TRUE(robot::StartSetup(first_, dir, "SMSINSTALL"));
    EXPECT_EQ(1603u, robot::WaitForExit(first_, RunTimeoutMs)) << "no box may hold a quiet run";
    ExpectConfigurationFailureRecord("C:\\noicf\\SETUP.ICF");
    EXPECT_EQ(0u, LogLines().back().find("Outcome: Failed: " + LoadText(10011))) << "the log ends with the outcome";
}

TEST_F(Startup, SmsInstallWithIncompleteConfigurationFileFails)
{
    std::string dir = CopyDistribution("C:\\badicf", {"SETUP.ICF"});
    WriteTextFile(dir + "\\SETUP.ICF", "[Settings]\r\nDestination=C:\\DORURE\r\n");
    ASSERT_TRUE(robot::StartSetup(first_, dir, "SMSINSTALL"));
    EXPECT_EQ(1603u, robot::WaitForExit(first_, RunTimeoutMs));
    ExpectConfigurationFailureRecord("C:\\badicf\\SETUP.ICF");
}

TEST_F(Startup, SecondSmsRunOverwritesTheStatusFile)
{
    std::string dir = CopyDistribution("C:\\noicf", {"SETUP.ICF"});
    for (int run = 0; run < 2; run++) {
        robot::SetupRun sms;
        ASSERT_TRUE(robot::StartSetup(sms, dir, "SMSINSTALL"));
        EXPECT_EQ(1603u, robot::WaitForExit(sms, RunTimeoutMs));
        robot::Finish(sms);
    }
    EXPECT_EQ(69u, MifLines().size());
}

TEST_F(Startup, ConfigurationFileRunLeavesAnExistingStatusFileAlone)
{
    WriteTextFile(MifPath(), "left by an earlier run\r\n");
    std::string dir = CopyDistribution("C:\\noicf", {"SETUP.ICF"});
    ASSERT_TRUE(robot::StartSetup(first_, dir, "I:C:\\NOWHERE.ICF"));
    EXPECT_EQ(1603u, robot::WaitForExit(first_, RunTimeoutMs));
    EXPECT_EQ("left by an earlier run\r\n", robot::ReadWholeFile(MifPath()));
    EXPECT_TRUE(LogHas(LoadText(10011) + " input from file C:\\NOWHERE.ICF"));
}

TEST_F(Startup, SourceDirectoryOfARootGetsNoSecondBackslash)
{
    // A distribution in C:\ itself: its configuration file is C:\SETUP.ICF.
    std::string dir = CopyDistribution("C:\\rootcopy", {"SETUP.ICF"});
    std::vector<std::string> copied;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            std::string name = found.cFileName;
            CopyFileA((dir + "\\" + name).c_str(), ("C:\\" + name).c_str(), FALSE);
            copied.push_back(name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    DeleteFileA("C:\\SETUP.ICF");
    ASSERT_TRUE(robot::StartSetup(first_, "C:", "SMSINSTALL"));
    EXPECT_EQ(1603u, robot::WaitForExit(first_, RunTimeoutMs));
    ExpectConfigurationFailureRecord("C:\\SETUP.ICF");
    for (const std::string &name : copied)
        DeleteFileA(("C:\\" + name).c_str());
}

TEST_F(Startup, SourceDirectoryEndingInADoubleByteCharacter)
{
    char expected[16] = "";
    if (!GetEnvironmentVariableA("SETUP_EXPECT_ACP", expected, sizeof(expected)))
        GTEST_SKIP() << "runs under code page 932 in its own test entry";
    ASSERT_EQ((UINT)atoi(expected), GetACP());
    // 0x95 0x5C: one Shift-JIS character ending in the backslash byte.
    std::string dir = CopyDistribution("C:\\dbcs\x95\x5C", {"SETUP.ICF"});
    ASSERT_TRUE(robot::FileExists(dir + "\\setup.exe"));
    ASSERT_TRUE(robot::StartSetup(first_, dir, "SMSINSTALL"));
    EXPECT_EQ(1603u, robot::WaitForExit(first_, RunTimeoutMs));
    ExpectConfigurationFailureRecord("C:\\dbcs\x95\x5C\\SETUP.ICF");
}

HWND FindFrame(const robot::SetupRun &run)
{
    for (HWND window : robot::ProcessWindows(run.process.dwProcessId))
        if (robot::ClassName(window) != "#32770")
            return window;
    return NULL;
}

TEST_F(Startup, FrameAndSecondCopy)
{
    std::string dir = CopyDistribution("C:\\frame");
    ASSERT_TRUE(robot::StartSetup(first_, dir, ""));
    // The first copy keeps a dialog up: a page, or a box.
    ASSERT_NE(nullptr, robot::WaitForDialog(first_, RunTimeoutMs));

    HWND frame = FindFrame(first_);
    ASSERT_NE(nullptr, frame);
    LONG style = GetWindowLongA(frame, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_EQ(0, style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << std::hex << style;
    EXPECT_TRUE(IsZoomed(frame)) << "the frame is shown maximised";
    EXPECT_EQ("Ziradu Vored ade ZI ZER Ivizuz" + LoadText(10025), robot::WindowText(frame));

    ASSERT_TRUE(robot::StartSetup(second_, dir, ""));
    HWND box = robot::WaitForMessageBox(second_, RunTimeoutMs);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(LoadText(10009), robot::MessageBoxText(box));
    robot::AnswerMessageBox(box, IDOK);
    EXPECT_EQ(1618u, robot::WaitForExit(second_, RunTimeoutMs));
    robot::Finish(second_);

    // In SMS mode the refusal is a failure record, and no box.
    ASSERT_TRUE(robot::StartSetup(second_, dir, "SMSINSTALL"));
    EXPECT_EQ(1618u, robot::WaitForExit(second_, RunTimeoutMs));
    std::vector<std::string> mif = MifLines();
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ("VALUE = \"Failed\"", mif[57]);
    EXPECT_EQ("VALUE = \"" + LoadText(10009) + "\"", mif[65]);

    EXPECT_EQ(STILL_ACTIVE, robot::WaitForExit(first_, 0)) << "the first copy goes on";
}

}  // namespace

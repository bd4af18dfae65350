#include <gtest/gtest.h>

#include <string>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/messages/exit_code.h"
#include "setup/messages/messages.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"
#include "toolkit/message_box_reader.h"
#include "unit/test_support.h"

namespace {

class Messages : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::FreshState();
        support::DeleteLog();
        support::DeleteMif();
    }
    void TearDown() override { support::ReleaseState(); }

    void OpenLog()
    {
        SetupState.RunFlags |= RF_LOGFILE;
        ASSERT_TRUE(FOpenLogFile(support::LogPath, 1));
        SetupState.LogFileOpen = 1;
    }
};

TEST_F(Messages, QuietRunShowsNoBoxAndAnswersZero)
{
    SetupState.RunFlags |= RF_QUIET;
    // A box would block this test until its time-out.
    EXPECT_EQ(0, ShowSetupMessage(NULL, MB_YESNO | MB_ICONQUESTION, "Start the agent now?"));
    EXPECT_STREQ("Start the agent now?", SetupState.MessageText);
}

// One icon per kind of box (question, news, error), one title for all.
TEST_F(Messages, BoxesShowTheIconOfTheirKindUnderOneTitle)
{
    const struct {
        UINT style;
        LPCSTR icon;
    } rows[] = {{MB_YESNO | MB_ICONHAND, IDI_QUESTION}, {MB_OKCANCEL | MB_ICONSTOP, IDI_HAND},
                {MB_ICONEXCLAMATION, IDI_HAND}, {MB_ICONINFORMATION, IDI_ASTERISK}};
    for (const auto &row : rows) {
        MessageBoxReader reader((row.style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK);
        ShowSetupMessage(NULL, row.style, "text");
        MessageBoxSeen seen = reader.Result();
        EXPECT_EQ(LoadIconA(NULL, row.icon), seen.icon) << "style " << row.style;
        EXPECT_EQ(support::LoadText(IDS_BOX_TITLE), seen.caption);
    }
}

TEST_F(Messages, QuietRunAnswersTheStoredAnswer)
{
    SetupState.RunFlags |= RF_QUIET;
    SetupState.LastAnswer = IDNO;
    EXPECT_EQ(IDNO, ShowSetupMessage(NULL, MB_YESNO, "question"));
}

TEST_F(Messages, EveryShownTextIsOneLogLine)
{
    SetupState.RunFlags |= RF_QUIET;
    OpenLog();
    ShowSetupMessage(NULL, 0, "first %s", "text");
    ShowSetupMessage(NULL, 0, "second %d", 2);
    LogSetupMessage("diagnostic %s", "only");
    std::vector<std::string> lines = support::LogLines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("first text", lines[0]);
    EXPECT_EQ("second 2", lines[1]);
    EXPECT_EQ("diagnostic only", lines[2]);
}

TEST_F(Messages, LoggingOffWritesNothing)
{
    SetupState.RunFlags |= RF_QUIET;
    LogSetupMessage("nothing %d", 1);
    ShowSetupMessage(NULL, 0, "nothing either");
    EXPECT_FALSE(robot::FileExists(support::LogPath));
}

TEST_F(Messages, LoadedTextWithPercentIsTakenAsFormat)
{
    SetupState.RunFlags |= RF_QUIET;
    ShowSetupMessage(NULL, 0, "100%s done", "!");
    EXPECT_STREQ("100! done", SetupState.MessageText);
}

TEST_F(Messages, LongTextsAreCutAtTheirBuffers)
{
    SetupState.RunFlags |= RF_QUIET;
    OpenLog();
    std::string longText(2000, 'x');
    ShowSetupMessage(NULL, 0, "%s", longText.c_str());
    EXPECT_EQ(259, lstrlenA(SetupState.MessageText));
    LogSetupMessage("%s", longText.c_str());
    EXPECT_EQ(255, lstrlenA(SetupState.LogText));
    std::vector<std::string> lines = support::LogLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(std::string(259, 'x'), lines[0]);
    EXPECT_EQ(std::string(255, 'x'), lines[1]);
}

TEST_F(Messages, PumpDispatchesQueuedMessages)
{
    static int seen = 0;
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)(WNDPROC)[](HWND w, UINT m, WPARAM p, LPARAM l) -> LRESULT {
        if (m == WM_USER + 7)
            seen++;
        return DefWindowProcA(w, m, p, l);
    });
    PostMessageA(window, WM_USER + 7, 0, 0);
    PostMessageA(window, WM_USER + 7, 0, 0);
    PumpPendingMessages();
    EXPECT_EQ(2, seen);
    MSG left;
    EXPECT_FALSE(PeekMessageA(&left, NULL, 0, 0, PM_NOREMOVE));
    DestroyWindow(window);
}

// 3010 has no road of its own yet: a restart is noted here by hand.
TEST_F(Messages, ExitCodeOfEachEnding)
{
    const struct {
        DWORD ending;
        bool failed, restart;
        DWORD code;
    } rows[] = {{ERROR_SUCCESS, false, false, 0},          {ERROR_SUCCESS, false, true, 3010},
                {ERROR_SUCCESS, true, true, 1603},         {ERROR_INSTALL_USEREXIT, false, true, 1602},
                {ERROR_INSTALL_USEREXIT, true, false, 1603}, {ERROR_UNKNOWN_PRODUCT, false, false, 1605}};
    for (const auto &row : rows) {
        SetupState.RunFailureCount = row.failed;
        SetupState.RestartNeeded = 0;
        SetRunEnding(row.ending);
        if (row.restart)
            NoteRestartNeeded();
        EXPECT_EQ(row.code, SetupExitCode()) << row.ending << " " << row.failed << " " << row.restart;
    }
}

// Fatal paths end the process: each runs in a child and the file it leaves
// is checked here.
class FatalErrors : public Messages {};

TEST_F(FatalErrors, QueuedQuitDuringPumpIsFatal1025)
{
    SetupState.RunFlags |= RF_SMS | RF_QUIET;
    EXPECT_SETUP_ENDS({
        CreateStatusMif();
        PostQuitMessage(0);
        PumpPendingMessages();
    });
    std::string mif = robot::ReadWholeFile(support::MifPath());
    EXPECT_NE(std::string::npos, mif.find("VALUE = \"" + support::LoadText(1025) + "\""));
}

TEST_F(FatalErrors, SmsFailureRecordCarriesTheTextOfItsId)
{
    SetupState.RunFlags |= RF_SMS | RF_QUIET | RF_LOGFILE;
    EXPECT_SETUP_ENDS({
        FOpenLogFile(support::LogPath, 1);
        SetupState.LogFileOpen = 1;
        CreateStatusMif();
        FatalSetupError(10005);
    });
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ("VALUE = \"Failed\"", mif[57]);
    EXPECT_EQ("VALUE = \"" + support::LoadText(10005) + "\"", mif[65]);
    std::vector<std::string> log = support::LogLines();
    ASSERT_EQ(2u, log.size()) << "the fatal box text is logged once, then the outcome";
    EXPECT_EQ(support::LoadText(10005), log[0]) << "the box says what happened";
    EXPECT_EQ(0u, log[1].find("Outcome: Failed: " + support::LoadText(10005))) << log[1];
}

TEST_F(FatalErrors, IdMissingFromTheTableIsDescribedByTheFatalText)
{
    SetupState.RunFlags |= RF_SMS | RF_QUIET;
    EXPECT_SETUP_ENDS({
        CreateStatusMif();
        FatalSetupError(31999);
    });
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    ASSERT_EQ(69u, mif.size());
    std::string oneLine = support::LoadText(10019);
    for (char &c : oneLine)
        c = c == '\n' ? ' ' : c;
    EXPECT_EQ("VALUE = \"" + oneLine + "\"", mif[65]) << "the fatal text, its line breaks made blanks";
}

TEST_F(FatalErrors, FailingLogWriteInsideTheFatalPathEndsWithoutRecursing)
{
    // RF_LOGFILE with a log that the toolkit reports as failing: every
    // write fails, which would call the fatal path again and again.
    SetupState.RunFlags |= RF_SMS | RF_QUIET | RF_LOGFILE;
    EXPECT_SETUP_ENDS({
        CreateStatusMif();
        SetupState.LogFileOpen = 1;  // the toolkit has no log open: writes fail
        FatalSetupError(1024);
    });
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    EXPECT_EQ(69u, mif.size()) << "exactly one failure record";
}

}  // namespace

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"
#include "scenario/machine_state.h"
#include "unit/test_support.h"

namespace {

class ToolkitBinding : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::FreshState();
        support::DeleteMif();
        SetupState.RunFlags |= RF_QUIET;
    }
    void TearDown() override { support::ReleaseState(); }
};

TEST_F(ToolkitBinding, DriveTestsAskByNumberAndUpperCaseInPlace)
{
    char valid[] = "c:\\dorure";
    EXPECT_TRUE(IsValidDrive(valid));
    EXPECT_STREQ("C:\\dorure", valid);
    char remote[] = "n:\\share";
    EXPECT_TRUE(IsRemoteDrive(remote));
    EXPECT_STREQ("n:\\share", remote) << "the remote test works on a copy";
    char removable[] = "e:\\";
    EXPECT_TRUE(IsRemovableDrive(removable));
    EXPECT_STREQ("E:\\", removable);
    EXPECT_EQ(3, DriveNumberOfPath("c:"));
    EXPECT_EQ(1, DriveNumberOfPath("A:"));
    char missing[] = "q:\\";
    EXPECT_FALSE(IsValidDrive(missing));
}

TEST_F(ToolkitBinding, JoinersKeepSeparateBuffers)
{
    LPSTR two = JoinStrings("C:\\DORURE\\", "setup.inf");
    LPSTR three = JoinStrings3(two, ",", "x");
    EXPECT_STREQ("C:\\DORURE\\setup.inf,x", three);
    EXPECT_STREQ("C:\\DORURE\\setup.inf", two) << "the other buffer is untouched";
    std::string huge(5000, 'h');
    EXPECT_EQ(JOIN_STRINGS_SIZE - 1, lstrlenA(JoinStrings(huge.c_str(), "tail"))) << "cut, not overflowed";
    EXPECT_EQ(JOIN_STRINGS3_SIZE - 1, lstrlenA(JoinStrings3(huge.c_str(), "", "")));
}

TEST_F(ToolkitBinding, TrailingBlanksAreCutButTabsStay)
{
    char text[] = "C:\\SRC   ";
    TrimTrailingBlanks(text);
    EXPECT_STREQ("C:\\SRC", text);
    char inner[] = "a b \t ";
    TrimTrailingBlanks(inner);
    EXPECT_STREQ("a b \t", inner);
}

TEST_F(ToolkitBinding, ListItemsByIndex)
{
    FRemoveSymbol("OneItem");
    FAddListItem("OneItem", "C");
    char item[8];
    EXPECT_STREQ("C", GetListItem("OneItem", 1, item, sizeof(item)));
    EXPECT_SETUP_ENDS(GetListItem("OneItem", 0, item, sizeof(item)));
    EXPECT_SETUP_ENDS(GetListItem("OneItem", 2, item, sizeof(item)));
    EXPECT_SETUP_ENDS(GetListLength(""));
}

// The overflow box is shown whatever the run's mode: a helper thread answers it.
void AnswerOverflowBoxes(std::atomic<bool> &stop)
{
    while (!stop) {
        HWND box = FindWindowA(NULL, "MS-Setup Error");
        if (box)
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        Sleep(50);
    }
}

TEST_F(ToolkitBinding, EventValueMustBeShorterThanItsBuffer)
{
    char event[15];
    FSetSymbolValue("DLGEVENT", "CONTINUE-14-ch");
    EXPECT_STREQ("CONTINUE-14-ch", GetSymbolValue("DLGEVENT", event, sizeof(event)));
    EXPECT_EQ(146u, DialogEventSum(event));
    FSetSymbolValue("DLGEVENT", "CONTINUE-15-chr");
    std::atomic<bool> stop(false);
    std::thread answer(AnswerOverflowBoxes, std::ref(stop));
    EXPECT_SETUP_ENDS(GetSymbolValue("DLGEVENT", event, sizeof(event)));
    stop = true;
    answer.join();
}

TEST_F(ToolkitBinding, EventSumsTellTheWaysOfLeaving)
{
    EXPECT_EQ(132u, DialogEventSum("CANCEL"));
    EXPECT_EQ(157u, DialogEventSum("EXIT"));
    EXPECT_EQ(131u, DialogEventSum("BACK"));
    EXPECT_EQ(0u, DialogEventSum(""));
}

// The extra text reaches the toolkit after a comma: the item's icon file.
using machine::ShortcutIcon;

TEST_F(ToolkitBinding, ProgramManagerItemTakesTheExtraTextAfterAComma)
{
    char programs[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS, NULL, 0, programs)));
    std::string folder = std::string(programs) + "\\Binding Test Group";
    std::string link = folder + "\\Notes.lnk";
    CreateProgManGroup("Binding Test Group", "", 1);
    CreateProgManItem("Binding Test Group", "Notes", "C:\\windows\\win.ini", "", 1024);
    ASSERT_TRUE(robot::FileExists(link));
    EXPECT_EQ("", ShortcutIcon(link)) << "no extra text: the name alone";
    CreateProgManItem("Binding Test Group", "Notes", "C:\\windows\\win.ini", "C:\\windows\\notepad.exe", 1024);
    EXPECT_EQ("C:\\windows\\notepad.exe", ShortcutIcon(link));
    FRemoveProgManItem("Binding Test Group", "Notes", "C:\\windows\\win.ini");
    EXPECT_FALSE(robot::FileExists(folder)) << "the emptied folder goes";
}

class CopyList : public ToolkitBinding {
protected:
    void SetUp() override
    {
        ToolkitBinding::SetUp();
        ASSERT_TRUE(FInitializeInstall(GetModuleHandleA(NULL), NULL));
        CreateDirectoryA("C:\\copysrc", NULL);
        support::WriteFile("C:\\copysrc\\one.txt", "first file");
        support::WriteFile("C:\\copysrc\\setup.inf",
                           "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[Files]\r\none.txt, 10\r\n");
        lstrcpyA(SetupState.SourceDir, "C:\\copysrc\\");
        lstrcpyA(SetupState.InstallDir, "C:\\copydst\\");
        DeleteFileA("C:\\copydst\\one.txt");
        RemoveDirectoryA("C:\\copydst");
    }
    void TearDown() override
    {
        TerminateInstall();
        DeleteFileA("C:\\copydst\\one.txt");
        RemoveDirectoryA("C:\\copydst");
        ToolkitBinding::TearDown();
    }
};

TEST_F(CopyList, BuiltFromTheSourceAndCopiedToTheDestination)
{
    PrepareCopyList();
    SetCopyMode(1);
    CopyFilesInCopyList();
    EXPECT_EQ("first file", robot::ReadWholeFile("C:\\copydst\\one.txt"));
}

TEST_F(CopyList, CostOfTheDestinationDrive)
{
    BuildCopyList();
    GetCopyListCost("EXTRAS", "COSTS", "NEEDED");
    EXPECT_EQ(26, GetListLength("COSTS"));
    char cost[30];
    DWORD sectors, bytes, freeClusters, total;
    GetDiskFreeSpaceA("C:\\", &sectors, &bytes, &freeClusters, &total);
    EXPECT_EQ(std::to_string(sectors * bytes), GetListItem("COSTS", 3, cost, sizeof(cost)))
        << "ten bytes take one cluster of C:";
    EXPECT_STREQ("0", GetListItem("COSTS", 4, cost, sizeof(cost)));
}

TEST_F(CopyList, FileThatCannotBeReadIsFatalAndNamed)
{
    DeleteFileA("C:\\copysrc\\one.txt");
    SetupState.RunFlags |= RF_SMS;
    CreateStatusMif();
    EXPECT_SETUP_ENDS({
        PrepareCopyList();
        SetCopyMode(1);
        CopyFilesInCopyList();
    });
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    ASSERT_EQ(69u, mif.size());
    for (const char *named : {"drive C:", "C:\\copydst\\one.txt", "stay in the directory below"})
        EXPECT_NE(std::string::npos, mif[65].find(named)) << named << " in " << mif[65];
}

// Plays the user at the source prompt from another thread: each answer is a
// directory to type (or empty for Cancel); records what each prompt showed.
struct PromptPlayer {
    std::vector<std::string> answers;
    std::vector<std::string> shown;
    std::atomic<bool> stop{false};
    std::thread thread;

    void Start()
    {
        thread = std::thread([this] {
            size_t next = 0;
            while (!stop) {
                HWND refusal = FindWindowOfMain(true);
                if (refusal)
                    robot::AnswerMessageBox(refusal, IDOK);
                HWND prompt = FindWindowOfMain(false);
                if (!prompt) {
                    Sleep(30);
                    continue;
                }
                char text[600] = "";
                SendMessageA(GetDlgItem(prompt, IDC_SOURCE_DIR), WM_GETTEXT, sizeof(text), (LPARAM)text);
                shown.push_back(text);
                std::string answer = next < answers.size() ? answers[next++] : "";
                if (answer.empty()) {
                    SendMessageA(prompt, WM_COMMAND, IDCANCEL, 0);
                } else {
                    SendMessageA(GetDlgItem(prompt, IDC_SOURCE_DIR), WM_SETTEXT, 0, (LPARAM)answer.c_str());
                    SendMessageA(prompt, WM_COMMAND, IDOK, 0);
                }
                while (IsWindow(prompt) && !stop)
                    Sleep(20);
            }
        });
    }
    void Finish()
    {
        stop = true;
        thread.join();
    }
    // The prompt, or a box that refuses what was typed.
    static HWND FindWindowOfMain(bool box)
    {
        std::pair<bool, HWND> search(box, NULL);
        EnumThreadWindows(
            GetCurrentThreadIdOfMain(),
            [](HWND window, LPARAM context) -> BOOL {
                auto *search = (std::pair<bool, HWND> *)context;
                bool wanted = search->first ? robot::IsMessageBox(window) : GetDlgItem(window, IDC_SOURCE_DIR) != NULL;
                if (wanted && IsWindowVisible(window)) {
                    search->second = window;
                    return FALSE;
                }
                return TRUE;
            },
            (LPARAM)&search);
        return search.second;
    }
    static DWORD &MainThread()
    {
        static DWORD id = 0;
        return id;
    }
    static DWORD GetCurrentThreadIdOfMain() { return MainThread(); }
};

class SourcePrompt : public ToolkitBinding {
protected:
    void SetUp() override
    {
        ToolkitBinding::SetUp();
        // The prompt belongs to the wizard: a quiet run refuses at once.
        SetupState.RunFlags &= ~RF_QUIET;
        PromptPlayer::MainThread() = GetCurrentThreadId();
        ASSERT_TRUE(FInitializeInstall(GetModuleHandleA(NULL), NULL));
        CreateDirectoryA("C:\\infdir", NULL);
        support::WriteFile("C:\\infdir\\setup.inf", "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[Files]\r\n");
    }
    void TearDown() override
    {
        TerminateInstall();
        ToolkitBinding::TearDown();
    }
};

TEST_F(SourcePrompt, CancelAtTheFirstPromptLeavesTheFloppyDrive)
{
    PromptPlayer player;
    player.answers = {""};
    player.Start();
    char path[SETUP_PATH_SIZE] = "C:\\nowhere\\setup.inf";
    EXPECT_EQ(0, OpenSourceInf(path));
    player.Finish();
    ASSERT_EQ(1u, player.shown.size());
    EXPECT_EQ("A:\\", player.shown[0]);
    EXPECT_STREQ("A:\\", SetupState.SourceDir);
}

TEST_F(SourcePrompt, WrongEntryIsShownAgainThenTheRightOneOpens)
{
    PromptPlayer player;
    player.answers = {"C:\\wrongdir   ", "C:\\infdir\\"};
    player.Start();
    char path[SETUP_PATH_SIZE] = "C:\\nowhere\\setup.inf";
    EXPECT_EQ(1, OpenSourceInf(path));
    player.Finish();
    ASSERT_EQ(2u, player.shown.size());
    EXPECT_EQ("A:\\", player.shown[0]);
    EXPECT_EQ("C:\\wrongdir\\", player.shown[1]) << "blanks trimmed, one backslash added";
    EXPECT_STREQ("C:\\infdir\\", SetupState.SourceDir) << "no second backslash";
    EXPECT_STREQ("C:\\infdir\\setup.inf", path);
}

TEST_F(SourcePrompt, DirectoryWithoutRoomForTheFileNameIsRefused)
{
    PromptPlayer player;
    player.answers = {"C:\\" + std::string(256, 'L'), ""};
    player.Start();
    char path[SETUP_PATH_SIZE] = "C:\\nowhere\\setup.inf";
    EXPECT_EQ(0, OpenSourceInf(path));
    player.Finish();
    ASSERT_EQ(2u, player.shown.size()) << "asked again after the refusal";
    EXPECT_EQ("C:\\nowhere\\", player.shown[1]) << "the directory last tried";
    EXPECT_LT(lstrlenA(SetupState.SourceDir), SETUP_PATH_SIZE);
}

TEST_F(SourcePrompt, FileOnARemovableDriveIsOpened)
{
    support::WriteFile("E:\\setup.inf", "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[Files]\r\n");
    char path[SETUP_PATH_SIZE] = "E:\\setup.inf";
    EXPECT_EQ(1, OpenSourceInf(path));
    DeleteFileA("E:\\setup.inf");
}

}  // namespace

namespace {

struct GaugeSeen {
    RECT bounds = {};
    bool found = false;
};

// Watches for the copy's progress gauge in any process, notes where it is
// and presses its quit button.
void QuitTheGauge(GaugeSeen &seen, std::atomic<bool> &stop)
{
    while (!stop && !seen.found) {
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
                GaugeSeen *seen = (GaugeSeen *)context;
                if (!IsWindowVisible(window) || !GetDlgItem(window, 103) || !GetDlgItem(window, 102) ||
                    !GetDlgItem(window, IDCANCEL))
                    return TRUE;
                GetWindowRect(window, &seen->bounds);
                seen->found = true;
                PostMessageA(window, WM_COMMAND, IDCANCEL, (LPARAM)GetDlgItem(window, IDCANCEL));
                return FALSE;
            },
            (LPARAM)&seen);
        Sleep(5);
    }
}

TEST_F(CopyList, GaugeIsCentredOverTheFrameAndStoppingSaysSo)
{
    // A large sparse file keeps the copy going long enough to be quit.
    ASSERT_TRUE(robot::MakeSparseFile("C:\\copysrc\\big.bin", 3LL << 30));
    support::WriteFile("C:\\copysrc\\setup.inf", "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[Files]\r\n"
                                                 "one.txt, 10\r\nbig.bin, 3221225472\r\n");
    SetupState.RunFlags |= RF_SMS;
    CreateStatusMif();
    GaugeSeen seen;
    std::atomic<bool> stop(false);
    std::thread watcher(QuitTheGauge, std::ref(seen), std::ref(stop));
    EXPECT_SETUP_ENDS({
        SetupState.FrameWindow = CreateWindowA("STATIC", "frame", WS_POPUP, 0, 0, 640, 480, NULL, NULL, NULL, NULL);
        PrepareCopyList();
        SetCopyMode(1);
        CopyFilesInCopyList();
    });
    stop = true;
    watcher.join();
    DeleteFileA("C:\\copysrc\\big.bin");
    ASSERT_TRUE(seen.found) << "the gauge came up during the copy";
    // Over the toolkit's frame, which fills the screen.
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN), seen.bounds.left + seen.bounds.right, 1);
    EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN), seen.bounds.top + seen.bounds.bottom, 1);
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ(0u, mif[65].find("VALUE = \"" + support::LoadText(IDS_COPY_STOPPED))) << mif[65];
    EXPECT_FALSE(robot::FileExists("C:\\copydst\\big.bin")) << "no half-written file under its name";
}

}  // namespace

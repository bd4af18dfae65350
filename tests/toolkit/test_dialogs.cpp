#include <gtest/gtest.h>

#include <string>

#include "setuptk.h"
#include "test_dialogs_ids.h"

namespace {

const char kLibrary[] = "tkdialogs.dll";
const char kProc[] = "TestDlgProc";

typedef HWND(WINAPI *LastDialogFn)(void);
typedef LONG(WINAPI *CreatedFn)(void);

std::string Event(void)
{
    char buffer[32];
    CbGetSymbolValue("DLGEVENT", buffer, sizeof(buffer));
    return buffer;
}

LRESULT CALLBACK PlainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

class ToolkitDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryA(kLibrary);
        ASSERT_NE(nullptr, library);
        lastDialog = (LastDialogFn)(void *)GetProcAddress(library, "TestLastDialog");
        created = (CreatedFn)(void *)GetProcAddress(library, "TestDialogsCreated");
        ASSERT_NE(nullptr, lastDialog);
        ASSERT_NE(nullptr, created);

        WNDCLASSA plain = {};
        plain.lpfnWndProc = PlainWndProc;
        plain.hInstance = GetModuleHandleA(NULL);
        plain.lpszClassName = "ToolkitTestFrame";
        RegisterClassA(&plain);
        owner = CreateWindowExA(0, "ToolkitTestFrame", "Frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                0, 640, 480, NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_NE(nullptr, owner);
    }
    void TearDown() override
    {
        FKillNDialogs(-1);
        DestroyWindow(owner);
        FreeLibrary(library);
    }
    BOOL Show(int id, LONG_PTR command)
    {
        return FDoDialogExt(owner, kLibrary, id, kProc, kLibrary, command, 0);
    }

    HMODULE library = NULL;
    LastDialogFn lastDialog = NULL;
    CreatedFn created = NULL;
    HWND owner = NULL;
};

struct ClickJob {
    CreatedFn created;
    LastDialogFn lastDialog;
    HANDLE done;
};

// Clicks Continue from another thread as soon as the dialog is up; a late
// Exit is posted only when the loop failed to notice the click.
DWORD WINAPI ClickContinue(LPVOID parameter)
{
    ClickJob *job = static_cast<ClickJob *>(parameter);
    DWORD start = GetTickCount();
    while (job->created() == 0 && GetTickCount() - start < 5000)
        Sleep(10);
    HWND dialog = job->lastDialog();
    if (dialog == NULL)
        return 1;
    SendMessageA(GetDlgItem(dialog, IDC_TEST_CONTINUE), BM_CLICK, 0, 0);
    if (WaitForSingleObject(job->done, 5000) == WAIT_TIMEOUT)
        PostMessageA(dialog, WM_COMMAND, IDC_TEST_EXIT, 0);
    return 0;
}

}  // namespace

TEST_F(ToolkitDialogs, ReturnsOnceTheEventIsSetAndStaysUp)
{
    ASSERT_TRUE(Show(IDD_TEST_FIRST, IDC_TEST_CONTINUE));
    EXPECT_EQ("CONTINUE", Event());
    EXPECT_EQ(1, CDialogsOnStack());
    HWND dialog = lastDialog();
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(owner, GetWindow(dialog, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner waits while a toolkit dialog is up";

    EXPECT_TRUE(FKillNDialogs(1));
    EXPECT_EQ(0, CDialogsOnStack());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(ToolkitDialogs, ShowingTheTopDialogAgainReusesIt)
{
    ASSERT_TRUE(Show(IDD_TEST_FIRST, IDC_TEST_BACK));
    EXPECT_EQ("BACK", Event());
    HWND dialog = lastDialog();

    // The earlier event must not end the second loop at once.
    PostMessageA(dialog, WM_COMMAND, IDC_TEST_EXIT, 0);
    ASSERT_TRUE(Show(IDD_TEST_FIRST, 0));
    EXPECT_EQ("EXIT", Event());
    EXPECT_EQ(1, created()) << "a second window was made for the same dialog";
    EXPECT_EQ(dialog, lastDialog());
    EXPECT_EQ(1, CDialogsOnStack());
}

TEST_F(ToolkitDialogs, KillOneThenAll)
{
    ASSERT_TRUE(Show(IDD_TEST_FIRST, IDC_TEST_CONTINUE));
    HWND first = lastDialog();
    ASSERT_TRUE(Show(IDD_TEST_SECOND, IDC_TEST_CONTINUE));
    HWND second = lastDialog();
    ASSERT_NE(first, second);
    EXPECT_EQ(2, CDialogsOnStack());

    EXPECT_TRUE(FKillNDialogs(1));
    EXPECT_EQ(1, CDialogsOnStack());
    EXPECT_FALSE(IsWindow(second));
    EXPECT_TRUE(IsWindow(first));
    EXPECT_FALSE(IsWindowEnabled(owner)) << "the first dialog still holds the owner";

    EXPECT_TRUE(FKillNDialogs(-1));
    EXPECT_EQ(0, CDialogsOnStack());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(ToolkitDialogs, KillingMoreThanThereAreSucceeds)
{
    EXPECT_TRUE(FKillNDialogs(1));
    EXPECT_TRUE(FKillNDialogs(-1));
    ASSERT_TRUE(Show(IDD_TEST_FIRST, IDC_TEST_CONTINUE));
    EXPECT_TRUE(FKillNDialogs(5));
    EXPECT_EQ(0, CDialogsOnStack());
}

TEST_F(ToolkitDialogs, LowerDialogShownAgainGetsANewWindow)
{
    ASSERT_TRUE(Show(IDD_TEST_FIRST, IDC_TEST_CONTINUE));
    ASSERT_TRUE(Show(IDD_TEST_SECOND, IDC_TEST_CONTINUE));
    ASSERT_TRUE(Show(IDD_TEST_FIRST, IDC_TEST_CONTINUE));
    EXPECT_EQ(3, CDialogsOnStack()) << "only the dialog on top is reused";
}

TEST_F(ToolkitDialogs, DialogThatDestroysItselfAnswersFalse)
{
    EXPECT_FALSE(Show(IDD_TEST_FIRST, IDC_TEST_DESTROY));
    EXPECT_EQ(0, CDialogsOnStack());
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(ToolkitDialogs, QuitIsLeftForTheCaller)
{
    ASSERT_TRUE(Show(IDD_TEST_FIRST, IDC_TEST_QUIT));
    EXPECT_EQ("", Event());
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, message.wParam);
    EXPECT_EQ(1, CDialogsOnStack());
}

TEST_F(ToolkitDialogs, EnterPressesTheDefaultButton)
{
    ASSERT_TRUE(Show(IDD_TEST_FIRST, IDC_TEST_BACK));
    HWND field = GetDlgItem(lastDialog(), IDC_TEST_FIELD);
    ASSERT_NE(nullptr, field);
    PostMessageA(field, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(Show(IDD_TEST_FIRST, 0));
    EXPECT_EQ("CONTINUE", Event()) << "keys go through the dialog manager";
}

TEST_F(ToolkitDialogs, ClickSentFromAnotherThreadEndsTheLoop)
{
    ClickJob job = {created, lastDialog, CreateEventA(NULL, TRUE, FALSE, NULL)};
    HANDLE clicker = CreateThread(NULL, 0, ClickContinue, &job, 0, NULL);
    DWORD start = GetTickCount();
    BOOL shown = Show(IDD_TEST_FIRST, 0);
    DWORD elapsed = GetTickCount() - start;
    SetEvent(job.done);
    WaitForSingleObject(clicker, INFINITE);
    CloseHandle(clicker);
    CloseHandle(job.done);
    ASSERT_TRUE(shown);
    EXPECT_EQ("CONTINUE", Event());
    EXPECT_LT(elapsed, 3000u);
}

TEST_F(ToolkitDialogs, FailuresLeaveNothingBehind)
{
    EXPECT_FALSE(FDoDialogExt(owner, kLibrary, IDD_TEST_FIRST, "NoSuchProc", kLibrary, 0, 0));
    EXPECT_FALSE(FDoDialogExt(owner, kLibrary, 999, kProc, kLibrary, 0, 0));
    EXPECT_FALSE(FDoDialogExt(owner, "nosuchlib.dll", IDD_TEST_FIRST, kProc, kLibrary, 0, 0));
    EXPECT_FALSE(FDoDialogExt(owner, kLibrary, IDD_TEST_FIRST, kProc, "nosuchlib.dll", 0, 0));
    EXPECT_EQ(0, CDialogsOnStack());
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(0, created());
}

TEST_F(ToolkitDialogs, OverlongLibraryNameIsRefused)
{
    std::string name = std::string(MAX_PATH, 'a') + ".dll";
    EXPECT_FALSE(FDoDialogExt(owner, name.c_str(), IDD_TEST_FIRST, kProc, kLibrary, 0, 0));
    EXPECT_EQ(0, CDialogsOnStack());
}

TEST(WaitCursor, ShowAndRestore)
{
    HCURSOR arrow = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    SetCursor(arrow);
    HCURSOR previous = HShowWaitCursor();
    EXPECT_EQ(arrow, previous);
    EXPECT_EQ(LoadCursorA(NULL, (LPCSTR)IDC_WAIT), GetCursor());
    EXPECT_TRUE(FRestoreCursor(previous));
    EXPECT_EQ(arrow, GetCursor());
}

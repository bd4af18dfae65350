#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "message_box_reader.h"
#include "setuptk.h"

namespace {

std::string ReadAll(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    std::string text;
    char chunk[1024];
    DWORD got = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof(chunk), &got, NULL) && got > 0)
        text.append(chunk, got);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return text;
}

LRESULT CALLBACK PlainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeActiveWindow(void)
{
    WNDCLASSA plain = {};
    plain.lpfnWndProc = PlainWndProc;
    plain.hInstance = GetModuleHandleA(NULL);
    plain.lpszClassName = "ToolkitTestOwner";
    RegisterClassA(&plain);
    HWND window = CreateWindowExA(0, "ToolkitTestOwner", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 0, 300, 200, NULL, NULL, GetModuleHandleA(NULL), NULL);
    SetActiveWindow(window);
    return window;
}

}  // namespace

TEST(ErrorHandler, WritesOneLogLineAndAnswersTheCode)
{
    const char *path = "toolkit_errors.log";
    DeleteFileA(path);
    ASSERT_TRUE(FOpenLogFile(path, 0));
    EXPECT_EQ(104, EercErrorHandler(104, 1, "DeleteAllSubKeys:open", NULL, NULL));
    EXPECT_EQ(7, EercErrorHandler(7, 0, "first", "", "third"));
    FCloseLogFile();
    std::string text = ReadAll(path);
    std::regex expected(
        "\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}  Setup error 104: DeleteAllSubKeys:open\r\n"
        "\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}  Setup error 7: first; third\r\n");
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
    DeleteFileA(path);
}

TEST(ErrorHandler, WithoutALogShowsNothingAndAnswersTheCode)
{
    ASSERT_FALSE(FLogFileOpen());
    // A box here would block the test until its time-out.
    EXPECT_EQ(104, EercErrorHandler(104, 1, "DeleteAllSubKeys", NULL, NULL));
    EXPECT_EQ(104, EercErrorHandler(104, 1, NULL, NULL, NULL));
}

TEST(MessageBox, ShowsTextAndCaptionOverTheActiveWindow)
{
    HWND owner = MakeActiveWindow();
    ASSERT_EQ(owner, GetActiveWindow());
    MessageBoxReader reader(IDOK);
    int answer = DoMsgBox("Buffer Overflow", "MS-Setup Error", MB_ICONHAND);
    MessageBoxSeen seen = reader.Result();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ("Buffer Overflow", seen.text);
    EXPECT_EQ("MS-Setup Error", seen.caption);
    EXPECT_EQ(owner, seen.owner);
    EXPECT_EQ(IDOK, answer);
    DestroyWindow(owner);
}


#include <gtest/gtest.h>

#include <string>

#include "message_box_reader.h"
#include "setuptk.h"

namespace {

class Frame : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(1, InitializeFrame("")); }
    void TearDown() override { TerminateFrame(); }
};

// The colour the frame's background erases a pixel to.
COLORREF ErasedColor(HWND frame)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 8;
    info.bmiHeader.biHeight = 8;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HDC memory = CreateCompatibleDC(NULL);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    PatBlt(memory, 0, 0, 8, 8, WHITENESS);
    SendMessageA(frame, WM_ERASEBKGND, (WPARAM)memory, 0);
    COLORREF color = GetPixel(memory, 2, 2);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return color;
}

}  // namespace

TEST_F(Frame, IsAHiddenFullScreenWindow)
{
    HWND frame = HwndFrame();
    ASSERT_TRUE(IsWindow(frame));
    EXPECT_FALSE(IsWindowVisible(frame)) << "the program shows the frame itself";
    LONG_PTR style = GetWindowLongPtrA(frame, GWL_STYLE);
    EXPECT_EQ((LONG_PTR)WS_OVERLAPPEDWINDOW, style & WS_OVERLAPPEDWINDOW);
    RECT box;
    GetWindowRect(frame, &box);
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), box.right - box.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), box.bottom - box.top);
}

TEST_F(Frame, InstanceIsTheProcess)
{
    EXPECT_EQ(GetModuleHandleA(NULL), HinstFrame());
}

TEST_F(Frame, BackgroundIsDarkBlue)
{
    EXPECT_EQ(RGB(0, 0, 128), ErasedColor(HwndFrame()));
}

TEST_F(Frame, StrayCloseDoesNotDestroyIt)
{
    SendMessageA(HwndFrame(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(HwndFrame()));
}

TEST(FrameLifetime, TerminateTwiceAndStartAgain)
{
    ASSERT_EQ(1, InitializeFrame(""));
    HWND first = HwndFrame();
    TerminateFrame();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(NULL, HwndFrame());
    TerminateFrame();
    EXPECT_EQ(NULL, HwndFrame());

    ASSERT_EQ(1, InitializeFrame("")) << "the window class must be registered again";
    EXPECT_TRUE(IsWindow(HwndFrame()));
    TerminateFrame();
}

TEST_F(Frame, AboutCommandShowsTitleAndText)
{
    ASSERT_TRUE(FSetAbout("Agent Setup", "Version 2.0\nAll rights reserved."));
    MessageBoxReader reader(IDOK);
    SendMessageA(HwndFrame(), WM_COMMAND, 0x7000, 0);
    MessageBoxSeen seen = reader.Result();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ("Agent Setup", seen.caption);
    EXPECT_EQ("Version 2.0\nAll rights reserved.", seen.text);
    EXPECT_EQ(HwndFrame(), seen.owner);
}

TEST_F(Frame, OverlongAboutTitleIsCut)
{
    std::string title(300, 'T');
    ASSERT_TRUE(FSetAbout(title.c_str(), "text"));
    MessageBoxReader reader(IDOK);
    SendMessageA(HwndFrame(), WM_COMMAND, 0x7000, 0);
    MessageBoxSeen seen = reader.Result();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(std::string(255, 'T'), seen.caption);
}

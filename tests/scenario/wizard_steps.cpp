#include <gtest/gtest.h>

#include "scenario/wizard_steps.h"

#include "resources/resource_ids.h"
#include "scenario/scenario_support.h"

namespace wizard {

Page PageOf(HWND dialog)
{
    if (robot::IsMessageBox(dialog))
        return Unknown;
    if (GetDlgItem(dialog, IDC_INSTALL_CHOICE))
        return Welcome;
    if (GetDlgItem(dialog, IDC_LICENSE_ACCEPT))
        return License;
    if (GetDlgItem(dialog, IDC_DEST_DIR))
        return Destination;
    if (GetDlgItem(dialog, IDC_SQL_LOGIN))
        return Account;
    if (GetDlgItem(dialog, IDC_NEXT) && GetDlgItem(dialog, IDC_BACK))
        return Confirm;
    return Unknown;
}

HWND WaitForPage(const robot::SetupRun &run, Page page)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < StepTimeoutMs) {
        for (HWND window : robot::ProcessWindows(run.process.dwProcessId))
            if (robot::ClassName(window) == "#32770" && IsWindowEnabled(window) && PageOf(window) == page)
                return window;
        if (WaitForSingleObject(run.process.hProcess, 50) == WAIT_OBJECT_0)
            return NULL;
    }
    return NULL;
}

static ::testing::AssertionResult BoxSays(HWND box, const std::string &text)
{
    if (!box)
        return ::testing::AssertionFailure() << "no message box came up; expected \"" << text << "\"";
    std::string shown = robot::MessageBoxText(box);
    if (shown != text)
        return ::testing::AssertionFailure() << "box says \"" << shown << "\", expected \"" << text << "\"";
    if (robot::WindowText(box) != scenario::LoadText(IDS_BOX_TITLE))
        return ::testing::AssertionFailure() << "box titled \"" << robot::WindowText(box) << "\"";
    return ::testing::AssertionSuccess();
}

// Waits until the box has gone, so that the next step does not find it.
static void WaitUntilGone(HWND box)
{
    for (int i = 0; i < 200 && IsWindow(box); i++)
        Sleep(25);
}

::testing::AssertionResult AnswerBox(const robot::SetupRun &run, const std::string &text, int button)
{
    HWND box = robot::WaitForMessageBox(run, StepTimeoutMs);
    ::testing::AssertionResult says = BoxSays(box, text);
    if (!says)
        return says;
    if (!robot::AnswerMessageBox(box, button))
        return ::testing::AssertionFailure() << "the box has no button " << button;
    WaitUntilGone(box);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult AnswerBoxByKey(const robot::SetupRun &run, const std::string &text, WORD key)
{
    HWND box = robot::WaitForMessageBox(run, StepTimeoutMs);
    ::testing::AssertionResult says = BoxSays(box, text);
    if (!says)
        return says;
    ::testing::AssertionResult pressed = Key(box, key);
    if (!pressed)
        return pressed;
    WaitUntilGone(box);
    return ::testing::AssertionSuccess();
}

std::string BoxText(const robot::SetupRun &run)
{
    HWND box = robot::WaitForMessageBox(run, StepTimeoutMs);
    return box ? robot::MessageBoxText(box) : std::string();
}

::testing::AssertionResult Click(HWND dialog, int id)
{
    if (robot::PressButton(dialog, id))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "control " << id << " cannot be clicked: missing, hidden or disabled";
}

::testing::AssertionResult Key(HWND window, WORD key, WORD modifier)
{
    if (robot::PressKey(window, key, modifier))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "key " << key << " (modifier " << modifier << ") not sent to \""
                                         << robot::WindowText(window) << "\": " << robot::DescribeInput(window);
}

::testing::AssertionResult Type(HWND dialog, int id, const std::string &text)
{
    if (robot::TypeIntoField(dialog, id, text))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "typing \"" << text << "\" into field " << id << " gave \""
                                         << robot::ControlText(dialog, id) << "\"; "
                                         << robot::DescribeInput(dialog);
}

::testing::AssertionResult FocusIs(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (control && robot::WaitUntilInFront(dialog, FocusTimeoutMs) && robot::WaitForFocus(control, FocusTimeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected the focus on control " << id << " of \""
                                         << robot::WindowText(dialog) << "\"; " << robot::DescribeInput(dialog);
}

static ::testing::AssertionResult Walk(HWND dialog, const std::vector<int> &ids, WORD modifier)
{
    for (int id : ids) {
        ::testing::AssertionResult step = Key(dialog, VK_TAB, modifier);
        if (step)
            step = FocusIs(dialog, id);
        if (!step)
            return step << (modifier ? " (Shift+Tab)" : " (Tab)");
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TabCycleIs(HWND dialog, const std::vector<int> &ids)
{
    if (ids.empty())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult forward = Walk(dialog, ids, 0);
    if (!forward)
        return forward;
    // Back from the last one: the same controls in the other order.
    std::vector<int> backward(ids.rbegin() + 1, ids.rend());
    backward.push_back(ids.back());
    return Walk(dialog, backward, VK_SHIFT);
}

}  // namespace wizard

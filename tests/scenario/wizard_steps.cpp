#include <gtest/gtest.h>

#include "scenario/wizard_steps.h"

#include "resources/resource_ids.h"

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

::testing::AssertionResult AnswerBox(const robot::SetupRun &run, const std::string &text, int button)
{
    HWND box = robot::WaitForMessageBox(run, StepTimeoutMs);
    if (!box)
        return ::testing::AssertionFailure() << "no message box came up; expected \"" << text << "\"";
    std::string shown = robot::MessageBoxText(box);
    if (shown != text)
        return ::testing::AssertionFailure() << "box says \"" << shown << "\", expected \"" << text << "\"";
    robot::AnswerMessageBox(box, button);
    // Wait until the box has gone, so that the next step does not find it.
    for (int i = 0; i < 200 && IsWindow(box); i++)
        Sleep(25);
    return ::testing::AssertionSuccess();
}

std::string BoxText(const robot::SetupRun &run)
{
    HWND box = robot::WaitForMessageBox(run, StepTimeoutMs);
    return box ? robot::MessageBoxText(box) : std::string();
}

}  // namespace wizard

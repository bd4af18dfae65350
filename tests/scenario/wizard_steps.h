/* Steps of the wizard as a person takes them, for the wizard scenarios. */
#ifndef WIZARD_STEPS_H
#define WIZARD_STEPS_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "robot/robot.h"

namespace wizard {

const DWORD StepTimeoutMs = 60000;
const DWORD FocusTimeoutMs = 5000;

enum Page { Welcome, License, Destination, Account, Confirm, Unknown };

Page PageOf(HWND dialog);
// Waits for a page (not a message box) of the run and answers it; NULL on time-out.
HWND WaitForPage(const robot::SetupRun &run, Page page);
// Waits for a message box, expects its text and clicks the button.
::testing::AssertionResult AnswerBox(const robot::SetupRun &run, const std::string &text, int button);
// The same with a key (Y, N, Enter, ...), once the box is in front.
::testing::AssertionResult AnswerBoxByKey(const robot::SetupRun &run, const std::string &text, WORD key);
std::string BoxText(const robot::SetupRun &run);

// A person's hands, each step checked.
::testing::AssertionResult Click(HWND dialog, int id);
::testing::AssertionResult Key(HWND window, WORD key, WORD modifier = 0);
::testing::AssertionResult Type(HWND dialog, int id, const std::string &text);
// The page is in front and the control has the focus.
::testing::AssertionResult FocusIs(HWND dialog, int id);
// Tab from the control with the focus walks these controls in turn and
// comes back; Shift+Tab walks them backwards.
::testing::AssertionResult TabCycleIs(HWND dialog, const std::vector<int> &ids);

}  // namespace wizard

#endif

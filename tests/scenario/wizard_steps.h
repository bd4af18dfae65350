/* Steps of the wizard as a person takes them, for the wizard scenarios. */
#ifndef WIZARD_STEPS_H
#define WIZARD_STEPS_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "robot/robot.h"

namespace wizard {

const DWORD StepTimeoutMs = 60000;

enum Page { Welcome, License, Destination, Account, Confirm, Unknown };

Page PageOf(HWND dialog);
// Waits for a page (not a message box) of the run and answers it; NULL on time-out.
HWND WaitForPage(const robot::SetupRun &run, Page page);
// Waits for a message box, expects its text and presses the button.
::testing::AssertionResult AnswerBox(const robot::SetupRun &run, const std::string &text, int button);
std::string BoxText(const robot::SetupRun &run);

}  // namespace wizard

#endif

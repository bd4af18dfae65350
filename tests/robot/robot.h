/*
 * Plays the user of setup.exe in scenario tests: starts the program in a
 * distribution directory, finds its windows, reads and answers message
 * boxes, clicks buttons, types into fields and presses keys as a person
 * does, and waits for the exit. It never sets a control's state or text.
 */
#ifndef ROBOT_H
#define ROBOT_H

#include <windows.h>

#include <string>
#include <vector>

namespace robot {

struct SetupRun {
    PROCESS_INFORMATION process = {};
    bool started = false;
};

// The distribution directory of the build, as a Windows path.
std::string DistDirectory();

// Starts "<directory>\setup.exe <arguments>" with that directory current;
// with an output file, its standard output and error go there.
bool StartSetup(SetupRun &run, const std::string &directory, const std::string &arguments,
                const std::string &outputFile = "");
// Waits for the exit; answers the exit code, or STILL_ACTIVE on time-out.
DWORD WaitForExit(SetupRun &run, DWORD timeoutMs);
// Ends a run that is still going (after a failed check) and closes handles.
void Finish(SetupRun &run);

// Visible top-level windows of the process.
std::vector<HWND> ProcessWindows(DWORD processId);
// Waits for a visible top-level dialog of the process; with a template text
// the dialog must contain a child whose text holds it. NULL on time-out.
HWND WaitForDialog(const SetupRun &run, DWORD timeoutMs, const std::string &containing = "");
// A message box: a dialog with the static text control 0xFFFF.
HWND WaitForMessageBox(const SetupRun &run, DWORD timeoutMs);
bool IsMessageBox(HWND window);
// Waits for a dialog of the process holding a control with this id.
HWND WaitForDialogWithControl(const SetupRun &run, int controlId, DWORD timeoutMs);

std::string WindowText(HWND window);
std::string ClassName(HWND window);
std::string MessageBoxText(HWND box);
std::string ControlText(HWND dialog, int id);

// Clicks a button, a radio button or a check box (BM_CLICK, posted so that
// a button that runs a long job does not hold the robot); false when the
// dialog has no such control or a person could not click it (hidden or
// disabled).
bool PressButton(HWND dialog, int id);
// Answers a message box by clicking the button id (IDOK, IDYES, IDNO, ...).
bool AnswerMessageBox(HWND box, int id);

// Real input (SendInput): keys go to the window in front, as a person's
// do. Each call first waits until `window` is in front and enabled, and
// sends nothing when it does not come there.
bool IsInFront(HWND window);
bool WaitUntilInFront(HWND window, DWORD timeoutMs);
// A key, with a modifier held (VK_MENU for a mnemonic, VK_SHIFT, ...).
bool PressKey(HWND window, WORD key, WORD modifier = 0);
// Types characters of the ANSI code page at the keyboard focus.
bool TypeText(HWND window, const std::string &text);
// A click of the left mouse button in the middle of a control.
bool ClickControl(HWND window, int id);
// Into a field: clicks it, selects what it holds (Home, Shift+End), types
// the text over it and waits until the field shows it.
bool TypeIntoField(HWND dialog, int id, const std::string &text);
// The window that has the keyboard focus on the thread of `window`, NULL
// when none has.
HWND FocusOf(HWND window);
// Waits until the control has the focus.
bool WaitForFocus(HWND control, DWORD timeoutMs);
// What is in front and what has the focus, for a failure message.
std::string DescribeInput(HWND window);

// Files and registry helpers for checking the machine afterwards.
std::string ReadWholeFile(const std::string &path);
// A file of that many bytes with nothing written: long to copy, quick to make.
bool MakeSparseFile(const std::string &path, long long bytes);
bool FileExists(const std::string &path);
std::vector<std::string> SplitLines(const std::string &text);
void Sleep(DWORD ms);

}  // namespace robot

#endif

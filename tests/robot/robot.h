/*
 * Plays the user of setup.exe in scenario tests: starts the program in a
 * distribution directory, finds its windows, reads and answers message
 * boxes, presses buttons and types into fields, and waits for the exit.
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

// Starts "<directory>\setup.exe <arguments>" with that directory current.
bool StartSetup(SetupRun &run, const std::string &directory, const std::string &arguments);
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

// Presses a button of a dialog (BM_CLICK); false when it has no such button.
bool PressButton(HWND dialog, int id);
// Types a text into a field (WM_SETTEXT) and marks it changed.
bool SetFieldText(HWND dialog, int id, const std::string &text);
// Answers a message box with the button id (IDOK, IDYES, IDNO, ...).
bool AnswerMessageBox(HWND box, int id);

// Files and registry helpers for checking the machine afterwards.
std::string ReadWholeFile(const std::string &path);
bool FileExists(const std::string &path);
std::vector<std::string> SplitLines(const std::string &text);
void Sleep(DWORD ms);

}  // namespace robot

#endif

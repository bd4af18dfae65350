#include "robot/robot.h"

#include <stdio.h>
#include <string.h>

namespace robot {

std::string DistDirectory()
{
    return SETUP_DIST_DIR;
}

// The test programs find the distribution's libraries on the search path;
// setup must find them in its own directory, as on a real machine.
static std::string WithoutDistribution(const std::string &path)
{
    std::string dist = DistDirectory(), kept;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(';', start);
        if (end == std::string::npos)
            end = path.size();
        std::string entry = path.substr(start, end - start);
        if (!entry.empty() && lstrcmpiA(entry.c_str(), dist.c_str()) != 0)
            kept += (kept.empty() ? "" : ";") + entry;
        start = end + 1;
    }
    return kept;
}

static std::vector<char> SetupEnvironment()
{
    std::vector<char> block;
    LPCH strings = GetEnvironmentStringsA();
    for (LPCH entry = strings; *entry; entry += lstrlenA(entry) + 1) {
        std::string variable = entry;
        if (_strnicmp(variable.c_str(), "WINEPATH=", 9) == 0)
            continue;
        if (_strnicmp(variable.c_str(), "PATH=", 5) == 0)
            variable = "PATH=" + WithoutDistribution(variable.substr(5));
        block.insert(block.end(), variable.begin(), variable.end());
        block.push_back('\0');
    }
    FreeEnvironmentStringsA(strings);
    block.push_back('\0');
    return block;
}

bool StartSetup(SetupRun &run, const std::string &directory, const std::string &arguments)
{
    std::string commandLine = "\"" + directory + "\\setup.exe\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::vector<char> environment = SetupEnvironment();
    run.started = CreateProcessA(NULL, mutableLine.data(), NULL, NULL, FALSE, 0, environment.data(),
                                 directory.c_str(), &startup, &run.process) != FALSE;
    return run.started;
}

DWORD WaitForExit(SetupRun &run, DWORD timeoutMs)
{
    if (!run.started)
        return STILL_ACTIVE;
    if (WaitForSingleObject(run.process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(run.process.hProcess, &code);
    return code;
}

void Finish(SetupRun &run)
{
    if (!run.started)
        return;
    if (WaitForSingleObject(run.process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(run.process.hProcess, 99);
        WaitForSingleObject(run.process.hProcess, 5000);
    }
    CloseHandle(run.process.hThread);
    CloseHandle(run.process.hProcess);
    run.started = false;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

static BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    WindowSearch *search = reinterpret_cast<WindowSearch *>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window))
        search->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> ProcessWindows(DWORD processId)
{
    WindowSearch search = {processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

std::string WindowText(HWND window)
{
    char text[4096] = "";
    // WM_GETTEXT reaches controls of another process, unlike GetWindowText.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, NULL);
    text[sizeof(text) - 1] = '\0';
    return text;
}

std::string ClassName(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

bool IsMessageBox(HWND window)
{
    return ClassName(window) == "#32770" && GetDlgItem(window, 0xFFFF) != NULL;
}

static bool HasChildText(HWND dialog, const std::string &text)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowText(child).find(text) != std::string::npos)
            return true;
    return false;
}

template <typename Match>
static HWND WaitForWindow(const SetupRun &run, DWORD timeoutMs, Match match)
{
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND window : ProcessWindows(run.process.dwProcessId))
            if (match(window))
                return window;
        if (GetTickCount() - start >= timeoutMs)
            return NULL;
        if (WaitForSingleObject(run.process.hProcess, 50) == WAIT_OBJECT_0) {
            // One last look: the window may have gone with the process.
            return NULL;
        }
    }
}

HWND WaitForDialog(const SetupRun &run, DWORD timeoutMs, const std::string &containing)
{
    return WaitForWindow(run, timeoutMs, [&](HWND window) {
        return ClassName(window) == "#32770" && (containing.empty() || HasChildText(window, containing));
    });
}

HWND WaitForMessageBox(const SetupRun &run, DWORD timeoutMs)
{
    return WaitForWindow(run, timeoutMs, [](HWND window) { return IsMessageBox(window); });
}

HWND WaitForDialogWithControl(const SetupRun &run, int controlId, DWORD timeoutMs)
{
    return WaitForWindow(run, timeoutMs, [&](HWND window) {
        return ClassName(window) == "#32770" && GetDlgItem(window, controlId) != NULL;
    });
}

std::string MessageBoxText(HWND box)
{
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? WindowText(text) : std::string();
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::string();
}

bool PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    if (!button)
        return false;
    // Posted, so that a button whose handler runs a long modal job does not
    // hold the robot.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

bool SetFieldText(HWND dialog, int id, const std::string &text)
{
    HWND field = GetDlgItem(dialog, id);
    if (!field)
        return false;
    SendMessageTimeoutA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, NULL);
    SendMessageTimeoutA(field, EM_SETMODIFY, TRUE, 0, SMTO_ABORTIFHUNG, 5000, NULL);
    return true;
}

bool AnswerMessageBox(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    if (!button)
        return false;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

std::string ReadWholeFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string content;
    char buffer[65536];
    DWORD got;
    while (ReadFile(file, buffer, sizeof(buffer), &got, NULL) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void Sleep(DWORD ms)
{
    ::Sleep(ms);
}

}  // namespace robot

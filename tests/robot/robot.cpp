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

bool StartSetup(SetupRun &run, const std::string &directory, const std::string &arguments,
                const std::string &outputFile)
{
    std::string commandLine = "\"" + directory + "\\setup.exe\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!outputFile.empty()) {
        SECURITY_ATTRIBUTES inherited = {sizeof(inherited), NULL, TRUE};
        output = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, NULL);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    std::vector<char> environment = SetupEnvironment();
    run.started = CreateProcessA(NULL, mutableLine.data(), NULL, NULL, output != INVALID_HANDLE_VALUE, 0,
                                 environment.data(), directory.c_str(), &startup, &run.process) != FALSE;
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
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

static bool CanBeClicked(HWND control)
{
    return control && IsWindowVisible(control) && IsWindowEnabled(control);
}

bool PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    if (!CanBeClicked(button))
        return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

bool AnswerMessageBox(HWND box, int id)
{
    return PressButton(box, id);
}

// ---- real input

const DWORD InFrontTimeoutMs = 5000;
const DWORD FieldTimeoutMs = 5000;

bool IsInFront(HWND window)
{
    return window && GetForegroundWindow() == window && IsWindowEnabled(window);
}

bool WaitUntilInFront(HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!IsInFront(window)) {
        if (!IsWindow(window) || GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
}

static INPUT KeyInput(WORD key, WORD character, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = character;
    input.ki.dwFlags = (character ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

static bool Send(std::vector<INPUT> &inputs)
{
    return SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool PressKey(HWND window, WORD key, WORD modifier)
{
    if (!WaitUntilInFront(window, InFrontTimeoutMs))
        return false;
    std::vector<INPUT> inputs;
    if (modifier)
        inputs.push_back(KeyInput(modifier, 0, false));
    inputs.push_back(KeyInput(key, 0, false));
    inputs.push_back(KeyInput(key, 0, true));
    if (modifier)
        inputs.push_back(KeyInput(modifier, 0, true));
    return Send(inputs);
}

bool TypeText(HWND window, const std::string &text)
{
    if (text.empty())
        return true;
    std::wstring characters(text.size(), L'\0');
    int count = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &characters[0],
                                    (int)characters.size());
    if (count <= 0 || !WaitUntilInFront(window, InFrontTimeoutMs))
        return false;
    std::vector<INPUT> inputs;
    for (int i = 0; i < count; i++) {
        inputs.push_back(KeyInput(0, characters[i], false));
        inputs.push_back(KeyInput(0, characters[i], true));
    }
    return Send(inputs);
}

// Two clicks on one spot within the double-click time are a double click,
// which an edit field takes for "select a word" without taking the focus:
// a second, separate click waits that long, as a person's does.
static void AwaitSeparateClick(POINT spot)
{
    static POINT lastSpot = {-1, -1};
    static DWORD lastTime = 0;
    DWORD gap = GetDoubleClickTime() + 50, since = GetTickCount() - lastTime;
    if (spot.x == lastSpot.x && spot.y == lastSpot.y && since < gap)
        ::Sleep(gap - since);
    lastSpot = spot;
    lastTime = GetTickCount();
}

bool ClickControl(HWND window, int id)
{
    HWND control = GetDlgItem(window, id);
    if (!CanBeClicked(control) || !WaitUntilInFront(window, InFrontTimeoutMs))
        return false;
    RECT box;
    GetWindowRect(control, &box);
    POINT spot = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    AwaitSeparateClick(spot);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<INPUT> inputs(3);
    for (INPUT &input : inputs)
        input.type = INPUT_MOUSE;
    // Absolute positions run from 0 to 65535 over the screen.
    inputs[0].mi.dx = spot.x * 65535 / (width - 1);
    inputs[0].mi.dy = spot.y * 65535 / (height - 1);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return Send(inputs);
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info))
        return NULL;
    return info.hwndFocus;
}

bool WaitForFocus(HWND control, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (FocusOf(control) != control) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
}

bool TypeIntoField(HWND dialog, int id, const std::string &text)
{
    HWND field = GetDlgItem(dialog, id);
    if (!ClickControl(dialog, id) || !WaitForFocus(field, FieldTimeoutMs))
        return false;
    if (!PressKey(dialog, VK_HOME) || !PressKey(dialog, VK_END, VK_SHIFT))
        return false;
    if (!(text.empty() ? PressKey(dialog, VK_DELETE) : TypeText(dialog, text)))
        return false;
    DWORD start = GetTickCount();
    while (WindowText(field) != text) {
        if (GetTickCount() - start >= FieldTimeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
}

std::string DescribeInput(HWND window)
{
    HWND front = GetForegroundWindow(), focus = FocusOf(window);
    char text[512];
    snprintf(text, sizeof(text), "in front: %p \"%s\" (%s); focus: %p %s id %d \"%s\"", (void *)front,
             WindowText(front).substr(0, 60).c_str(), front && IsWindowEnabled(front) ? "enabled" : "disabled",
             (void *)focus, ClassName(focus).c_str(), focus ? GetDlgCtrlID(focus) : 0,
             WindowText(focus).substr(0, 60).c_str());
    return text;
}

bool MakeSparseFile(const std::string &path, long long bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    size.QuadPart = bytes;
    bool made = SetFilePointerEx(file, size, NULL, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return made;
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

// Plays an administrator through the interactive install of setup.exe, then
// starts it again to choose the removal, and asks the script that started
// it for a picture at each step.
//
//   driver.exe DIST_DIRECTORY
//
// Lines on standard output:
//   SHOT <name> <left> <top> <width> <height>   take that part of the screen
//   DONE <exit code of setup>                   the install has ended
//   FAIL <what went wrong>                      the install could not be played
// After a SHOT line the driver waits for one line on standard input, so the
// screen does not change while the picture is taken.
//
// The copy is over in a few milliseconds, too fast to catch its gauge; while
// it runs, setup's thread is let go for short slices only, and it is held
// still while the gauge is pictured.
#include <windows.h>
#include <stdarg.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

#include "robot/robot.h"

namespace {

// Control identifiers of the pages (HFNTSET.DLL) and of the copy gauge
// (MSINSSTF.DLL).
const int kBack = 1043;
const int kNext = 1044;
const int kInstallChoice = 1045;
const int kRemoveChoice = 1029;
const int kDestination = 1027;
const int kRequiredSpace = 1020;
const int kSqlLogin = 1040;
const int kSqlPassword = 1041;
const int kSqlConfirm = 1042;
const int kLicenseAccept = 4802;
const int kGaugeFile = 102;
const int kGaugeBar = 103;
const int kGaugeCount = 104;
const int kMessageText = 0xFFFF;

const DWORD kStepTimeoutMs = 60000;
const DWORD kPaintDelayMs = 700;

enum Page { Welcome, License, Destination, Account, Confirm, Gauge, MessageBox, Other };

PROCESS_INFORMATION g_setup = {};
HANDLE g_uiThread = NULL;
bool g_held = false;

void Say(const char *format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof(line) - 1, format, arguments);
    va_end(arguments);
    line[sizeof(line) - 2] = '\0';
    strcat(line, "\n");
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, (DWORD)strlen(line), &written, NULL);
}

// Waits for the line that says the picture has been taken.
void AwaitAnswer()
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char c;
    DWORD got;
    while (ReadFile(input, &c, 1, &got, NULL) && got == 1 && c != '\n') {
    }
}

std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// Reads a control's text without a message: setup's thread may be held.
std::string TextOf(HWND dialog, int id)
{
    char text[1024] = "";
    HWND control = GetDlgItem(dialog, id);
    if (control)
        GetWindowTextA(control, text, sizeof(text));
    text[sizeof(text) - 1] = '\0';
    return text;
}

Page PageOf(HWND window)
{
    if (ClassOf(window) != "#32770")
        return Other;
    if (GetDlgItem(window, kMessageText))
        return MessageBox;
    if (GetDlgItem(window, kGaugeBar))
        return Gauge;
    if (GetDlgItem(window, kInstallChoice))
        return Welcome;
    if (GetDlgItem(window, kLicenseAccept))
        return License;
    if (GetDlgItem(window, kDestination))
        return Destination;
    if (GetDlgItem(window, kSqlLogin))
        return Account;
    if (GetDlgItem(window, kNext) && GetDlgItem(window, kBack))
        return Confirm;
    return Other;
}

struct Search {
    Page page;
    HWND found;
};

BOOL CALLBACK LookAtWindow(HWND window, LPARAM context)
{
    Search *search = reinterpret_cast<Search *>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != g_setup.dwProcessId || !IsWindowVisible(window))
        return TRUE;
    // A page under a message box is disabled; only the one in front counts.
    if (search->page != Gauge && !IsWindowEnabled(window))
        return TRUE;
    if (PageOf(window) != search->page)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindPage(Page page)
{
    Search search = {page, NULL};
    EnumWindows(LookAtWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool SetupEnded()
{
    return WaitForSingleObject(g_setup.hProcess, 0) == WAIT_OBJECT_0;
}

HWND WaitForPage(Page page, const char *what)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kStepTimeoutMs) {
        HWND window = FindPage(page);
        if (window)
            return window;
        if (SetupEnded()) {
            Say("FAIL setup ended before the %s came up", what);
            return NULL;
        }
        Sleep(50);
    }
    Say("FAIL the %s did not come up", what);
    return NULL;
}

void Picture(const char *name, HWND window)
{
    RECT box;
    GetWindowRect(window, &box);
    Say("SHOT %s %ld %ld %ld %ld", name, box.left, box.top, box.right - box.left, box.bottom - box.top);
    AwaitAnswer();
}

void PictureScreen(const char *name)
{
    Say("SHOT %s 0 0 %d %d", name, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    AwaitAnswer();
}

// Clicks and keys as an administrator's, through the scenario tests'
// robot, so that the focus is where a person would leave it.
void Press(HWND dialog, int id)
{
    if (!robot::PressButton(dialog, id))
        Say("FAIL control %d of \"%s\" cannot be clicked", id, robot::WindowText(dialog).c_str());
}

bool Type(HWND dialog, int id, const char *text)
{
    if (robot::TypeIntoField(dialog, id, text))
        return true;
    Say("FAIL typing into control %d: %s", id, robot::DescribeInput(dialog).c_str());
    return false;
}

// Lets a page paint and pictures it.
void PicturePage(const char *name, HWND page)
{
    Sleep(kPaintDelayMs);
    Picture(name, page);
}

// Waits for a page and pictures it.
HWND ShowPage(Page page, const char *what, const char *name)
{
    HWND window = WaitForPage(page, what);
    if (window)
        PicturePage(name, window);
    return window;
}

void Hold()
{
    if (!g_held && g_uiThread) {
        SuspendThread(g_uiThread);
        g_held = true;
    }
}

void Release()
{
    if (g_held) {
        ResumeThread(g_uiThread);
        g_held = false;
    }
}

// Lets setup's thread run for a slice, then holds it again.
void Slice(DWORD runMs)
{
    Release();
    Sleep(runMs);
    Hold();
}

// Lets setup's thread run for a tenth of a millisecond: the copy writes a
// file of the distribution in less than one.
void ShortSlice()
{
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    Release();
    QueryPerformanceCounter(&start);
    do
        QueryPerformanceCounter(&now);
    while ((now.QuadPart - start.QuadPart) * 10000 < frequency.QuadPart);
    Hold();
}

// The gauge's count line: "File 3 of 12".
bool ReadCount(const std::string &count, int *number, int *total)
{
    return sscanf(count.c_str(), "File %d of %d", number, total) == 2;
}

// The number of the file (from 1) at whose start about a third of the bytes
// listed in setup.inf are copied; the gauge is pictured there. The sizes
// follow the file names in the section [Files].
int FileToPicture(const std::string &directory)
{
    std::string path = directory + "\\setup.inf";
    FILE *inf = fopen(path.c_str(), "r");
    if (!inf)
        return 0;
    std::vector<unsigned long long> sizes;
    bool inFiles = false;
    char line[600];
    while (fgets(line, sizeof(line), inf)) {
        char *text = line + strspn(line, " \t");
        if (*text == '[') {
            inFiles = _strnicmp(text, "[Files]", 7) == 0;
            continue;
        }
        char *comma = strchr(text, ',');
        if (!inFiles || *text == ';' || !comma)
            continue;
        sizes.push_back(strtoull(comma + 1, NULL, 10));
    }
    fclose(inf);
    unsigned long long total = 0, before = 0;
    for (unsigned long long size : sizes)
        total += size;
    for (size_t i = 0; i < sizes.size(); i++) {
        if (before * 3 >= total)
            return (int)i + 1;
        before += sizes[i];
    }
    return 0;
}

BOOL CALLBACK FindUnpainted(HWND control, LPARAM found)
{
    if (GetUpdateRect(control, NULL, FALSE))
        *reinterpret_cast<bool *>(found) = true;
    return TRUE;
}

bool AwaitsPainting(HWND dialog)
{
    bool found = GetUpdateRect(dialog, NULL, FALSE) != FALSE;
    EnumChildWindows(dialog, FindUnpainted, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The copy, in slow motion: the gauge is pictured about a third of the way.
bool PictureCopy(int wantedFile)
{
    DWORD start = GetTickCount();
    HWND gauge = NULL;
    while (!gauge) {
        Slice(2);
        gauge = FindPage(Gauge);
        if (!gauge && (FindPage(MessageBox) || SetupEnded() || GetTickCount() - start > kStepTimeoutMs)) {
            Release();
            Say("FAIL the copy gauge did not come up");
            return false;
        }
        Sleep(20);
    }
    for (;;) {
        // A message waiting makes the copy show its next file at once,
        // rather than after its usual pause.
        PostMessageA(gauge, WM_NULL, 0, 0);
        ShortSlice();
        if (!IsWindow(gauge)) {
            Release();
            Say("FAIL the copy was over before its file %d was seen", wantedFile);
            return false;
        }
        int number = 0, total = 0;
        if (ReadCount(TextOf(gauge, kGaugeCount), &number, &total) && !TextOf(gauge, kGaugeFile).empty()) {
            int wanted = wantedFile > 0 && wantedFile <= total ? wantedFile : total / 2 + 1;
            if (number >= wanted)
                break;
        }
        Sleep(5);
    }
    // More slices, until what was just shown is painted.
    for (int i = 0; i < 200 && IsWindow(gauge) && AwaitsPainting(gauge); i++) {
        ShortSlice();
        Sleep(5);
    }
    Slice(1);
    if (!IsWindow(gauge)) {
        Release();
        Say("FAIL the copy was over before its gauge was pictured");
        return false;
    }
    Picture("07-copying", gauge);
    Release();
    return true;
}

bool StartSetup(const char *directory)
{
    std::string commandLine = std::string("\"") + directory + "\\setup.exe\"";
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    // Setup traces the frame's messages on standard output: keep them out
    // of the driver's conversation with the script.
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), NULL, TRUE};
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inheritable, OPEN_EXISTING, 0, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = nothing;
    startup.hStdError = nothing;
    BOOL started = CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, 0, NULL, directory, &startup, &g_setup);
    CloseHandle(nothing);
    if (!started) {
        Say("FAIL setup.exe in %s cannot be started (error %lu)", directory, GetLastError());
        return false;
    }
    return true;
}

// Takes the thread that owns setup's windows, which the copy runs on.
void FindUiThread(HWND window)
{
    DWORD threadId = GetWindowThreadProcessId(window, NULL);
    if (threadId == g_setup.dwThreadId)
        g_uiThread = g_setup.hThread;
    else
        g_uiThread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
}

HWND AnswerBox(const char *name, int button)
{
    HWND box = WaitForPage(MessageBox, name);
    if (!box)
        return NULL;
    Sleep(kPaintDelayMs);
    Picture(name, box);
    Press(box, button);
    for (int i = 0; i < 200 && IsWindow(box); i++)
        Sleep(25);
    return box;
}

bool PlayInstall(const char *directory)
{
    HWND page = WaitForPage(Welcome, "welcome page");
    if (!page)
        return false;
    FindUiThread(page);
    Sleep(kPaintDelayMs * 2);
    PictureScreen("00-frame");
    Picture("01-welcome", page);
    Press(page, kNext);

    if (!(page = ShowPage(License, "licence dialog", "02-licence")))
        return false;
    Press(page, kLicenseAccept);

    if (!(page = WaitForPage(Destination, "destination page")))
        return false;
    for (int i = 0; i < 100 && TextOf(page, kRequiredSpace).empty(); i++)
        Sleep(50);
    Sleep(kPaintDelayMs);
    Picture("03-destination", page);
    Press(page, kNext);
    if (!AnswerBox("04-create-directory", IDYES))
        return false;

    if (!(page = WaitForPage(Account, "SQL account page")))
        return false;
    if (!Type(page, kSqlLogin, "backup_agent") || !Type(page, kSqlPassword, "Agent-Pw1") ||
        !Type(page, kSqlConfirm, "Agent-Pw1"))
        return false;
    PicturePage("05-sql-account", page);
    Press(page, kNext);

    if (!(page = ShowPage(Confirm, "confirmation page", "06-confirm")))
        return false;
    Press(page, kNext);
    if (!PictureCopy(FileToPicture(directory)))
        return false;

    if (!AnswerBox("08-start-service", IDYES))
        return false;
    if (!AnswerBox("09-finished", IDOK))
        return false;
    return true;
}

// Setup again over the installed agent: the removal chosen with the Down
// key, pictured, and setup left through Escape and the exit question.
bool PlayRemovalChoice(const char *directory)
{
    CloseHandle(g_setup.hThread);
    CloseHandle(g_setup.hProcess);
    if (!StartSetup(directory))
        return false;
    HWND page = WaitForPage(Welcome, "welcome page over the installed agent");
    if (!page || !robot::PressKey(page, VK_DOWN) ||
        !robot::WaitForFocus(GetDlgItem(page, kRemoveChoice), kStepTimeoutMs)) {
        Say("FAIL the removal could not be chosen: %s", robot::DescribeInput(page).c_str());
        return false;
    }
    PicturePage("10-remove", page);
    if (!robot::PressKey(page, VK_ESCAPE))
        return false;
    HWND box = WaitForPage(MessageBox, "exit question");
    return box && robot::PressKey(box, 'Y') && WaitForSingleObject(g_setup.hProcess, kStepTimeoutMs) == WAIT_OBJECT_0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        Say("FAIL usage: driver.exe DIST_DIRECTORY");
        return 2;
    }
    // The pointer would stand in the middle of the pictures.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    if (!StartSetup(argv[1]))
        return 1;
    bool played = PlayInstall(argv[1]);
    Release();
    if (!played) {
        TerminateProcess(g_setup.hProcess, 99);
        WaitForSingleObject(g_setup.hProcess, 5000);
        return 1;
    }
    if (WaitForSingleObject(g_setup.hProcess, kStepTimeoutMs) != WAIT_OBJECT_0) {
        Say("FAIL setup did not end after the install");
        TerminateProcess(g_setup.hProcess, 99);
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(g_setup.hProcess, &code);
    if (code == 0 && !PlayRemovalChoice(argv[1])) {
        TerminateProcess(g_setup.hProcess, 99);
        return 1;
    }
    Say("DONE %lu", code);
    return code == 0 ? 0 : 1;
}

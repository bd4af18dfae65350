/*
 * The frame: a full-screen window behind every setup dialog. It is created
 * hidden with an ordinary caption; the program restyles, paints and shows it.
 */
#include "setuptk.h"

namespace {

const char kFrameClass[] = "SetupToolkitFrame";
const char kDefaultTitle[] = "Setup";
const char kDefaultAboutTitle[] = "About Setup";
const WORD kAboutCommand = 0x7000;
const COLORREF kFrameColor = RGB(0, 0, 128);

HINSTANCE g_library = NULL;
HWND g_frame = NULL;
HBRUSH g_background = NULL;
bool g_classRegistered = false;
char g_aboutTitle[256] = "";
char g_aboutText[1024] = "";

// Copies with a terminator, cutting at a character boundary of the ANSI
// code page so a double-byte character is never split.
void CopyCut(char *target, size_t size, LPCSTR source)
{
    size_t used = 0;
    if (source != NULL) {
        while (source[used] != '\0') {
            size_t step = (IsDBCSLeadByte((BYTE)source[used]) && source[used + 1] != '\0') ? 2 : 1;
            if (used + step > size - 1)
                break;
            used += step;
        }
        CopyMemory(target, source, used);
    }
    target[used] = '\0';
}

void ShowAbout(HWND frame)
{
    const char *title = g_aboutTitle[0] ? g_aboutTitle : kDefaultAboutTitle;
    MessageBoxA(frame, g_aboutText, title, MB_OK | MB_ICONINFORMATION);
}

LRESULT CALLBACK FrameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kAboutCommand) {
            ShowAbout(window);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_F1) {
            ShowAbout(window);
            return 0;
        }
        break;
    case WM_CLOSE:
        // Setup decides when the frame goes (TerminateFrame), not a stray close.
        return 0;
    case WM_NCDESTROY:
        if (window == g_frame)
            g_frame = NULL;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterFrameClass(void)
{
    if (g_classRegistered)
        return true;
    if (g_background == NULL)
        g_background = CreateSolidBrush(kFrameColor);
    WNDCLASSA frameClass;
    ZeroMemory(&frameClass, sizeof(frameClass));
    frameClass.style = CS_HREDRAW | CS_VREDRAW;
    frameClass.lpfnWndProc = FrameWndProc;
    frameClass.hInstance = g_library;
    frameClass.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    frameClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    frameClass.hbrBackground = g_background;
    frameClass.lpszClassName = kFrameClass;
    if (!RegisterClassA(&frameClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    g_classRegistered = true;
    return true;
}

void UnregisterFrameClass(void)
{
    if (g_classRegistered) {
        UnregisterClassA(kFrameClass, g_library);
        g_classRegistered = false;
    }
    if (g_background != NULL) {
        DeleteObject(g_background);
        g_background = NULL;
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_library = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" {

int WINAPI InitializeFrame(LPCSTR commandLine)
{
    if (g_frame != NULL && IsWindow(g_frame))
        return 1;
    if (!RegisterFrameClass())
        return 0;
    g_frame = CreateWindowExA(0, kFrameClass, kDefaultTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                              NULL, NULL, g_library, NULL);
    if (g_frame == NULL) {
        UnregisterFrameClass();
        return 0;
    }
    return 1;
}

HWND WINAPI HwndFrame(void)
{
    return g_frame;
}

HINSTANCE WINAPI HinstFrame(void)
{
    return GetModuleHandleA(NULL);
}

VOID WINAPI TerminateFrame(void)
{
    HWND frame = g_frame;
    g_frame = NULL;
    if (frame != NULL && IsWindow(frame))
        DestroyWindow(frame);
    UnregisterFrameClass();
}

BOOL WINAPI FSetAbout(LPCSTR title, LPCSTR text)
{
    CopyCut(g_aboutTitle, sizeof(g_aboutTitle), title);
    CopyCut(g_aboutText, sizeof(g_aboutText), text);
    return TRUE;
}

}  // extern "C"

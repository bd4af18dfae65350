/* Error reports and the toolkit's message box. */
#include "setuptk.h"

#include <string>

namespace {

void AppendPart(std::string &line, LPCSTR part, bool &first)
{
    if (part == NULL || part[0] == '\0')
        return;
    if (!first)
        line += "; ";
    line += part;
    first = false;
}

typedef HWND(WINAPI *FrameFn)(void);

// The active window of the thread; with none (setup not in the foreground),
// the toolkit's frame when the frame library is loaded.
HWND MessageBoxOwner(void)
{
    HWND active = GetActiveWindow();
    if (active != NULL)
        return active;
    HMODULE frameLibrary = GetModuleHandleA("MSSHLSTF.DLL");
    if (frameLibrary == NULL)
        return NULL;
    FrameFn frame = (FrameFn)(void *)GetProcAddress(frameLibrary, "HwndFrame");
    return frame ? frame() : NULL;
}

}  // namespace

extern "C" {

int WINAPI EercErrorHandler(int code, int vital, LPCSTR text1, LPCSTR text2, LPCSTR text3)
{
    try {
        std::string line = "Setup error " + std::to_string(code) + ":";
        bool first = true;
        std::string parts;
        AppendPart(parts, text1, first);
        AppendPart(parts, text2, first);
        AppendPart(parts, text3, first);
        if (!parts.empty())
            line += " " + parts;
        if (FLogFileOpen())
            FWriteToLogFile(line.c_str(), 1);
        line += "\n";
        OutputDebugStringA(line.c_str());
    } catch (...) {
        OutputDebugStringA("Setup error: out of memory while reporting an error\n");
    }
    return code;
}

int WINAPI DoMsgBox(LPCSTR text, LPCSTR caption, UINT style)
{
    return MessageBoxA(MessageBoxOwner(), text ? text : "", caption ? caption : "Setup", style);
}

}  // extern "C"

/*
 * The log file. Every entry is written and flushed at once, so a setup that
 * dies halfway still leaves a complete record of what it did.
 */
#include "setuptk.h"
#include "log_internal.h"

#include <cstdio>
#include <cstring>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;

// Width of "yyyy-mm-dd hh:mm:ss  ": where continuation lines start.
const size_t kStampWidth = 21;

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

void CloseOpenLog(void)
{
    if (g_log != INVALID_HANDLE_VALUE) {
        CloseHandle(g_log);
        g_log = INVALID_HANDLE_VALUE;
    }
}

}  // namespace

std::string FormatLogEntry(const SYSTEMTIME &time, const char *text)
{
    char stamp[32];
    snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u  ", time.wYear, time.wMonth,
             time.wDay, time.wHour, time.wMinute, time.wSecond);
    stamp[sizeof(stamp) - 1] = '\0';

    const char *body = text ? text : "";
    size_t length = strlen(body);
    while (length > 0 && IsLineBreak(body[length - 1]))
        --length;

    std::string entry(stamp);
    for (size_t i = 0; i < length; ++i) {
        if (!IsLineBreak(body[i])) {
            entry += body[i];
            continue;
        }
        // CR LF is one break; a lone CR or LF is one too.
        if (body[i] == '\r' && i + 1 < length && body[i + 1] == '\n')
            ++i;
        entry += "\r\n";
        entry.append(kStampWidth, ' ');
    }
    entry += "\r\n";
    return entry;
}

extern "C" {

BOOL WINAPI FOpenLogFile(LPCSTR path, int mode)
{
    if (path == NULL || path[0] == '\0')
        return FALSE;
    CloseOpenLog();
    DWORD disposition = (mode == 1) ? OPEN_ALWAYS : CREATE_ALWAYS;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              disposition, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    if (SetFilePointer(file, 0, NULL, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR) {
        CloseHandle(file);
        return FALSE;
    }
    g_log = file;
    return TRUE;
}

BOOL WINAPI FWriteToLogFile(LPCSTR text, int mode)
{
    if (g_log == INVALID_HANDLE_VALUE)
        return FALSE;
    try {
        SYSTEMTIME now;
        GetLocalTime(&now);
        std::string entry = FormatLogEntry(now, text);
        if (entry.size() > MAXDWORD)
            return FALSE;
        DWORD written = 0;
        if (!WriteFile(g_log, entry.data(), (DWORD)entry.size(), &written, NULL) ||
            written != entry.size())
            return FALSE;
        FlushFileBuffers(g_log);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI FCloseLogFile(void)
{
    if (g_log == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL closed = CloseHandle(g_log);
    g_log = INVALID_HANDLE_VALUE;
    return closed;
}

BOOL WINAPI FLogFileOpen(void)
{
    return g_log != INVALID_HANDLE_VALUE;
}

}  // extern "C"

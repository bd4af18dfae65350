/* The agent's log: dorure60.log beside the service program, shared by both
 * services, one time-stamped line per event, each naming its service. */
#include "agent_service.h"
#include <stdarg.h>
#include <stdio.h>

BOOL GetAgentLogPath(char *path, DWORD size)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, module, sizeof(module));
    if (length == 0 || length >= sizeof(module))
        return FALSE;
    char *lastSlash = strrchr(module, '\\');
    if (lastSlash == NULL)
        return FALSE;
    lastSlash[1] = '\0';
    int written = snprintf(path, size, "%s%s", module, AGENT_LOG_FILE);
    return written > 0 && (DWORD)written < size;
}

/* Appends one line; a line longer than the buffer is cut. Both services may
 * write at once, so the file is opened for appending only and shared. */
static void AppendLogLine(const char *line)
{
    char path[MAX_PATH];
    if (!GetAgentLogPath(path, sizeof(path)))
        return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, (DWORD)lstrlenA(line), &written, NULL);
    CloseHandle(file);
}

void WriteAgentLog(const char *format, ...)
{
    char text[AGENT_LOG_LINE];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    text[sizeof(text) - 1] = '\0';

    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[AGENT_LOG_LINE + 64];
    snprintf(line, sizeof(line), "%04u-%02u-%02u %02u:%02u:%02u %s\r\n", now.wYear, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond, text);
    line[sizeof(line) - 1] = '\0';
    AppendLogLine(line);
}

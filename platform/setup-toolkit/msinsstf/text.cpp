// Small text helpers of the install engine.
#include <cstring>
#include "internal.h"
#include "setuptk.h"

#include <cstdarg>
#include <cstdio>

void LogLine(const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    line[sizeof line - 1] = '\0';
    if (n < 0)
        return;
    FWriteToLogFile(line, 1);
}

bool EndsInBackslash(const char* text)
{
    const char* last = NULL;
    for (const char* p = text; *p != '\0'; p = CharNextA(p))
        last = p;
    return last != NULL && *last == '\\' && !IsDBCSLeadByte(static_cast<unsigned char>(*last));
}

std::string UpperName(const char* text, size_t length)
{
    std::string upper(text, length);
    bool ascii = true;
    for (char& c : upper) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            ascii = false;
            break;
        }
        if (u >= 'a' && u <= 'z')
            c = static_cast<char>(u - 'a' + 'A');
    }
    if (!ascii && !upper.empty())
        CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    return upper;
}

void FormatCount(unsigned long long value, char* buffer, size_t size)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    size_t out = 0;
    while (n > 0 && out + 1 < size)
        buffer[out++] = digits[--n];
    if (size > 0)
        buffer[out] = '\0';
}

void DescribeError(DWORD error, char* buffer, size_t size)
{
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0,
                             buffer, static_cast<DWORD>(size), NULL);
    if (n == 0) {
        snprintf(buffer, size, "system error %lu", static_cast<unsigned long>(error));
        buffer[size - 1] = '\0';
        return;
    }
    while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == ' ' || buffer[n - 1] == '.'))
        buffer[--n] = '\0';
}

bool IsPlainFileName(const char* name, size_t length, size_t longest)
{
    if (name == NULL || length == 0 || length > longest)
        return false;
    bool onlyDots = true;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsDBCSLeadByte(c) && i + 1 < length) {
            ++i;
            onlyDots = false;
            continue;
        }
        if (c < 32 || std::strchr("<>:\"/\\|?*", c) != NULL)
            return false;
        if (c != '.')
            onlyDots = false;
    }
    return !onlyDots;
}

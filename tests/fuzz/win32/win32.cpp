// The stand-in's calls, done as Windows does them for these parsers.
#include <windows.h>
#include <shlwapi.h>

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

DWORD g_lastError;

UINT ReadAcp()
{
    const char *acp = getenv("FUZZ_ACP");
    return acp && strcmp(acp, "932") == 0 ? 932 : 1252;
}

std::string Upper(const std::string &text)
{
    std::string upper = text;
    for (char &c : upper)
        c = (char)toupper((unsigned char)c);
    return upper;
}

struct OpenFile {
    std::string content;
    size_t position;
};
std::map<std::string, std::string> g_files;

struct Value {
    DWORD type;
    std::string data;
};
// Keys by upper-cased path below HKEY_LOCAL_MACHINE; values by upper-cased name.
std::map<std::string, std::map<std::string, Value>> g_keys;
std::vector<std::string> g_handles;

std::string KeyPathOf(HKEY root, LPCSTR path)
{
    std::string base;
    if (root != HKEY_LOCAL_MACHINE) {
        size_t index = (size_t)(uintptr_t)root - 1;
        if (index >= g_handles.size())
            fuzz::Fail("a registry call with a handle that was never opened");
        base = g_handles[index];
    }
    std::string sub = Upper(path ? path : "");
    if (base.empty())
        return sub;
    return sub.empty() ? base : base + "\\" + sub;
}

HKEY NewHandle(const std::string &path)
{
    g_handles.push_back(path);
    return (HKEY)(uintptr_t)g_handles.size();
}

std::map<std::string, Value> *KeyOf(HKEY key)
{
    std::string path = KeyPathOf(key, "");
    auto found = g_keys.find(path);
    return found == g_keys.end() ? nullptr : &found->second;
}

}  // namespace

namespace fuzz {

void Fail(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    fprintf(stderr, "property failed: ");
    vfprintf(stderr, format, args);
    fprintf(stderr, "\n");
    va_end(args);
    abort();
}

void SetFile(const std::string &path, const std::string &content)
{
    g_files[Upper(path)] = content;
}

void ClearFiles()
{
    g_files.clear();
}

void ClearRegistry()
{
    g_keys.clear();
    g_handles.clear();
}

StoredValue RegistryValue(const std::string &keyPath, const std::string &name)
{
    auto key = g_keys.find(Upper(keyPath));
    if (key == g_keys.end())
        return {false, 0, ""};
    auto value = key->second.find(Upper(name));
    if (value == key->second.end())
        return {false, 0, ""};
    return {true, value->second.type, value->second.data};
}

std::string TextOf(const uint8_t *data, size_t size)
{
    const void *nul = memchr(data, 0, size);
    return std::string((const char *)data, nul ? (size_t)((const uint8_t *)nul - data) : size);
}

}  // namespace fuzz

extern "C" {

DWORD GetLastError(void)
{
    return g_lastError;
}

void SetLastError(DWORD error)
{
    g_lastError = error;
}

UINT GetACP(void)
{
    static const UINT acp = ReadAcp();
    return acp;
}

BOOL IsDBCSLeadByte(BYTE c)
{
    return GetACP() == 932 && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}

LPSTR CharNextA(LPCSTR p)
{
    if (IsDBCSLeadByte((BYTE)*p) && p[1])
        return (LPSTR)p + 2;
    return (LPSTR)(*p ? p + 1 : p);
}

// Letters of the code page; the second byte of a double-byte character is
// never changed.
DWORD CharUpperBuffA(LPSTR text, DWORD length)
{
    for (DWORD i = 0; i < length; i++) {
        BYTE c = (BYTE)text[i];
        if (IsDBCSLeadByte(c) && i + 1 < length) {
            i++;
            continue;
        }
        if (c >= 'a' && c <= 'z')
            c = (BYTE)(c - 0x20);
        else if (GetACP() == 1252 && c >= 0xE0 && c <= 0xFE && c != 0xF7)
            c = (BYTE)(c - 0x20);
        else if (GetACP() == 1252 && (c == 0x9A || c == 0x9C || c == 0x9E))
            c = (BYTE)(c - 0x10);
        else if (GetACP() == 1252 && c == 0xFF)
            c = 0x9F;
        text[i] = (char)c;
    }
    return length;
}

int lstrlenA(LPCSTR text)
{
    return text ? (int)strlen(text) : 0;
}

LPSTR lstrcpyA(LPSTR destination, LPCSTR source)
{
    return strcpy(destination, source);
}

LPSTR lstrcpynA(LPSTR destination, LPCSTR source, int size)
{
    if (size <= 0)
        return destination;
    int i = 0;
    for (; i < size - 1 && source[i]; i++)
        destination[i] = source[i];
    destination[i] = '\0';
    return destination;
}

LPSTR lstrcatA(LPSTR destination, LPCSTR source)
{
    return strcat(destination, source);
}

int lstrcmpiA(LPCSTR a, LPCSTR b)
{
    return strcasecmp(a, b);
}

int lstrcmpA(LPCSTR a, LPCSTR b)
{
    return strcmp(a, b);
}

int wvnsprintfA(LPSTR buffer, int size, LPCSTR format, va_list args)
{
    if (size <= 0)
        return -1;
    int n = vsnprintf(buffer, (size_t)size, format, args);
    return n < 0 ? -1 : (n < size ? n : size - 1);
}

int wnsprintfA(LPSTR buffer, int size, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    int n = wvnsprintfA(buffer, size, format, args);
    va_end(args);
    return n;
}

HANDLE CreateFileA(LPCSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
{
    auto found = g_files.find(Upper(path));
    if (found == g_files.end()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return new OpenFile{found->second, 0};
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER *size)
{
    size->QuadPart = (int64_t)((OpenFile *)file)->content.size();
    return TRUE;
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read, void *)
{
    OpenFile *file = (OpenFile *)handle;
    size_t left = file->content.size() - file->position;
    size_t n = toRead < left ? toRead : left;
    memcpy(buffer, file->content.data() + file->position, n);
    file->position += n;
    *read = (DWORD)n;
    return TRUE;
}

BOOL CloseHandle(HANDLE handle)
{
    delete (OpenFile *)handle;
    return TRUE;
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR)
{
    return NULL;
}

HANDLE FindFirstFileA(LPCSTR, WIN32_FIND_DATAA *)
{
    fuzz::Fail("a directory listed");
}

BOOL FindNextFileA(HANDLE, WIN32_FIND_DATAA *)
{
    fuzz::Fail("a directory listed");
}

BOOL FindClose(HANDLE)
{
    return TRUE;
}

DWORD FormatMessageA(DWORD, const void *, DWORD, DWORD, LPSTR, DWORD, va_list *)
{
    return 0;
}

LONG RegCreateKeyExA(HKEY root, LPCSTR path, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY key,
                     LPDWORD disposition)
{
    std::string full = KeyPathOf(root, path);
    bool existed = g_keys.count(full) != 0;
    g_keys[full];
    if (disposition)
        *disposition = existed ? 2 : 1;
    *key = NewHandle(full);
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY root, LPCSTR path, DWORD, REGSAM, PHKEY key)
{
    std::string full = KeyPathOf(root, path);
    if (!g_keys.count(full))
        return ERROR_FILE_NOT_FOUND;
    *key = NewHandle(full);
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE *data, DWORD size)
{
    std::map<std::string, Value> *values = KeyOf(key);
    if (!values)
        return ERROR_FILE_NOT_FOUND;
    (*values)[Upper(name ? name : "")] = Value{type, std::string((const char *)data, size)};
    return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY key, LPCSTR name)
{
    std::map<std::string, Value> *values = KeyOf(key);
    if (!values)
        return ERROR_FILE_NOT_FOUND;
    return values->erase(Upper(name ? name : "")) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    std::map<std::string, Value> *values = KeyOf(key);
    if (!values)
        return ERROR_FILE_NOT_FOUND;
    auto found = values->find(Upper(name ? name : ""));
    if (found == values->end())
        return ERROR_FILE_NOT_FOUND;
    const Value &value = found->second;
    if (type)
        *type = value.type;
    DWORD needed = (DWORD)value.data.size();
    if (!data) {
        if (size)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (!size || *size < needed) {
        if (size)
            *size = needed;
        return ERROR_MORE_DATA;
    }
    memcpy(data, value.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    return KeyOf(key) || key == HKEY_LOCAL_MACHINE ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

}  // extern "C"

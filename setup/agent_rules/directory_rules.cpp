#include <string.h>

#include "platform/setup-toolkit/setuptk.h"
#include "setup/agent_rules/agent_rules.h"

#define RULE_COPY_SIZE 256

bool DirectoryExists(LPCSTR path)
{
    char copy[RULE_COPY_SIZE];
    if (lstrlenA(path) >= RULE_COPY_SIZE)
        return false;
    lstrcpynA(copy, path, sizeof(copy));
    RemoveTrailingBackslash(copy);
    return FDirExists(copy) != FALSE;
}

// One component: a base of 1 to 12 characters and at most 3 after its first dot.
static bool IsValid83Component(LPCSTR start, int length)
{
    const char *dot = (const char *)memchr(start, '.', length);
    int baseLength = dot ? (int)(dot - start) : length;
    if (baseLength < 1 || baseLength > 12)
        return false;
    return !dot || length - baseLength - 1 <= 3;
}

bool IsValid83Path(LPCSTR path)
{
    char copy[RULE_COPY_SIZE];
    int length = lstrlenA(path);
    if (length < 4 || length >= RULE_COPY_SIZE || !strchr(path, ':'))
        return false;
    lstrcpynA(copy, path, sizeof(copy));
    if (copy[length - 1] == '\\')
        copy[--length] = '\0';
    const char *rest = strchr(copy, '\\');
    if (!rest)
        return false;
    while (rest) {
        const char *component = rest + 1;
        const char *next = strchr(component, '\\');
        int componentLength = next ? (int)(next - component) : lstrlenA(component);
        if (!IsValid83Component(component, componentLength))
            return false;
        rest = next;
    }
    return true;
}

const AgentFile AgentFiles[AGENT_FILE_COUNT] = {
    {"dorure60.dll", false}, {"dorure60.wri", false}, {"dorure60.log", false}, {"KSSetup.dll", false},
    {"KSLoad.dll", false},   {"KSSetup.ini", false},  {"kvasvr.exe", true},    {"kvbrdcst.dll", true},
    {"kvaprod.dll", true},   {"kvabrd.exe", true},    {"KVIPNET.TBL", true},   {"KVDOMAIN.TBL", true},
    {"KVIPMASK.TBL", true},
};

static bool IsAgentFileName(LPCSTR name, bool directory)
{
    if (directory)
        return lstrcmpiA(name, COPY_WORK_FOLDER) == 0;
    for (const AgentFile &file : AgentFiles)
        if (lstrcmpiA(name, file.name) == 0)
            return true;
    return false;
}

bool HoldsOnlyAgentFiles(LPCSTR directory)
{
    char pattern[MAX_PATH];
    if (!JoinPath(pattern, sizeof(pattern), directory, "*"))
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool onlyAgent = true;
    do {
        bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (lstrcmpA(found.cFileName, ".") == 0 || lstrcmpA(found.cFileName, "..") == 0)
            continue;
        onlyAgent = IsAgentFileName(found.cFileName, isDirectory);
    } while (onlyAgent && FindNextFileA(search, &found));
    FindClose(search);
    return onlyAgent;
}

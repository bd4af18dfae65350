/*
 * A removal started from the copy of setup kept for Programs and Features
 * must delete that copy, but a running program cannot delete its own files.
 * So the program started there copies itself to a temporary folder, starts
 * that copy with the same command line and waits until it has done the
 * work; whoever started it (Programs and Features, SMS) sees the run end
 * when the work is done. The temporary copy then waits for the first
 * program to end, deletes the kept copy, and has its own folder deleted
 * when Windows next starts.
 */
#include <windows.h>

#include <shlwapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "setup/agent_rules/access_lists.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/shell/setup_state.h"

#define HANDOFF_TOKEN "HANDOFF="
#define TEMPORARY_FOLDER_TRIES 100

static bool CreateProtectedFolder(LPCSTR path)
{
    AgentSecurity security;
    return BuildSetupFolderSecurity(&security) && CreateDirectoryA(path, &security.Attributes);
}

static bool MakeTemporaryFolder(LPSTR folder, int size)
{
    char temporary[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(temporary), temporary);
    if (length == 0 || length >= sizeof(temporary))
        return false;
    for (int attempt = 0; attempt < TEMPORARY_FOLDER_TRIES; attempt++) {
        int written = wnsprintfA(folder, size, "%sDorure60 Removal %lu-%d", temporary, GetCurrentProcessId(), attempt);
        if (written <= 0 || written >= size - 1)
            return false;
        if (CreateProtectedFolder(folder))
            return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

static bool StartTemporaryCopy(LPCSTR folder, LPCSTR commandLine, HANDLE done, HANDLE self, HANDLE *process)
{
    int size = lstrlenA(folder) + lstrlenA(commandLine) + 96;
    char *line = (char *)HeapAlloc(GetProcessHeap(), 0, size);
    if (!line)
        return false;
    snprintf(line, size, "\"%s\\setup.exe\" %s " HANDOFF_TOKEN "%llx,%llx", folder, commandLine,
             (unsigned long long)(ULONG_PTR)done, (unsigned long long)(ULONG_PTR)self);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started;
    BOOL created = CreateProcessA(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &started);
    HeapFree(GetProcessHeap(), 0, line);
    if (!created)
        return false;
    CloseHandle(started.hThread);
    *process = started.hProcess;
    return true;
}

bool HandOffFromRemovalCopy(LPCSTR commandLine)
{
    if (!RunsFromRemovalCopy() || strstr(commandLine, HANDOFF_TOKEN))
        return false;
    char copy[MAX_PATH], folder[MAX_PATH];
    if (!GetRemovalCopyDirectory(copy, sizeof(copy)) || !MakeTemporaryFolder(folder, sizeof(folder)))
        return false;
    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), NULL, TRUE};
    HANDLE done = CreateEventA(&inherited, TRUE, FALSE, NULL);
    HANDLE self = NULL, process = NULL;
    bool handedOff = done &&
                     DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                                     SYNCHRONIZE, TRUE, 0) &&
                     CopyRemovalFiles(copy, folder) && StartTemporaryCopy(folder, commandLine, done, self, &process);
    if (handedOff) {
        // Either the copy says its work is done, or it has ended.
        HANDLE waits[2] = {done, process};
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        CloseHandle(process);
    } else {
        // Then this program does the work itself, and the copy stays.
        DeleteRemovalFiles(folder);
    }
    if (self)
        CloseHandle(self);
    if (done)
        CloseHandle(done);
    return handedOff;
}

// Files in use now are deleted when Windows next starts.
static void RemoveOwnFolderAtRestart(void)
{
    char folder[MAX_PATH];
    if (!GetProgramDirectory(folder, sizeof(folder)))
        return;
    for (LPCSTR name : RemovalCopyFiles) {
        char path[MAX_PATH];
        if (JoinPath(path, sizeof(path), folder, name))
            MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    MoveFileExA(folder, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}

static void FinishHandOff(void)
{
    SetEvent(SetupState.HandOff.Done);
    if (SetupState.HandOff.CopyDone && WaitForSingleObject(SetupState.HandOff.Parent, 30000) == WAIT_OBJECT_0)
        DeleteRemovalCopyNow();
    RemoveOwnFolderAtRestart();
}

void TakeHandOff(LPCSTR commandLine)
{
    LPCSTR token = strstr(commandLine, HANDOFF_TOKEN);
    if (!token)
        return;
    char *end = NULL;
    ULONG_PTR done = (ULONG_PTR)_strtoui64(token + sizeof(HANDOFF_TOKEN) - 1, &end, 16);
    if (!end || *end != ',')
        return;
    ULONG_PTR parent = (ULONG_PTR)_strtoui64(end + 1, NULL, 16);
    SetupState.HandOff.Done = (HANDLE)done;
    SetupState.HandOff.Parent = (HANDLE)parent;
    SetupState.HandOff.Active = 1;
    atexit(FinishHandOff);
}

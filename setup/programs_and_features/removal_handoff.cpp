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
/* The hand-over folder's name: the handing program's id, then an attempt. */
#define HANDOFF_FOLDER_NAME "Dorure60 Removal "

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
        int written = wnsprintfA(folder, size, "%s" HANDOFF_FOLDER_NAME "%lu-%d", temporary, GetCurrentProcessId(),
                                 attempt);
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
    // Its own current directory: nothing holds the kept copy's folder.
    BOOL created = CreateProcessA(NULL, line, NULL, NULL, TRUE, 0, NULL, folder, &startup, &started);
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
                                     SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0) &&
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
    // What the program still holds after the wait goes at the next start.
    if (SetupState.HandOff.CopyDone) {
        WaitForSingleObject(SetupState.HandOff.Parent, 30000);
        DeleteRemovalCopyNow();
    }
    RemoveOwnFolderAtRestart();
}

// The folder this program runs from is a hand-over folder that the program
// behind the handle made: below the temporary directory, named by its id.
static bool RunsFromHandOffFolderOf(HANDLE parent)
{
    char program[MAX_PATH], temporary[MAX_PATH], expected[MAX_PATH];
    DWORD parentId = GetProcessId(parent);
    DWORD length = GetTempPathA(sizeof(temporary), temporary);
    if (parentId == 0 || length == 0 || length >= sizeof(temporary) || !GetProgramDirectory(program, sizeof(program)))
        return false;
    int written = wnsprintfA(expected, sizeof(expected), "%s" HANDOFF_FOLDER_NAME "%lu-", temporary, parentId);
    if (written <= 0 || written >= (int)sizeof(expected) - 1)
        return false;
    // The attempt number is the rest of the name: one of the tries made.
    for (int attempt = 0; attempt < TEMPORARY_FOLDER_TRIES; attempt++) {
        char folder[MAX_PATH];
        wnsprintfA(folder, sizeof(folder), "%s%d", expected, attempt);
        if (IsSameDirectory(folder, program))
            return true;
    }
    return false;
}

// The handing program runs from the kept copy.
static bool RunsFromRemovalCopyItself(HANDLE process)
{
    char image[MAX_PATH], directory[MAX_PATH] = "", copy[MAX_PATH];
    DWORD size = sizeof(image);
    if (!QueryFullProcessImageNameA(process, 0, image, &size) || !GetRemovalCopyDirectory(copy, sizeof(copy)))
        return false;
    CutAtLastBackslash(image, directory);
    return IsSameDirectory(directory, copy);
}

// Taken only as the command line's last token, from a hand-over folder, with
// an event and the handing program's process as its handles.
void TakeHandOff(LPCSTR commandLine)
{
    LPCSTR token = NULL;
    for (LPCSTR found = strstr(commandLine, HANDOFF_TOKEN); found; found = strstr(found + 1, HANDOFF_TOKEN))
        if (found == commandLine || found[-1] == ' ')
            token = found;
    if (!token)
        return;
    char *end = NULL;
    ULONG_PTR done = (ULONG_PTR)_strtoui64(token + sizeof(HANDOFF_TOKEN) - 1, &end, 16);
    if (!end || *end != ',')
        return;
    ULONG_PTR parent = (ULONG_PTR)_strtoui64(end + 1, &end, 16);
    while (end && *end == ' ')
        end++;
    DWORD flags;
    if (!end || *end || !done || !parent || !GetHandleInformation((HANDLE)done, &flags) ||
        !RunsFromHandOffFolderOf((HANDLE)parent) || !RunsFromRemovalCopyItself((HANDLE)parent))
        return;
    SetupState.HandOff.Done = (HANDLE)done;
    SetupState.HandOff.Parent = (HANDLE)parent;
    SetupState.HandOff.Active = 1;
    atexit(FinishHandOff);
}

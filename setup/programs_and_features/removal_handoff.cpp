/*
 * A removal started from the copy of setup kept for Programs and Features
 * must delete that copy, but a running program cannot delete its own files.
 * So the program started there copies itself to a temporary folder, starts
 * that copy with the same command line and waits until it has done the
 * work; whoever started it (Programs and Features, SMS) sees the run end
 * when the work is done, with the exit code of the copy that did it. The
 * temporary copy then waits for the first program to end, deletes the kept
 * copy, and has its own folder deleted when Windows next starts.
 */
#include <windows.h>

#include <shlwapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "setup/agent_rules/access_lists.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/messages/exit_code.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

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

// The exit code travels in a mapping both processes hold: the copy that
// did the work goes on running after it, to delete the kept copy.
static bool WriteOutcome(HANDLE outcome, DWORD code)
{
    DWORD *view = (DWORD *)MapViewOfFile(outcome, FILE_MAP_WRITE, 0, 0, sizeof(DWORD));
    if (!view)
        return false;
    *view = code;
    UnmapViewOfFile(view);
    return true;
}

static DWORD ReadOutcome(HANDLE outcome)
{
    DWORD code = ERROR_INSTALL_FAILURE;
    const DWORD *view = (const DWORD *)MapViewOfFile(outcome, FILE_MAP_READ, 0, 0, sizeof(DWORD));
    if (view) {
        code = *view;
        UnmapViewOfFile(view);
    }
    return code;
}

static bool StartTemporaryCopy(LPCSTR folder, LPCSTR commandLine, const HANDLE handed[3], HANDLE *process)
{
    int size = lstrlenA(folder) + lstrlenA(commandLine) + 128;
    char *line = (char *)HeapAlloc(GetProcessHeap(), 0, size);
    if (!line)
        return false;
    snprintf(line, size, "\"%s\\setup.exe\" %s " HANDOFF_TOKEN "%llx,%llx,%llx", folder, commandLine,
             (unsigned long long)(ULONG_PTR)handed[0], (unsigned long long)(ULONG_PTR)handed[1],
             (unsigned long long)(ULONG_PTR)handed[2]);
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

bool HandOffFromRemovalCopy(LPCSTR commandLine, DWORD *exitCode)
{
    if (!RunsFromRemovalCopy() || strstr(commandLine, HANDOFF_TOKEN))
        return false;
    char copy[MAX_PATH], folder[MAX_PATH];
    if (!GetRemovalCopyDirectory(copy, sizeof(copy)) || !MakeTemporaryFolder(folder, sizeof(folder)))
        return false;
    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), NULL, TRUE};
    HANDLE done = CreateEventA(&inherited, TRUE, FALSE, NULL);
    HANDLE outcome = CreateFileMappingA(INVALID_HANDLE_VALUE, &inherited, PAGE_READWRITE, 0, sizeof(DWORD), NULL);
    HANDLE self = NULL, process = NULL;
    bool handedOff = done && outcome && WriteOutcome(outcome, ERROR_INSTALL_FAILURE) &&
                     DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                                     SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0) &&
                     CopyRemovalFiles(copy, folder);
    HANDLE handed[3] = {done, self, outcome};
    handedOff = handedOff && StartTemporaryCopy(folder, commandLine, handed, &process);
    if (handedOff) {
        // Either the copy says its work is done, or it has ended.
        HANDLE waits[2] = {done, process};
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1 ||
            !GetExitCodeProcess(process, exitCode))
            *exitCode = ReadOutcome(outcome);
        CloseHandle(process);
    } else {
        // Then this program does the work itself, and the copy stays.
        DeleteRemovalFiles(folder);
    }
    for (HANDLE handle : handed)
        if (handle)
            CloseHandle(handle);
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

// Another program started from the kept copy (a second removal, refused at
// once) lets go of it within moments: its program file is waited for, a
// bounded time, before what is still in use is left to the next start.
static void WaitUntilKeptCopyIsFree(void)
{
    char copy[MAX_PATH], program[MAX_PATH];
    if (!GetRemovalCopyDirectory(copy, sizeof(copy)) || !JoinPath(program, sizeof(program), copy, "setup.exe"))
        return;
    for (int attempt = 0; attempt < 50; attempt++) {
        if (DeleteSetupFile(program) || GetLastError() == ERROR_FILE_NOT_FOUND ||
            GetLastError() == ERROR_PATH_NOT_FOUND)
            return;
        Sleep(200);
    }
}

static void FinishHandOff(void)
{
    WriteOutcome(SetupState.HandOff.Outcome, SetupExitCode());
    SetEvent(SetupState.HandOff.Done);
    // What the program still holds after the wait goes at the next start.
    if (SetupState.HandOff.CopyDone) {
        WaitForSingleObject(SetupState.HandOff.Parent, 30000);
        WaitUntilKeptCopyIsFree();
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
    HANDLE handed[3];
    LPCSTR cursor = token + sizeof(HANDOFF_TOKEN) - 1;
    char *end = NULL;
    for (int i = 0; i < 3; i++) {
        handed[i] = (HANDLE)(ULONG_PTR)_strtoui64(cursor, &end, 16);
        if (!end || end == cursor || (i < 2 && *end != ','))
            return;
        cursor = end + 1;
    }
    while (*end == ' ')
        end++;
    DWORD flags;
    if (*end || !handed[0] || !handed[1] || !handed[2] || !GetHandleInformation(handed[0], &flags) ||
        !GetHandleInformation(handed[2], &flags) || !RunsFromHandOffFolderOf(handed[1]) ||
        !RunsFromRemovalCopyItself(handed[1]))
        return;
    SetupState.HandOff.Done = handed[0];
    SetupState.HandOff.Parent = handed[1];
    SetupState.HandOff.Outcome = handed[2];
    SetupState.HandOff.Active = 1;
    atexit(FinishHandOff);
}

#include <shlobj.h>
#include <shlwapi.h>

#include "setup/agent_rules/agent_rules.h"
#include "setup/messages/messages.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

// What a removal needs of the distribution: the program, the libraries it
// imports and its resources. The removal reads no setup.inf.
const char *const RemovalCopyFiles[REMOVAL_COPY_FILE_COUNT] = {
    "setup.exe",    "HFNTSET.DLL",  "MSCOMSTF.DLL", "MSSHLSTF.DLL", "MSUILSTF.DLL",
    "MSDETSTF.DLL", "MSINSSTF.DLL", "CTL3D32.DLL",  "KSSETUP.dll",
};

// Below Program Files, where only administrators may write, and outside the
// agent's directory, whose files the removal decides about by its own rules.
bool GetRemovalCopyDirectory(LPSTR directory, int size)
{
    char programFiles[MAX_PATH];
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, SHGFP_TYPE_CURRENT, programFiles)))
        return false;
    return JoinPath(directory, size, programFiles, REMOVAL_COPY_FOLDER);
}

// The directory part of a path of at most MAX_PATH characters.
static void ParentDirectory(LPCSTR path, LPSTR parent)
{
    char copy[MAX_PATH];
    lstrcpynA(copy, path, sizeof(copy));
    parent[0] = '\0';
    CutAtLastBackslash(copy, parent);
}

bool GetProgramDirectory(LPSTR directory, int size)
{
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, program, sizeof(program));
    if (length == 0 || length >= sizeof(program) || size < MAX_PATH)
        return false;
    ParentDirectory(program, directory);
    return directory[0] != '\0';
}

bool RunsFromRemovalCopy(void)
{
    char program[MAX_PATH], copy[MAX_PATH];
    return GetProgramDirectory(program, sizeof(program)) && GetRemovalCopyDirectory(copy, sizeof(copy)) &&
           IsSameDirectory(program, copy);
}

bool CopyRemovalFiles(LPCSTR from, LPCSTR to)
{
    for (LPCSTR name : RemovalCopyFiles) {
        char source[MAX_PATH], target[MAX_PATH];
        if (!JoinPath(source, sizeof(source), from, name) || !JoinPath(target, sizeof(target), to, name))
            return false;
        // A copy from a CD-ROM keeps its read-only attribute; the kept copy
        // must be replaceable and removable.
        DeleteSetupFile(target);
        if (!CopyFileA(source, target, FALSE))
            return false;
        DWORD attributes = GetFileAttributesA(target);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesA(target, attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    return true;
}

bool KeepRemovalCopy(void)
{
    char program[MAX_PATH], copy[MAX_PATH];
    if (!GetProgramDirectory(program, sizeof(program)) || !GetRemovalCopyDirectory(copy, sizeof(copy)))
        return false;
    if (IsSameDirectory(program, copy))
        return true;
    char parent[MAX_PATH];
    ParentDirectory(copy, parent);
    CreateDirectoryA(parent, NULL);
    if (!CreateDirectoryA(copy, NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    return CopyRemovalFiles(program, copy);
}

// What a running program still holds goes when Windows next starts, so the
// copy is never left half there.
bool DeleteRemovalFiles(LPCSTR directory)
{
    bool deleted = true;
    for (LPCSTR name : RemovalCopyFiles) {
        char path[MAX_PATH];
        if (!JoinPath(path, sizeof(path), directory, name) || DeleteSetupFile(path) ||
            GetLastError() == ERROR_FILE_NOT_FOUND)
            continue;
        MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
        deleted = false;
    }
    if (!RemoveDirectoryA(directory) && !deleted)
        MoveFileExA(directory, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    return deleted;
}

void DeleteRemovalCopyNow(void)
{
    char copy[MAX_PATH];
    if (!GetRemovalCopyDirectory(copy, sizeof(copy)))
        return;
    bool deleted = DeleteRemovalFiles(copy);
    if (!deleted)
        LogSetupMessage("Setup will delete the rest of %s when Windows next starts: a program still uses it.", copy);
    // The maker's folder goes too when nothing else of it is left.
    char parent[MAX_PATH];
    ParentDirectory(copy, parent);
    RemoveDirectoryA(parent);
}

void RemoveRemovalCopy(void)
{
    // The program that runs from there cannot delete itself: the copy it
    // handed the removal to deletes the folder once that program has ended.
    if (SetupState.HandOff.Active)
        SetupState.HandOff.CopyDone = 1;
    else
        DeleteRemovalCopyNow();
}

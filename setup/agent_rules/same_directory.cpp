#include "setup/agent_rules/agent_rules.h"

// The volume and file number the system gives an open directory: the same
// for every spelling of it (short names, case, "." and "..").
static bool DirectoryIdentity(LPCSTR directory, BY_HANDLE_FILE_INFORMATION *identity)
{
    HANDLE handle = CreateFileA(directory, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool read = GetFileInformationByHandle(handle, identity) != FALSE &&
                (identity->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(handle);
    return read;
}

// The long, full form of a directory text without its final backslash; for
// a directory that is not there, its full form alone.
static bool LongFullForm(LPCSTR directory, LPSTR form, DWORD size)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(directory, sizeof(full), full, NULL);
    if (length == 0 || length >= sizeof(full))
        return false;
    length = GetLongPathNameA(full, form, size);
    if (length == 0 || length >= size)
        lstrcpynA(form, full, (int)size);
    if (lstrlenA(form) > 3)
        RemoveTrailingBackslash(form);
    return true;
}

// "X:" stands for the drive's root here, not its current directory.
static void RootedText(LPCSTR directory, LPSTR text, int size)
{
    lstrcpynA(text, directory, size);
    if (lstrlenA(text) == 2 && text[1] == ':')
        lstrcpynA(text + 2, "\\", size - 2);
}

bool IsSameDirectory(LPCSTR firstText, LPCSTR secondText)
{
    if (!firstText[0] || !secondText[0])
        return false;
    char first[MAX_PATH], second[MAX_PATH];
    RootedText(firstText, first, sizeof(first));
    RootedText(secondText, second, sizeof(second));
    BY_HANDLE_FILE_INFORMATION one, other;
    if (DirectoryIdentity(first, &one) && DirectoryIdentity(second, &other))
        return one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
               one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
    char oneForm[MAX_PATH], otherForm[MAX_PATH];
    if (!LongFullForm(first, oneForm, sizeof(oneForm)) || !LongFullForm(second, otherForm, sizeof(otherForm)))
        return lstrcmpiA(first, second) == 0;
    return lstrcmpiA(oneForm, otherForm) == 0;
}

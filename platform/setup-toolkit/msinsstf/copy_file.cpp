// One file of the copy. The data goes through the run's own buffer into a
// temporary file, which is later renamed over the final name through the
// handle it was written with (on the placer's thread): no second open, and
// the final name is looked up once. (CopyFileA looks a new name up twice, once to see whether it is
// the source itself and once to create it; under Wine each look-up of a name
// that does not exist yet reads the whole destination directory, and that is
// most of the time a copy of many small files takes there.)
#include "internal.h"

namespace {

// Not the read-only attribute: every file of a CD-ROM or a read-only share
// carries it, and an installed file must stay replaceable and removable.
const DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

struct OpenFiles {
    HANDLE source = INVALID_HANDLE_VALUE;
    HANDLE temporary = INVALID_HANDLE_VALUE;
    ~OpenFiles()
    {
        if (source != INVALID_HANDLE_VALUE)
            CloseHandle(source);
        if (temporary != INVALID_HANDLE_VALUE)
            CloseHandle(temporary);
    }
};

DWORD LastErrorOrFailure()
{
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

// Created as a new file: opened to replace, even a file that does not exist
// yet is truncated (so Wine does it), and ext4 writes a file truncated to
// nothing out to disk when it is closed, which the copy would wait for.
HANDLE CreateTemporary(const std::string& temporary, DWORD attributes)
{
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE | DELETE, 0, NULL, CREATE_NEW, attributes, NULL);
    DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE || (error != ERROR_FILE_EXISTS && error != ERROR_ACCESS_DENIED))
        return file;
    // A leftover of an earlier, interrupted copy, read-only perhaps.
    SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(temporary.c_str());
    return CreateFileA(temporary.c_str(), GENERIC_WRITE | DELETE, 0, NULL, CREATE_NEW, attributes, NULL);
}

// Answers 0 or the error; ERROR_CANCELLED when the progress routine said stop.
DWORD CopyData(const OpenFiles& files, std::vector<char>* buffer, CopyProgressRoutine progress, void* context)
{
    unsigned long long done = 0;
    for (;;) {
        DWORD got = 0, written = 0;
        if (!ReadFile(files.source, buffer->data(), static_cast<DWORD>(buffer->size()), &got, NULL))
            return LastErrorOrFailure();
        if (got == 0)
            return 0;
        if (!WriteFile(files.temporary, buffer->data(), got, &written, NULL))
            return LastErrorOrFailure();
        if (written != got)
            return ERROR_DISK_FULL;
        done += got;
        if (!progress(context, done))
            return ERROR_CANCELLED;
    }
}

bool RenameByHandle(HANDLE file, const std::string& final)
{
    union {
        FILE_RENAME_INFO info;
        char bytes[sizeof(FILE_RENAME_INFO) + MAX_PATH * sizeof(WCHAR)];
    } rename = {};
    rename.info.ReplaceIfExists = TRUE;
    int length = MultiByteToWideChar(CP_ACP, 0, final.c_str(), -1, rename.info.FileName, MAX_PATH);
    if (length <= 0)
        return false;
    rename.info.FileNameLength = static_cast<DWORD>((length - 1) * sizeof(WCHAR));
    return SetFileInformationByHandle(file, FileRenameInfo, &rename, sizeof rename) != FALSE;
}

// An earlier version another program holds: the new one waits beside it
// under a name of its own and takes its place when Windows restarts.
DWORD PlaceAtRestart(HANDLE file, const std::string& final, CopyJournal* journal, const CopyItem& item)
{
    std::string pending;
    DWORD error = NotePlacedAtRestart(journal, item.name, &pending);
    if (error != 0)
        return error;
    if (!RenameByHandle(file, pending))
        return LastErrorOrFailure();
    if (!MoveFileExA(pending.c_str(), final.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))
        return LastErrorOrFailure();
    LogLine("%s is in use by another program; its new version takes its place when Windows restarts.",
            final.c_str());
    return 0;
}

// The earlier version goes aside (the journal notes it first) and comes
// back when the copy cannot take its place; a read-only one moves as well.
DWORD ReplaceFinal(HANDLE file, const std::string& final, CopyJournal* journal, const CopyItem& item)
{
    bool kept = false;
    DWORD error = KeepEarlierVersion(journal, item.name, item.upper, &kept);
    if (error == ERROR_SHARING_VIOLATION && CopyPlacesFilesInUseAtRestart())
        return PlaceAtRestart(file, final, journal, item);
    if (error != 0)
        return error;
    if (RenameByHandle(file, final))
        return 0;
    error = LastErrorOrFailure();
    if (kept)
        ReturnEarlierVersion(journal, item.name);
    return error;
}

void DiscardTemporary(HANDLE* file, const std::string& temporary)
{
    CloseHandle(*file);
    *file = INVALID_HANDLE_VALUE;
    SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(temporary.c_str());
}

} // namespace

DWORD WriteTemporary(const std::string& source, const std::string& temporary, std::vector<char>* buffer,
                     CopyProgressRoutine progress, void* context, HANDLE* written)
{
    OpenFiles files;
    FILE_BASIC_INFO info;
    *written = INVALID_HANDLE_VALUE;
    // Shared as CopyFileA shares it: a source that others have open is read.
    files.source = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (files.source == INVALID_HANDLE_VALUE
        || !GetFileInformationByHandleEx(files.source, FileBasicInfo, &info, sizeof info))
        return LastErrorOrFailure();
    // The copy keeps the source's attributes and time of last change, as CopyFileA does.
    DWORD attributes = info.FileAttributes & kKeptAttributes;
    files.temporary = CreateTemporary(temporary, attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
    if (files.temporary == INVALID_HANDLE_VALUE)
        return LastErrorOrFailure();
    DWORD error = CopyData(files, buffer, progress, context);
    if (error != 0) {
        DiscardTemporary(&files.temporary, temporary);
        return error;
    }
    FILETIME changed;
    changed.dwLowDateTime = static_cast<DWORD>(info.LastWriteTime.QuadPart);
    changed.dwHighDateTime = static_cast<DWORD>(info.LastWriteTime.QuadPart >> 32);
    SetFileTime(files.temporary, NULL, NULL, &changed);
    *written = files.temporary;
    files.temporary = INVALID_HANDLE_VALUE;
    return 0;
}

DWORD PlaceTemporary(HANDLE written, const std::string& temporary, const std::string& final, CopyJournal* journal,
                     const CopyItem& item)
{
    DWORD error = ReplaceFinal(written, final, journal, item);
    if (error != 0) {
        DiscardTemporary(&written, temporary);
        return error;
    }
    CloseHandle(written);
    return 0;
}

void DiscardWrittenTemporary(HANDLE written, const std::string& temporary)
{
    DiscardTemporary(&written, temporary);
}

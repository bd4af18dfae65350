// Copies the copy list with the progress gauge. Each file is copied under a
// temporary name into a work folder inside its destination directory and
// then renamed over the final name, so a failed or stopped copy never leaves
// a partial file under the name the program will run, and an earlier
// version stays whole until the new one is complete.
//
// The work folder holds one file at a time, so finding the temporary name is
// cheap; in the destination directory itself, each look-up of a name that
// does not exist yet lists the whole directory under Wine (its names are
// matched without regard to case), which made the copy 1.5 times slower.
#include "internal.h"
#include "setuptk.h"

#include <cstring>
#include <new>

namespace {

const int kUserQuit = 48;
const DWORD kRefreshMs = 15;    // gauge and message pump, at most this often
// Work folder in each destination directory, and the file inside it.
const char kWorkFolder[] = "~stfcopy.tmp";
const char kWorkFile[] = "\\copy.tmp";

struct CopyRun {
    unsigned long long total;       // bytes of the whole list, from the .inf
    unsigned long long doneBefore;  // bytes of the files already copied
    DWORD lastRefresh;
};

bool RefreshDue(CopyRun* run)
{
    DWORD now = GetTickCount();
    if (now - run->lastRefresh < kRefreshMs)
        return false;
    run->lastRefresh = now;
    return true;
}

void ShowBytes(const CopyRun& run, unsigned long long done)
{
    if (run.total == 0)
        return;
    if (done > run.total)
        done = run.total;
    GaugeShowProgress(static_cast<int>(done * 1000 / run.total));
}

DWORD CALLBACK CopyProgress(LARGE_INTEGER totalSize, LARGE_INTEGER transferred, LARGE_INTEGER streamSize,
                            LARGE_INTEGER streamTransferred, DWORD stream, DWORD reason, HANDLE source,
                            HANDLE dest, LPVOID data)
{
    CopyRun* run = static_cast<CopyRun*>(data);
    if (RefreshDue(run)) {
        ShowBytes(*run, run->doneBefore + static_cast<unsigned long long>(transferred.QuadPart));
        GaugePump();
    }
    return GaugeQuitRequested() ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

void LogFailure(const char* action, const char* what, const char* where, DWORD error)
{
    char reason[256];
    DescribeError(error, reason, sizeof reason);
    if (where != NULL)
        LogLine("Cannot %s %s to %s: %s (error %lu).", action, what, where, reason, static_cast<unsigned long>(error));
    else
        LogLine("Cannot %s %s: %s (error %lu).", action, what, reason, static_cast<unsigned long>(error));
}

DWORD LastErrorOrFailure()
{
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

// Creates a directory with every missing parent. dir ends in a backslash.
DWORD MakeDirectories(const std::string& dir)
{
    DWORD attributes = GetFileAttributesA(dir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    const char* text = dir.c_str();
    const char* p = text;
    if (dir.size() >= 3 && text[1] == ':' && text[2] == '\\') {
        p = text + 3;
    } else if (dir.compare(0, 2, "\\\\") == 0) {
        // \\server\share\ is there or not; only what follows is made.
        int separators = 0;
        for (p = text + 2; *p != '\0' && separators < 2; p = CharNextA(p))
            if (*p == '\\')
                ++separators;
    }
    for (; *p != '\0'; p = CharNextA(p)) {
        if (*p != '\\')
            continue;
        std::string part(text, static_cast<size_t>(p - text));
        if (!CreateDirectoryA(part.c_str(), NULL)) {
            DWORD error = GetLastError();
            if (error != ERROR_ALREADY_EXISTS) {
                LogFailure("create the directory", part.c_str(), NULL, error);
                return error;
            }
        }
    }
    return 0;
}

bool CopyToTemporary(const std::string& source, const std::string& temporary, CopyRun* run)
{
    if (CopyFileExA(source.c_str(), temporary.c_str(), CopyProgress, run, GaugeCancelFlag(), 0))
        return true;
    if (GetLastError() != ERROR_ACCESS_DENIED || GaugeQuitRequested())
        return false;
    // A read-only leftover of an earlier, interrupted copy.
    SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(temporary.c_str());
    return CopyFileExA(source.c_str(), temporary.c_str(), CopyProgress, run, GaugeCancelFlag(), 0) != FALSE;
}

// Renames through the open file: one look-up of the final name.
bool RenameByHandle(const std::string& temporary, const std::string& final)
{
    HANDLE file = CreateFileA(temporary.c_str(), DELETE | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    union {
        FILE_RENAME_INFO info;
        char bytes[sizeof(FILE_RENAME_INFO) + MAX_PATH * sizeof(WCHAR)];
    } rename = {};
    rename.info.ReplaceIfExists = TRUE;
    int length = MultiByteToWideChar(CP_ACP, 0, final.c_str(), -1, rename.info.FileName, MAX_PATH);
    BOOL done = FALSE;
    if (length > 0) {
        rename.info.FileNameLength = static_cast<DWORD>((length - 1) * sizeof(WCHAR));
        done = SetFileInformationByHandle(file, FileRenameInfo, &rename, sizeof rename);
    }
    DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return done != FALSE;
}

bool ReplaceFinal(const std::string& temporary, const std::string& final)
{
    if (RenameByHandle(temporary, final))
        return true;
    if (GetLastError() == ERROR_ACCESS_DENIED)
        SetFileAttributesA(final.c_str(), FILE_ATTRIBUTE_NORMAL);   // a read-only earlier version
    return MoveFileExA(temporary.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

std::string WorkFolder(const CopyDirs& dirs)
{
    return dirs.dest + kWorkFolder;
}

// Makes the destination directory (with its parents) and its work folder.
DWORD PrepareDestination(const CopyDirs& dirs)
{
    DWORD error = MakeDirectories(dirs.dest);
    if (error != 0)
        return error;
    std::string work = WorkFolder(dirs);
    if (work.size() + sizeof kWorkFile >= MAX_PATH) {
        LogFailure("copy files to", dirs.dest.c_str(), NULL, ERROR_FILENAME_EXCED_RANGE);
        return ERROR_FILENAME_EXCED_RANGE;
    }
    if (!CreateDirectoryA(work.c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS) {
        error = GetLastError();
        LogFailure("create the work folder", work.c_str(), NULL, error);
        return error;
    }
    SetFileAttributesA(work.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return 0;
}

void RemoveWorkFolder(const CopyDirs& dirs)
{
    std::string work = WorkFolder(dirs);
    std::string temporary = work + kWorkFile;
    SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(temporary.c_str());
    SetFileAttributesA(work.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(work.c_str());
}

// Copies one item; answers 0, kUserQuit or the Win32 error.
int CopyOne(const CopyDirs& dirs, const CopyItem& item, CopyRun* run)
{
    std::string source = dirs.source + item.name;
    std::string final = dirs.dest + item.name;
    std::string temporary = WorkFolder(dirs) + kWorkFile;
    if (!CopyToTemporary(source, temporary, run)) {
        DWORD error = LastErrorOrFailure();
        DeleteFileA(temporary.c_str());
        if (GaugeQuitRequested())
            return kUserQuit;
        LogFailure("copy", source.c_str(), final.c_str(), error);
        return static_cast<int>(error);
    }
    if (!ReplaceFinal(temporary, final)) {
        DWORD error = LastErrorOrFailure();
        SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(temporary.c_str());
        LogFailure("replace", final.c_str(), NULL, error);
        return static_cast<int>(error);
    }
    return 0;
}

int CopyAll()
{
    const std::vector<CopyDirs>& dirs = CopyListDirs();
    const std::vector<CopyItem>& items = CopyListItems();
    CopyRun run = { 0, 0, GetTickCount() };
    for (const CopyItem& item : items)
        run.total += item.size;
    std::vector<bool> made(dirs.size(), false);
    if (!GaugeOpen(g_frame, static_cast<int>(items.size())))
        LogLine("The copy progress gauge cannot be shown (error %lu); copying without it.",
                static_cast<unsigned long>(GetLastError()));
    int result = 0;
    for (size_t i = 0; i < items.size() && result == 0; ++i) {
        const CopyItem& item = items[i];
        const CopyDirs& pair = dirs[item.dirs];
        if (i == 0 || RefreshDue(&run)) {
            GaugeShowFile((pair.dest + item.name).c_str(), static_cast<int>(i));
            ShowBytes(run, run.doneBefore);
            GaugePump();
        }
        if (GaugeQuitRequested()) {
            result = kUserQuit;
            break;
        }
        if (!made[item.dirs]) {
            DWORD error = PrepareDestination(pair);
            if (error != 0) {
                result = static_cast<int>(error);
                break;
            }
            made[item.dirs] = true;
        }
        result = CopyOne(pair, item, &run);
        run.doneBefore += item.size;
    }
    if (result == 0)
        ShowBytes(run, run.total);
    for (size_t i = 0; i < dirs.size(); ++i)
        if (made[i])
            RemoveWorkFolder(dirs[i]);
    GaugeClose();
    return result;
}

} // namespace

extern "C" TK_INS int WINAPI GrcCopyFilesInCopyList(HINSTANCE instance)
{
    const std::vector<CopyItem>& items = CopyListItems();
    if (CopyMode() == 0 || items.empty())
        return 0;
    LogLine("Copying %lu files.", static_cast<unsigned long>(items.size()));
    int result;
    try {
        result = CopyAll();
    } catch (const std::bad_alloc&) {
        GaugeClose();
        LogLine("Not enough memory to copy the files.");
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (result == kUserQuit)
        LogLine("The copy was stopped by the user.");
    else if (result == 0)
        LogLine("All %lu files were copied.", static_cast<unsigned long>(items.size()));
    return result;
}

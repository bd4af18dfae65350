// Copies the copy list with the progress gauge. Each file is copied under a
// temporary name into a work folder inside its destination directory and
// then renamed over the final name (copy_file.cpp), so a failed or stopped
// copy never leaves a partial file under the name the program will run, and
// an earlier version stays whole until the new one is complete.
//
// The work folder holds a few files at a time, so finding a temporary name
// is cheap; in the destination directory itself, each look-up of a name that
// does not exist yet lists the whole directory under Wine (its names are
// matched without regard to case), which made the copy 1.5 times slower.
// The one look-up each final name still needs, in the rename, is done on a
// second thread while the next files are written (copy_placer.cpp).
#include "internal.h"
#include "setuptk.h"

#include <new>
#include <unordered_set>

namespace {

const int kUserQuit = 48;
// What the last copy failed on, for the program to name.
std::string g_failure;
// An earlier copy could not be put in place; the placer tells which.
const int kPlacingFailed = -1;
// Gauge and message pump at most this often: a refresh costs about as much
// as copying a small file, and ten a second look smooth.
const DWORD kRefreshMs = 100;
// Stays in the processor's cache, and takes few calls for a large file.
const size_t kBufferBytes = 256 * 1024;
// Work folder in each destination directory, and the files inside it: one
// slot per copy written and not yet placed. Eight let the writing run ahead
// through a large file while the renames of the small ones before it catch
// up; more gained nothing measurable.
const size_t kSlots = 8;
const char kWorkFile[] = "\\copy0.tmp";
static_assert(kSlots <= 10, "a slot is named by one digit");

struct CopyRun {
    unsigned long long total;       // bytes of the whole list, from the .inf
    unsigned long long doneBefore;  // bytes of the files already copied
    DWORD lastRefresh;
    std::vector<char> buffer;
    CopyPlacer* placer;
    std::vector<CopyJournal*> journals;       // per CopyListDirs() entry
    // Upper-case paths handed to the placer, when a later source may be one.
    std::unordered_set<std::string> pending;
};

// Off: a copy is final when it ends. On: the journal and the earlier
// versions stay until FCommitCopy or FRollBackCopy.
bool g_keepForRollBack = false;

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

// Between the chunks of a file: the gauge, and the quit button, which is
// honoured inside a large file too.
bool ShowFileProgress(void* context, unsigned long long done)
{
    CopyRun* run = static_cast<CopyRun*>(context);
    if (!RefreshDue(run)) {
        // A press on the quit button is taken at once, not at the next refresh.
        if (GaugeMessageWaiting())
            return GaugePump();
        return !GaugeQuitRequested();
    }
    ShowBytes(*run, run->doneBefore + done);
    return GaugePump();
}

void LogFailure(const char* action, const char* what, const char* where, DWORD error)
{
    g_failure = where != NULL ? where : what;
    char reason[256];
    DescribeError(error, reason, sizeof reason);
    if (where != NULL)
        LogLine("Cannot %s %s to %s: %s (error %lu).", action, what, where, reason, static_cast<unsigned long>(error));
    else
        LogLine("Cannot %s %s: %s (error %lu).", action, what, reason, static_cast<unsigned long>(error));
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

std::string WorkFolder(const CopyDirs& dirs)
{
    return CopyWorkFolder(dirs.dest);
}

std::string WorkFile(const CopyDirs& dirs, size_t slot)
{
    std::string name = WorkFolder(dirs) + kWorkFile;
    name[name.size() - 5] = static_cast<char>('0' + slot);
    return name;
}

// Makes the destination directory (with its parents) and its work folder;
// what a stopped copy left there is undone first.
DWORD PrepareDestination(const CopyDirs& dirs)
{
    if (HasCopyJournal(dirs.dest) && !RollBackCopyJournal(dirs.dest))
        return ERROR_CANNOT_COPY;
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
    for (size_t slot = 0; slot < kSlots; ++slot) {
        std::string temporary = WorkFile(dirs, slot);
        SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(temporary.c_str());
    }
    std::string work = WorkFolder(dirs);
    SetFileAttributesA(work.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(work.c_str());
}

// Writes one item into its slot of the work folder and hands it to the
// placer; answers 0, kUserQuit, kPlacingFailed or the Win32 error.
int CopyOne(const CopyDirs& dirs, const CopyItem& item, size_t slot, CopyRun* run)
{
    std::string source = dirs.source + item.name;
    std::string final = dirs.dest + item.name;
    std::string temporary = WorkFile(dirs, slot);
    HANDLE written;
    DWORD error = WriteTemporary(source, temporary, &run->buffer, ShowFileProgress, run, &written);
    if (error == 0) {
        PlaceLater(run->placer, written, temporary, final, run->journals[item.dirs], &item);
        return 0;
    }
    if (GaugeQuitRequested())
        return kUserQuit;
    // One file at a time, the copy would have stopped at an earlier file
    // that could not be put in place: that failure is the one to tell.
    if (WaitForPlacer(run->placer, 1) != 0)
        return kPlacingFailed;
    LogFailure("copy", source.c_str(), final.c_str(), error);
    return static_cast<int>(error);
}

// A copy that could not be put in place comes before any later failure.
int StopPlacing(CopyRun* run, int result)
{
    std::string final;
    DWORD error = StopCopyPlacer(run->placer, &final);
    run->placer = NULL;
    if (error == 0)
        return result;
    LogFailure("replace", final.c_str(), NULL, error);
    return result == kUserQuit ? kUserQuit : static_cast<int>(error);
}

// Prepares a destination and starts its journal, shared by every pair of
// directories with that destination.
DWORD StartDestination(CopyRun* run, const std::vector<CopyDirs>& dirs, unsigned index)
{
    for (size_t i = 0; i < dirs.size(); ++i) {
        if (run->journals[i] != NULL && dirs[i].destUpper == dirs[index].destUpper) {
            run->journals[index] = run->journals[i];
            return 0;
        }
    }
    DWORD error = PrepareDestination(dirs[index]);
    if (error != 0)
        return error;
    run->journals[index] = OpenCopyJournal(dirs[index].dest, &error);
    if (error != 0)
        LogFailure("write the copy's journal in", WorkFolder(dirs[index]).c_str(), NULL, error);
    return error;
}

// A source that an earlier entry of the list writes is read once that copy
// is in place: the list's order holds although the placing runs behind.
DWORD WaitForEarlierCopy(CopyRun* run, const CopyDirs& pair, const CopyItem& item)
{
    std::string source = UpperName(pair.source.data(), pair.source.size()) + item.upper;
    if (run->pending.count(source) == 0)
        return 0;
    run->pending.clear();
    return WaitForPlacer(run->placer, 1);
}

// Notes the destinations that are also sources, for WaitForEarlierCopy.
void NotePending(CopyRun* run, const CopyDirs& pair, const CopyItem& item, const std::vector<bool>& isSource)
{
    if (isSource[item.dirs])
        run->pending.insert(pair.destUpper + item.upper);
}

// True for each pair whose destination is some pair's source.
std::vector<bool> DestinationsThatAreSources(const std::vector<CopyDirs>& dirs)
{
    std::vector<bool> result(dirs.size(), false);
    for (size_t i = 0; i < dirs.size(); ++i)
        for (const CopyDirs& other : dirs)
            if (UpperName(other.source.data(), other.source.size()) == dirs[i].destUpper)
                result[i] = true;
    return result;
}

// Writes the items one after the other, each handed to the placer; answers
// as CopyOne.
int CopyItems(CopyRun* run, std::vector<bool>* made)
{
    const std::vector<CopyDirs>& dirs = CopyListDirs();
    const std::vector<CopyItem>& items = CopyListItems();
    std::vector<bool> isSource = DestinationsThatAreSources(dirs);
    for (size_t i = 0; i < items.size(); ++i) {
        const CopyItem& item = items[i];
        const CopyDirs& pair = dirs[item.dirs];
        if (i == 0 || RefreshDue(run) || GaugeMessageWaiting()) {
            GaugeShowFile((pair.dest + item.name).c_str(), static_cast<int>(i));
            ShowBytes(*run, run->doneBefore);
            GaugePump();
        }
        if (GaugeQuitRequested())
            return kUserQuit;
        if (!(*made)[item.dirs]) {
            DWORD error = StartDestination(run, dirs, item.dirs);
            if (error != 0)
                return static_cast<int>(error);
            (*made)[item.dirs] = true;
        }
        if (!run->pending.empty() && WaitForEarlierCopy(run, pair, item) != 0)
            return kPlacingFailed;
        // The slot's earlier copy is placed once fewer than kSlots wait.
        if (WaitForPlacer(run->placer, kSlots) != 0)
            return kPlacingFailed;
        int result = CopyOne(pair, item, i % kSlots, run);
        if (result != 0)
            return result;
        NotePending(run, pair, item, isSource);
        run->doneBefore += item.size;
    }
    return 0;
}

// Closes the journals; without a caller to decide, the copy is final.
void EndDestinations(CopyRun* run, const std::vector<bool>& made)
{
    const std::vector<CopyDirs>& dirs = CopyListDirs();
    for (size_t i = 0; i < dirs.size(); ++i) {
        if (!made[i])
            continue;
        bool first = true;
        for (size_t j = 0; j < i; ++j)
            if (run->journals[j] == run->journals[i] && made[j])
                first = false;
        if (!first)
            continue;
        CloseCopyJournal(run->journals[i]);
        RemoveWorkFolder(dirs[i]);
        if (!g_keepForRollBack)
            CommitCopyJournal(dirs[i].dest);
    }
}

int CopyAll()
{
    const std::vector<CopyDirs>& dirs = CopyListDirs();
    CopyRun run = { 0, 0, GetTickCount(), std::vector<char>(kBufferBytes), NULL,
                    std::vector<CopyJournal*>(dirs.size(), NULL), {} };
    for (const CopyItem& item : CopyListItems())
        run.total += item.size;
    std::vector<bool> made(dirs.size(), false);
    run.placer = StartCopyPlacer();
    if (!GaugeOpen(g_frame, static_cast<int>(CopyListItems().size())))
        LogLine("The copy progress gauge cannot be shown (error %lu); copying without it.",
                static_cast<unsigned long>(GetLastError()));
    int result;
    try {
        result = CopyItems(&run, &made);
    } catch (const std::bad_alloc&) {
        LogLine("Not enough memory to copy the files.");
        result = ERROR_NOT_ENOUGH_MEMORY;
    }
    result = StopPlacing(&run, result);
    if (result == 0) {
        ShowBytes(run, run.total);
        // A press on the quit button before the end is honoured.
        if (!GaugePump())
            result = kUserQuit;
    }
    EndDestinations(&run, made);
    GaugeClose();
    return result;
}

// The directory with exactly one trailing backslash.
bool DestinationOf(LPCSTR directory, std::string* dest)
{
    if (directory == NULL || directory[0] == '\0' || lstrlenA(directory) >= MAX_PATH - 1)
        return false;
    dest->assign(directory);
    if (!EndsInBackslash(directory))
        dest->push_back('\\');
    return true;
}

} // namespace

bool CopyKeepsEarlierVersions()
{
    return g_keepForRollBack;
}

extern "C" TK_INS VOID WINAPI SetCopyKeepsEarlierVersions(BOOL keep)
{
    g_keepForRollBack = keep != FALSE;
}

extern "C" TK_INS BOOL WINAPI FCommitCopy(LPCSTR directory)
{
    std::string dest;
    return DestinationOf(directory, &dest) && CommitCopyJournal(dest);
}

extern "C" TK_INS BOOL WINAPI FRollBackCopy(LPCSTR directory)
{
    std::string dest;
    return DestinationOf(directory, &dest) && RollBackCopyJournal(dest);
}

extern "C" TK_INS int WINAPI GrcCopyFilesInCopyList(HINSTANCE instance)
{
    const std::vector<CopyItem>& items = CopyListItems();
    if (CopyMode() == 0 || items.empty())
        return 0;
    g_failure.clear();
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

extern "C" TK_INS int WINAPI CbGetCopyFailure(LPSTR buffer, int size)
{
    if (buffer == NULL || size <= 0)
        return 0;
    lstrcpynA(buffer, g_failure.c_str(), size);
    return lstrlenA(buffer);
}

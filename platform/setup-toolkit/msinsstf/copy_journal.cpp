// What a copy changed in one destination directory, noted in its work folder
// before each change: "N name" before a new file is placed, "K n name" before
// the earlier version of name is moved aside to keep<n>. A copy that fails,
// or whose program is stopped at any moment, can so be undone from the disk
// alone; the journal is deleted first when the copy is made final, so a
// stop after that point never undoes a finished copy.
#include "internal.h"
#include "setuptk.h"

#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <unordered_set>

namespace {

const char kJournal[] = "\\journal";
// Beside the final name: it must outlast the work folder until the restart.
const char kPendingPrefix[] = "~new.";

bool g_placeAtRestart = false;
// Final paths of this process's copies that wait for a restart.
std::vector<std::string> g_placedAtRestart;
const char kKeep[] = "\\keep";

std::string KeptName(const std::string& work, unsigned number)
{
    char digits[16];
    wnsprintfA(digits, sizeof digits, "%u", number);
    return work + kKeep + digits;
}

bool AppendLine(HANDLE journal, const char* text)
{
    DWORD written = 0;
    DWORD length = static_cast<DWORD>(std::strlen(text));
    return WriteFile(journal, text, length, &written, NULL) && written == length;
}

// Every file of the work folder, then the folder.
void EmptyWorkFolder(const std::string& work)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((work + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            std::string path = work + "\\" + found.cFileName;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            // An earlier version still loaded by a program goes at the restart.
            if (!DeleteFileA(path.c_str()))
                MoveFileExA(path.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(work.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!RemoveDirectoryA(work.c_str()))
        MoveFileExA(work.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}

std::string ReadJournal(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0)
        text.append(chunk, got);
    CloseHandle(file);
    return text;
}

// Undoes one line of the journal.
bool UndoLine(const std::string& dest, const std::string& work, const std::string& line)
{
    unsigned number = 0;
    char name[MAX_PATH];
    if (line.size() > 2 && line.compare(0, 2, "P ") == 0) {
        std::string pending = dest + kPendingPrefix + line.substr(2);
        DeleteFileA(pending.c_str());
        return true;
    }
    if (line.size() > 2 && line.compare(0, 2, "N ") == 0) {
        std::string final = dest + line.substr(2);
        SetFileAttributesA(final.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileA(final.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    if (std::sscanf(line.c_str(), "K %u %259[^\r\n]", &number, name) != 2)
        return true;
    std::string kept = KeptName(work, number);
    if (GetFileAttributesA(kept.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    std::string final = dest + name;
    SetFileAttributesA(final.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (MoveFileExA(kept.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    LogLine("Cannot put the earlier version of %s back (error %lu).", final.c_str(),
            static_cast<unsigned long>(GetLastError()));
    return false;
}

} // namespace

struct CopyJournal {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string dest;                        // ends in a backslash
    std::string work;
    unsigned kept = 0;
    // Upper-case names already in the directory when the copy began.
    std::unordered_set<std::string> present;
};

std::string CopyWorkFolder(const std::string& dest)
{
    return dest + "~stfcopy.tmp";
}

CopyJournal* OpenCopyJournal(const std::string& dest, DWORD* error)
{
    CopyJournal* journal = new CopyJournal;
    journal->dest = dest;
    journal->work = CopyWorkFolder(dest);
    // One listing instead of a look-up per name (each costs a listing under Wine).
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dest + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                journal->present.insert(UpperName(found.cFileName, std::strlen(found.cFileName)));
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    journal->file = CreateFileA((journal->work + kJournal).c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    *error = journal->file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (*error != 0) {
        delete journal;
        return NULL;
    }
    return journal;
}

void CloseCopyJournal(CopyJournal* journal)
{
    if (journal == NULL)
        return;
    CloseHandle(journal->file);
    delete journal;
}

DWORD KeepEarlierVersion(CopyJournal* journal, const std::string& name, const std::string& upper, bool* kept)
{
    *kept = false;
    char line[MAX_PATH + 32];
    bool earlier = journal->present.count(upper) != 0;
    unsigned number = journal->kept;
    if (earlier)
        wnsprintfA(line, sizeof line, "K %u %s\r\n", number, name.c_str());
    else
        wnsprintfA(line, sizeof line, "N %s\r\n", name.c_str());
    if (!AppendLine(journal->file, line))
        return GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
    if (!earlier)
        return 0;
    std::string final = journal->dest + name;
    if (!MoveFileExA(final.c_str(), KeptName(journal->work, number).c_str(), 0)) {
        DWORD error = GetLastError();
        // Gone since the listing: nothing to keep.
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    ++journal->kept;
    *kept = true;
    return 0;
}

DWORD NotePlacedAtRestart(CopyJournal* journal, const std::string& name, std::string* pending)
{
    char line[MAX_PATH + 32];
    wnsprintfA(line, sizeof line, "P %s\r\n", name.c_str());
    if (!AppendLine(journal->file, line))
        return GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
    *pending = journal->dest + kPendingPrefix + name;
    g_placedAtRestart.push_back(journal->dest + name);
    return 0;
}

bool CopyPlacesFilesInUseAtRestart()
{
    return g_placeAtRestart;
}

extern "C" TK_INS VOID WINAPI SetCopyPlacesFilesInUseAtRestart(BOOL place)
{
    g_placeAtRestart = place != FALSE;
    g_placedAtRestart.clear();
}

extern "C" TK_INS int WINAPI CFilesPlacedAtRestart(void)
{
    return static_cast<int>(g_placedAtRestart.size());
}

extern "C" TK_INS BOOL WINAPI FGetFilePlacedAtRestart(int index, LPSTR path, int size)
{
    if (index < 0 || static_cast<size_t>(index) >= g_placedAtRestart.size() || path == NULL || size <= 0)
        return FALSE;
    const std::string& final = g_placedAtRestart[index];
    if (final.size() >= static_cast<size_t>(size))
        return FALSE;
    lstrcpynA(path, final.c_str(), size);
    return TRUE;
}

void ReturnEarlierVersion(CopyJournal* journal, const std::string& name)
{
    std::string final = journal->dest + name;
    std::string kept = KeptName(journal->work, journal->kept - 1);
    MoveFileExA(kept.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool HasCopyJournal(const std::string& dest)
{
    return GetFileAttributesA((CopyWorkFolder(dest) + kJournal).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CommitCopyJournal(const std::string& dest)
{
    std::string work = CopyWorkFolder(dest);
    std::string journal = work + kJournal;
    if (!DeleteFileA(journal.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND
        && GetLastError() != ERROR_PATH_NOT_FOUND)
        return false;
    EmptyWorkFolder(work);
    return true;
}

bool RollBackCopyJournal(const std::string& dest)
{
    std::string work = CopyWorkFolder(dest);
    std::string journal = work + kJournal;
    std::string text = ReadJournal(journal);
    // A last line cut short by a stop was never acted on.
    size_t complete = text.rfind('\n');
    text.resize(complete == std::string::npos ? 0 : complete + 1);
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        size_t length = end - start;
        if (length > 0 && text[end - 1] == '\r')
            --length;
        lines.push_back(text.substr(start, length));
        start = end + 1;
    }
    bool whole = true;
    // Last change first: a name placed twice gets its first earlier version.
    for (size_t i = lines.size(); i-- > 0;)
        if (!UndoLine(dest, work, lines[i]))
            whole = false;
    if (!whole)
        return false;
    DeleteFileA(journal.c_str());
    EmptyWorkFolder(work);
    return true;
}

// State and helpers shared by the parts of MSINSSTF.DLL.
#ifndef MSINSSTF_INTERNAL_H
#define MSINSSTF_INTERNAL_H

#include <windows.h>
#include <string>
#include <vector>

// The module's own handle (its resources, its "stext" class).
extern HINSTANCE g_module;
// The frame given to FInitializeInstall: owner of the progress gauge.
extern HWND g_frame;

// ---- text.cpp ---------------------------------------------------------
// Writes one line to the toolkit log (printf-style, cut at 1023 bytes).
void LogLine(const char* format, ...);
// True when text ends in a backslash that is a character of its own.
bool EndsInBackslash(const char* text);
// A name that can stand as one file or folder name: no separators, reserved
// or control characters, not only dots; double-byte characters are whole.
bool IsPlainFileName(const char* name, size_t length, size_t longest);
// Upper-cases an ANSI name (ASCII fast path, the system for the rest).
std::string UpperName(const char* text, size_t length);
// Decimal text of a 64-bit count.
void FormatCount(unsigned long long value, char* buffer, size_t size);
// The system's message for a Win32 error, without its line break.
void DescribeError(DWORD error, char* buffer, size_t size);

// ---- inf.cpp ----------------------------------------------------------
struct InfFileEntry {
    std::string name;
    unsigned long long size;
};
struct InfSection {
    std::string name;                 // as written
    std::string upper;                // for look-up
    bool fileList;                    // false for [Version]
    std::vector<InfFileEntry> files;
};
struct InfDocument {
    std::string path;
    std::vector<InfSection> sections;
};
// Reads and checks a whole .inf file; on failure logs the file and line.
bool ParseInfFile(const char* path, InfDocument* document);
// The open .inf, or NULL.
const InfDocument* OpenInf();
void CloseInf();
const InfSection* FindInfSection(const InfDocument& document, const char* name);

// ---- copylist.cpp -----------------------------------------------------
struct CopyDirs {
    std::string source;        // both end in a backslash
    std::string dest;
    std::string destUpper;
};
struct CopyItem {
    unsigned dirs;             // index into CopyListDirs()
    std::string name;
    std::string upper;
    unsigned long long size;
};
const std::vector<CopyDirs>& CopyListDirs();
const std::vector<CopyItem>& CopyListItems();
void ClearCopyList();
int CopyMode();
// The copy keeps earlier versions aside until FCommitCopy (copy.cpp).
bool CopyKeepsEarlierVersions();

// ---- copy_file.cpp -----------------------------------------------------
// Told the bytes of the current file copied so far; answers false to stop.
typedef bool (*CopyProgressRoutine)(void* context, unsigned long long done);
// Copies source into temporary, created anew in a folder of the copy's own;
// on success *written is the temporary, open, whole and not yet in place.
// Answers 0, the Win32 error, or ERROR_CANCELLED when told to stop; on
// failure no temporary is left.
DWORD WriteTemporary(const std::string& source, const std::string& temporary, std::vector<char>* buffer,
                     CopyProgressRoutine progress, void* context, HANDLE* written);
// Moves the earlier version of final aside (journal), renames a written
// temporary to final and closes it; when it cannot, the temporary is deleted
// and final left as it was.
struct CopyJournal;
DWORD PlaceTemporary(HANDLE written, const std::string& temporary, const std::string& final, CopyJournal* journal,
                     const CopyItem& item);
// Closes and deletes a written temporary that is not to be placed.
void DiscardWrittenTemporary(HANDLE written, const std::string& temporary);

// ---- copy_journal.cpp --------------------------------------------------
// The work folder of a destination directory ("~stfcopy.tmp", no trailing
// backslash); dest ends in one.
std::string CopyWorkFolder(const std::string& dest);
// Starts the journal of a destination whose work folder exists, noting the
// names already there; NULL with *error when it cannot be written.
CopyJournal* OpenCopyJournal(const std::string& dest, DWORD* error);
void CloseCopyJournal(CopyJournal* journal);
// Notes the change, then moves an earlier version of the name aside.
DWORD KeepEarlierVersion(CopyJournal* journal, const std::string& name, const std::string& upper, bool* kept);
// Notes a new version that waits under *pending for the next restart.
DWORD NotePlacedAtRestart(CopyJournal* journal, const std::string& name, std::string* pending);
bool CopyPlacesFilesInUseAtRestart();
// Puts the version just kept aside back in place.
void ReturnEarlierVersion(CopyJournal* journal, const std::string& name);
bool HasCopyJournal(const std::string& dest);
// Makes a copy final (the journal goes first, then what was kept aside and
// the work folder), or undoes it from its journal; both work from the disk
// alone, after a stopped program too.
bool CommitCopyJournal(const std::string& dest);
bool RollBackCopyJournal(const std::string& dest);

// ---- copy_placer.cpp ----------------------------------------------------
// Puts written temporaries in place on a thread of its own, in the order
// they were written, while the next file is being written.
struct CopyPlacer;
CopyPlacer* StartCopyPlacer();
// Hands over a written temporary; the placer owns it from then on.
void PlaceLater(CopyPlacer* placer, HANDLE written, const std::string& temporary, const std::string& final,
                CopyJournal* journal, const CopyItem* item);
// Waits until fewer than count temporaries wait to be placed; answers the
// first placing error so far, or 0.
DWORD WaitForPlacer(CopyPlacer* placer, size_t count);
// Places what was handed over (everything after a failure is discarded),
// ends the thread and frees the placer; answers the first placing error,
// with its final name in *final, or 0.
DWORD StopCopyPlacer(CopyPlacer* placer, std::string* final);

// ---- gauge.cpp ----------------------------------------------------------
bool GaugeOpen(HWND owner, int fileCount);
void GaugeClose();
// Shows the file being copied and the share of the total done (0..1000).
void GaugeShowFile(const char* path, int index);
void GaugeShowProgress(int perMille);
// Handles waiting messages; answers false once the user asked to quit.
bool GaugePump();
bool GaugeQuitRequested();
// A click, key or message waits: cheap enough to ask between chunks.
bool GaugeMessageWaiting();
void GaugeSetPosition(int x, int y);

// ---- stext.cpp ----------------------------------------------------------
bool RegisterStextClass();

#endif

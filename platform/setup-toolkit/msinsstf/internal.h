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

// ---- copy_file.cpp -----------------------------------------------------
// Told the bytes of the current file copied so far; answers false to stop.
typedef bool (*CopyProgressRoutine)(void* context, unsigned long long done);
struct FileCopyResult {
    DWORD error;        // 0, the Win32 error, or ERROR_CANCELLED when stopped
    bool replacing;     // the error came from putting the copy in place
};
// Copies source to temporary (created anew in a folder of the copy's own)
// and renames it over final; on failure no temporary copy is left.
FileCopyResult CopyThroughTemporary(const std::string& source, const std::string& temporary,
                                    const std::string& final, std::vector<char>* buffer,
                                    CopyProgressRoutine progress, void* context);

// ---- gauge.cpp ----------------------------------------------------------
bool GaugeOpen(HWND owner, int fileCount);
void GaugeClose();
// Shows the file being copied and the share of the total done (0..1000).
void GaugeShowFile(const char* path, int index);
void GaugeShowProgress(int perMille);
// Handles waiting messages; answers false once the user asked to quit.
bool GaugePump();
bool GaugeQuitRequested();
void GaugeSetPosition(int x, int y);

// ---- stext.cpp ----------------------------------------------------------
bool RegisterStextClass();

#endif

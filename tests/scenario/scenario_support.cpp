#include "scenario/scenario_support.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace scenario {

void RemoveDirectoryTree(const std::string &directory)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = directory + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryTree(path);
            else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

std::string CopyDistribution(const std::string &directory, const std::vector<std::string> &leaveOut)
{
    RemoveDirectoryTree(directory);
    CreateDirectoryA(directory.c_str(), NULL);
    std::string dist = robot::DistDirectory();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dist + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return directory;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        bool skip = false;
        for (const std::string &name : leaveOut)
            skip = skip || lstrcmpiA(name.c_str(), found.cFileName) == 0;
        if (!skip)
            CopyFileA((dist + "\\" + found.cFileName).c_str(), (directory + "\\" + found.cFileName).c_str(),
                      FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return directory;
}

std::string MifPath()
{
    char windowsDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
    return std::string(windowsDir) + "\\DORURE60.MIF";
}

std::vector<std::string> MifLines()
{
    return robot::SplitLines(robot::ReadWholeFile(MifPath()));
}

std::string LoadText(UINT id)
{
    char text[1024] = "";
    HMODULE library = LoadLibraryA("HFNTSET.DLL");
    if (library) {
        LoadStringA(library, id, text, sizeof(text));
        FreeLibrary(library);
    }
    return text;
}

std::string FormatText(UINT id, ...)
{
    char text[1024];
    va_list args;
    va_start(args, id);
    vsnprintf(text, sizeof(text), LoadText(id).c_str(), args);
    va_end(args);
    return text;
}

std::string InstallFailedText(UINT step, DWORD error, UINT note)
{
    char system[200] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, system,
                   sizeof(system), NULL);
    std::string reason = system;
    while (!reason.empty() && strchr(" \r\n.", reason.back()))
        reason.pop_back();
    reason += " (Windows error " + std::to_string(error) + ").";
    return FormatText(10173, LoadText(step).c_str(), reason.c_str()) + " " + LoadText(note);
}

std::vector<std::string> LogLines()
{
    // An entry's further lines are indented to where its text starts.
    const std::string continuation(21, ' ');
    std::vector<std::string> texts;
    for (const std::string &line : robot::SplitLines(robot::ReadWholeFile(LogPath))) {
        if (!texts.empty() && line.compare(0, continuation.size(), continuation) == 0) {
            texts.back() += "\n" + line.substr(continuation.size());
            continue;
        }
        size_t start = line.find("  ");
        texts.push_back(start == std::string::npos ? line : line.substr(start + 2));
    }
    return texts;
}

bool LogHas(const std::string &text)
{
    for (const std::string &line : LogLines())
        if (line == text)
            return true;
    return false;
}

void ForgetEarlierRuns()
{
    DeleteFileA(LogPath);
    DeleteFileA(MifPath().c_str());
}

void WriteTextFile(const std::string &path, const std::string &content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    WriteFile(file, content.data(), (DWORD)content.size(), &written, NULL);
    CloseHandle(file);
}

}  // namespace scenario

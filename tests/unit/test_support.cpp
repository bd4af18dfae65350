#include "unit/test_support.h"

#include "platform/setup-toolkit/setuptk.h"
#include "setup/toolkit/toolkit.h"

namespace support {

void FreshState()
{
    ResetSetupState();
    SetupState.ResourceLibrary = LoadLibraryA("HFNTSET.DLL");
    LoadRegistryFunctions();
}

void ReleaseState()
{
    if (FLogFileOpen())
        FCloseLogFile();
    UnloadRegistryFunctions();
    if (SetupState.ResourceLibrary)
        FreeLibrary(SetupState.ResourceLibrary);
    ResetSetupState();
}

std::string MifPath()
{
    char windowsDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
    return std::string(windowsDir) + "\\DORURE60.MIF";
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

// Log lines carry a time stamp and two blanks before the text.
std::vector<std::string> LogLines()
{
    std::vector<std::string> texts;
    for (const std::string &line : robot::SplitLines(robot::ReadWholeFile(LogPath))) {
        size_t start = line.find("  ");
        texts.push_back(start == std::string::npos ? line : line.substr(start + 2));
    }
    return texts;
}

void DeleteLog()
{
    DeleteFileA(LogPath);
}

void DeleteMif()
{
    DeleteFileA(MifPath().c_str());
}

void WriteFile(const std::string &path, const std::string &content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    ::WriteFile(file, content.data(), (DWORD)content.size(), &written, NULL);
    CloseHandle(file);
}

}  // namespace support

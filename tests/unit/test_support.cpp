#include "unit/test_support.h"

#include "platform/setup-toolkit/setuptk.h"
#include "scenario/scenario_support.h"
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
    return scenario::MifPath();
}

std::string LoadText(UINT id)
{
    return scenario::LoadText(id);
}

std::vector<std::string> LogLines()
{
    return scenario::LogLines();
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
    scenario::WriteTextFile(path, content);
}

}  // namespace support

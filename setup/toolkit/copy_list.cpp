#include "platform/setup-toolkit/setuptk.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

void PlaceProgressGauge(void)
{
    RECT frame;
    GetWindowRect(SetupState.FrameWindow, &frame);
    ProSetPos((frame.right - frame.left) / 5, (frame.bottom - frame.top) / 4);
}

void BuildCopyList(void)
{
    char infPath[SETUP_PATH_SIZE];
    ResetCopyList();
    // Earlier versions stay until the install has succeeded, and their room
    // is counted with the new files'.
    SetCopyKeepsEarlierVersions(TRUE);
    JoinPath(infPath, sizeof(infPath), SetupState.SourceDir, "setup.inf");
    OpenSourceInf(infPath);
    AddSectionFilesToCopyList("Files", SetupState.SourceDir, SetupState.InstallDir);
}

void PrepareCopyList(void)
{
    HCURSOR cursor = HShowWaitCursor();
    BuildCopyList();
    PlaceProgressGauge();
    RestoreCursor(cursor);
}

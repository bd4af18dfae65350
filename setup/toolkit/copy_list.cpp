#include "platform/setup-toolkit/setuptk.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

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
    // The gauge is left where the toolkit puts it: centred over the frame.
    BuildCopyList();
    RestoreCursor(cursor);
}

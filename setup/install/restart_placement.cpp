// Agent files that another program holds (the agent's library loaded by SQL
// Server is the common case) are placed by Windows at the next restart; the
// run then succeeds, says that a restart completes it, and leaves the
// services it stopped stopped, so that the agent never runs on a mixed set.
#include <shlwapi.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/exit_code.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"

void NoteFilesPlacedAtRestart(void)
{
    int count = CFilesPlacedAtRestart();
    for (int i = 0; i < count; i++) {
        char path[SETUP_PATH_SIZE + 16];
        if (FGetFilePlacedAtRestart(i, path, sizeof(path)))
            LogSetupMessage("%s is in use by another program: Windows puts its new version in place when it "
                            "restarts.", path);
    }
    if (count == 0)
        return;
    NoteRestartNeeded();
    LogSetupMessage("The agent's services stay stopped until Windows restarts.");
}

bool DescribeRestartNeeded(LPSTR text, int size)
{
    char format[256], path[SETUP_PATH_SIZE + 16];
    if (!SetupState.RestartNeeded || !FGetFilePlacedAtRestart(0, path, sizeof(path)))
        return false;
    LoadSetupString(IDS_RESTART_COMPLETES, format, sizeof(format));
    wnsprintfA(text, size, format, path);
    text[size - 1] = '\0';
    return true;
}

#include <shlwapi.h>

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/unattended/unattended.h"

// The first problem names what went wrong; a count tells that there was more
// (the status file has room for one description only).
void ComposeRunFailure(LPSTR description, int size)
{
    char suffix[64] = "";
    if (SetupState.RunFailureCount > 1) {
        char format[48];
        LoadSetupString(IDS_MORE_PROBLEMS, format, sizeof(format));
        wnsprintfA(suffix, sizeof(suffix), format, SetupState.RunFailureCount - 1);
        suffix[sizeof(suffix) - 1] = '\0';
    }
    int room = size - lstrlenA(suffix);
    lstrcpynA(description, SetupState.RunFailure, room > 0 ? room : 1);
    lstrcatA(description, suffix);
}

void AppendRunOutcome(void)
{
    char description[MIF_DESCRIPTION_SIZE];
    if (!RunHasFailed()) {
        if (!DescribeRestartNeeded(description, sizeof(description)))
            description[0] = '\0';
        AppendMifStatus(1, description);
        return;
    }
    ComposeRunFailure(description, sizeof(description));
    AppendMifStatus(0, description);
}

void EndRunWithFailure(LPCSTR text)
{
    FatalSetupErrorWithText(text);
}

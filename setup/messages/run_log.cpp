// The log's first and last lines: an administrator who reads the logs of
// many servers sees at once which version ran, how, from where, how it
// ended and how long it took.
#include <shlwapi.h>

#include "product.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/unattended/unattended.h"

void LogRunStart(void)
{
    SetupState.RunStartTick = GetTickCount();
    // The command line carries file names and keywords only: no password
    // is ever given on it.
    LogSetupMessage("Setup %s (build %s) started with the command line: %s", PRODUCT_VERSION, PRODUCT_BUILD,
                    GetCommandLineA());
    LogSetupMessage("Distribution directory: %s", SetupState.SourceDir);
}

void NoteRunEnd(LPCSTR failure)
{
    lstrcpynA(SetupState.RunEndFailure, failure, sizeof(SetupState.RunEndFailure));
}

// Success or Failed with the first problem, as the status file says it; a
// run left before its end says so.
static void DescribeOutcome(LPSTR text, int size)
{
    char description[sizeof(SetupState.RunFailure) + 64];
    if (SetupState.RunEndFailure[0]) {
        wnsprintfA(text, size, "Failed: %s", SetupState.RunEndFailure);
    } else if (RunHasFailed()) {
        ComposeRunFailure(description, sizeof(description));
        wnsprintfA(text, size, "Failed: %s", description);
    } else if (SetupState.RoadCompleted) {
        lstrcpynA(text, "Success", size);
    } else {
        lstrcpynA(text, "Ended before its end: nothing was installed or removed", size);
    }
    text[size - 1] = '\0';
}

void LogRunEnd(void)
{
    char outcome[SETUP_LOGTEXT_SIZE];
    DescribeOutcome(outcome, sizeof(outcome));
    DWORD seconds = (GetTickCount() - SetupState.RunStartTick + 500) / 1000;
    LogSetupMessage("Outcome: %s (the run took %lu min %lu s)", outcome, seconds / 60, seconds % 60);
}

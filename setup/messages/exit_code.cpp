#include "setup/messages/exit_code.h"

#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"

void SetRunEnding(DWORD code)
{
    SetupState.RunEnding = code;
}

void NoteRestartNeeded(void)
{
    SetupState.RestartNeeded = 1;
}

DWORD SetupExitCode(void)
{
    DWORD ending = SetupState.RunEnding;
    // What a run left undone outweighs a cancel that came after it.
    if ((ending == ERROR_SUCCESS || ending == ERROR_INSTALL_USEREXIT) && RunHasFailed())
        return ERROR_INSTALL_FAILURE;
    if (ending == ERROR_SUCCESS && SetupState.RestartNeeded)
        return ERROR_SUCCESS_REBOOT_REQUIRED;
    return ending;
}

#include "setup/shell/setup_state.h"

#include <string.h>

SetupStateRecord SetupState;

void ResetSetupState(void)
{
    memset(&SetupState, 0, sizeof(SetupState));
    SetupState.RunFlags = RF_START_VALUE;
    SetupState.DestinationFirstDisplay = 1;
    SetupState.DestinationAccepted = 1;
}

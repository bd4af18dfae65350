#include "setup/shell/diagnostics.h"

#include <shlwapi.h>

bool DiagnosticsSwitchNames(LPCSTR variable, int step)
{
    char value[16];
    DWORD length = GetEnvironmentVariableA(variable, value, sizeof(value));
    return length > 0 && length < sizeof(value) && StrToIntA(value) == step;
}

void StopHereIfSwitched(int step)
{
    if (DiagnosticsSwitchNames("SETUP_STOP_AFTER_STEP", step))
        TerminateProcess(GetCurrentProcess(), STOPPED_AFTER_STEP_CODE);
}

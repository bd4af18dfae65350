/* Diagnostics switch for testing the callers' stop handling: the REG_DWORD
 * value "StopBehaviour" in the service's key
 * HKLM\SYSTEM\CurrentControlSet\Services\<service>\Parameters.
 *   missing or 0  stop normally: three stop-pending steps of 20 ms with a
 *                 growing checkpoint and a wait hint of 100 ms, then stopped;
 *   1             stuck stop: stop-pending with a checkpoint that never grows
 *                 (wait hint 500 ms) for 5 seconds, then stopped;
 *   2             refuse to stop: the service does not accept the stop
 *                 control and stays running;
 *   3             an absurd wait hint: stop-pending announcing one hour,
 *                 then stopped after one second;
 *   4             never stops: stop-pending with a checkpoint that grows
 *                 every second (wait hint 2 seconds), until the process
 *                 is ended.
 * Other values count as 0. */
#include "agent_service.h"
#include <stdio.h>

DWORD ReadStopBehaviour(LPCSTR serviceName)
{
    char keyPath[MAX_PATH];
    int length = snprintf(keyPath, sizeof(keyPath),
                          "SYSTEM\\CurrentControlSet\\Services\\%s\\Parameters", serviceName);
    if (length <= 0 || length >= (int)sizeof(keyPath))
        return STOP_NORMALLY;
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return STOP_NORMALLY;
    DWORD value = STOP_NORMALLY, type = 0, size = sizeof(value);
    LONG result = RegQueryValueExA(key, "StopBehaviour", NULL, &type, (BYTE *)&value, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
        return STOP_NORMALLY;
    return (value >= STOP_STUCK && value <= STOP_NEVER) ? value : STOP_NORMALLY;
}

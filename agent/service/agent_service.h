/* The agent's Windows NT service. One source serves both service programs;
 * AGENT_SERVICE_NAME, given by the build, is the service each one runs as. */
#ifndef AGENT_SERVICE_H
#define AGENT_SERVICE_H

#include <windows.h>

#include "product.h"

#ifndef AGENT_SERVICE_NAME
#define AGENT_SERVICE_NAME RPC_SERVICE_NAME
#endif

#define AGENT_TEXT_SIZE    256
#define AGENT_LOG_LINE     1024

/* Values of the diagnostics switch "StopBehaviour" (see stop_behaviour.cpp). */
#define STOP_NORMALLY      0
#define STOP_STUCK         1
#define STOP_REFUSED       2
#define STOP_ABSURD_HINT   3
#define STOP_NEVER         4

/* service_log.cpp */
BOOL GetAgentLogPath(char *path, DWORD size);
void WriteAgentLog(const char *format, ...);

/* service_config.cpp */
void UnscrambleText(const char *source, char *destination, int length);
void LogAgentConfiguration(void);

/* stop_behaviour.cpp */
DWORD ReadStopBehaviour(LPCSTR serviceName);

/* service_status.cpp */
BOOL OpenServiceStatus(LPCSTR serviceName, LPHANDLER_FUNCTION_EX handler);
void ReportServiceState(DWORD state, DWORD checkpoint, DWORD waitHint, DWORD controlsAccepted);

#endif

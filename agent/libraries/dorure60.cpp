/* dorure60.dll: the agent library that setup records in the "dll" value. */
#include <windows.h>

extern "C" LPCSTR WINAPI AgentVersion(void) { return "2.0"; }
extern "C" LPCSTR WINAPI AgentBuildNumber(void) { return "061"; }
extern "C" LPCSTR WINAPI AgentServerName(void) { return "MSSQLServer60"; }

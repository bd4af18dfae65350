/* dorure60.dll: the agent library that setup records in the "dll" value. */
#include <windows.h>

#include "product.h"

extern "C" LPCSTR WINAPI AgentVersion(void) { return PRODUCT_VERSION; }
extern "C" LPCSTR WINAPI AgentBuildNumber(void) { return PRODUCT_BUILD; }
extern "C" LPCSTR WINAPI AgentServerName(void) { return AGENT_SQL_SERVER; }

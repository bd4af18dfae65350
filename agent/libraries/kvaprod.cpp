/* kvaprod.dll: identifies the agent products of the family. */
#include <windows.h>

#define SQL_AGENT_PRODUCT 37

extern "C" DWORD WINAPI KvaProductCode(void) { return SQL_AGENT_PRODUCT; }

extern "C" LPCSTR WINAPI KvaProductName(DWORD product)
{
    return product == SQL_AGENT_PRODUCT ? "SQL_ZEduziz" : NULL;
}

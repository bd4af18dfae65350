/* kvaprod.dll: identifies the agent products of the family. */
#include <windows.h>

#include "product.h"

extern "C" DWORD WINAPI KvaProductCode(void) { return AGENT_PRODUCT_CODE; }

extern "C" LPCSTR WINAPI KvaProductName(DWORD product)
{
    return product == AGENT_PRODUCT_CODE ? AGENT_PRODUCT_VALUE : NULL;
}

/* KSSETUP.dll: registers agents of the family in the shared product list. */
#include <windows.h>
#include <stdlib.h>

#include "product.h"

/* Diagnostics switch: when the environment variable KSSETUP_FAIL_CODE holds
 * a number, registration answers that number and changes nothing. It lets a
 * test or a support engineer see how setup reports a refused registration. */
#define FAIL_CODE_VARIABLE  "KSSETUP_FAIL_CODE"

/* True when the diagnostics switch is set to a number; *code receives it. */
static BOOL ReadForcedFailCode(DWORD *code)
{
    char text[32];
    DWORD length = GetEnvironmentVariableA(FAIL_CODE_VARIABLE, text, sizeof(text));
    if (length == 0 || length >= sizeof(text))
        return FALSE;
    char *end = NULL;
    unsigned long value = strtoul(text, &end, 0);
    if (end == text || *end != '\0')
        return FALSE;
    *code = (DWORD)value;
    return TRUE;
}

static BOOL IsExistingDirectory(LPCSTR path)
{
    if (path == NULL || path[0] == '\0')
        return FALSE;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

/* Records the product's value in the family's product list. */
static DWORD WriteProductEntry(LPCSTR valueName, LPCSTR version)
{
    HKEY key = NULL;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, AGENT_PRODUCTS_KEY, 0, (LPSTR)AGENT_KEY_CLASS, 0,
                                  KEY_SET_VALUE, NULL, &key, &disposition);
    if (result != ERROR_SUCCESS)
        return (DWORD)result;
    result = RegSetValueExA(key, valueName, 0, REG_SZ, (const BYTE *)version,
                            (DWORD)lstrlenA(version) + 1);
    RegCloseKey(key);
    return (DWORD)result;
}

/* Ordinal 100. A reinstall rewrites the same entry, so the flag changes
 * nothing here; it is accepted for the callers that pass it. */
extern "C" DWORD WINAPI RegisterAgentProduct(DWORD product, DWORD reserved, LPCSTR systemDirectory,
                                             DWORD reinstall)
{
    DWORD forced = 0;
    if (ReadForcedFailCode(&forced))
        return forced;
    if (product != AGENT_PRODUCT_CODE)
        return ERROR_INVALID_PARAMETER;
    if (!IsExistingDirectory(systemDirectory))
        return ERROR_PATH_NOT_FOUND;
    return WriteProductEntry(AGENT_PRODUCT_VALUE, PRODUCT_VERSION);
}

/* Ordinal 101. Setup itself maintains the product list at removal. */
extern "C" DWORD WINAPI UnregisterAgentProduct(void)
{
    return ERROR_SUCCESS;
}

#include "setup/toolkit/toolkit.h"

bool ReadRegistryText(HKEY key, LPCSTR name, LPSTR text, DWORD size, DWORD *valueType)
{
    DWORD type = 0, length = size;
    if (size == 0 || RegQueryValueExA(key, name, NULL, &type, (LPBYTE)text, &length) != ERROR_SUCCESS)
        return false;
    if (valueType)
        *valueType = type;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    // A value stored without its terminator still needs room for one.
    if (length == 0 || text[length - 1] != '\0') {
        if (length >= size)
            return false;
        text[length] = '\0';
    }
    return true;
}

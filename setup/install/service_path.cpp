#include <string.h>

#include "setup/install/install.h"
#include "setup/toolkit/toolkit.h"

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

// ".exe" in any letter case, at the end or before a blank.
static bool IsExeEnd(LPCSTR p)
{
    return p[0] == '.' && LowerAscii(p[1]) == 'e' && LowerAscii(p[2]) == 'x' && LowerAscii(p[3]) == 'e' &&
           (p[4] == '\0' || p[4] == ' ');
}

// The service manager's own reading: a quoted program is what stands between
// the quotes; an unquoted one ends with ".exe" when arguments follow.
bool ServiceProgramOfImagePath(LPCSTR imagePath, LPSTR program, int size)
{
    while (*imagePath == ' ')
        imagePath++;
    LPCSTR start = imagePath, end = NULL;
    if (*imagePath == '"') {
        start = imagePath + 1;
        for (LPCSTR p = start; *p; p = CharNextA(p))
            if (*p == '"') {
                end = p;
                break;
            }
        if (!end)
            return false;
    } else {
        for (LPCSTR p = start; *p; p = CharNextA(p))
            if (IsExeEnd(p)) {
                end = p + 4;
                break;
            }
        if (!end) {
            end = start + lstrlenA(start);
            while (end > start && end[-1] == ' ')
                end--;
        }
    }
    int length = (int)(end - start);
    if (length == 0 || length >= size)
        return false;
    lstrcpynA(program, start, length + 1);
    return true;
}

// A program path with a blank goes in quotation marks: unquoted, the
// service manager would first try to run the text up to each blank as a
// program of its own ("C:\Program.exe" for "C:\Program Files\...").
bool ServiceImagePathOf(LPCSTR program, LPSTR imagePath, int size)
{
    int length = lstrlenA(program);
    bool quoted = strchr(program, ' ') != NULL;
    if (length + (quoted ? 2 : 0) >= size)
        return false;
    if (!quoted) {
        lstrcpyA(imagePath, program);
        return true;
    }
    imagePath[0] = '"';
    lstrcpyA(imagePath + 1, program);
    lstrcatA(imagePath, "\"");
    return true;
}

bool ReadServiceProgram(LPCSTR serviceKey, LPSTR program, int size)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, serviceKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char imagePath[SERVICE_IMAGE_PATH_SIZE], expanded[SERVICE_IMAGE_PATH_SIZE];
    DWORD type = 0;
    bool read = ReadRegistryText(key, "ImagePath", imagePath, sizeof(imagePath) - 1, &type);
    RegCloseKey(key);
    if (!read)
        return false;
    LPCSTR text = imagePath;
    if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsA(imagePath, expanded, sizeof(expanded));
        if (needed == 0 || needed > sizeof(expanded))
            return false;
        text = expanded;
    }
    return ServiceProgramOfImagePath(text, program, size);
}

#include "setup/pages/pages.h"

// The last character, found by walking the text (double-byte characters are
// stepped over whole), must be a backslash of its own.
BOOL EndsInBackslash(LPCSTR path)
{
    LPCSTR last = NULL;
    for (LPCSTR p = path; *p; p = CharNextA(p))
        last = p;
    return last && last[0] == '\\' && last[1] == '\0';
}

void AddTrailingBackslash(LPSTR path)
{
    if (!EndsInBackslash(path))
        lstrcatA(path, "\\");
}

void RemoveTrailingBackslash(LPSTR path)
{
    if (EndsInBackslash(path))
        path[lstrlenA(path) - 1] = '\0';
}

#include "setup/toolkit/toolkit.h"

// Callers keep their texts within the buffers; the copies are still bounded
// so that a mistake cuts the text instead of writing past the buffer.
static LPSTR JoinInto(LPSTR buffer, int size, LPCSTR const *parts, int count)
{
    buffer[0] = '\0';
    int used = 0;
    for (int i = 0; i < count && used < size - 1; i++) {
        lstrcpynA(buffer + used, parts[i] ? parts[i] : "", size - used);
        used += lstrlenA(buffer + used);
    }
    return buffer;
}

LPSTR JoinStrings(LPCSTR first, LPCSTR second)
{
    static char buffer[JOIN_STRINGS_SIZE];
    LPCSTR parts[] = {first, second};
    return JoinInto(buffer, sizeof(buffer), parts, 2);
}

LPSTR JoinStrings3(LPCSTR first, LPCSTR second, LPCSTR third)
{
    static char buffer[JOIN_STRINGS3_SIZE];
    LPCSTR parts[] = {first, second, third};
    return JoinInto(buffer, sizeof(buffer), parts, 3);
}

void TrimTrailingBlanks(LPSTR text)
{
    LPSTR runStart = NULL;
    for (LPSTR p = text; *p; p = CharNextA(p)) {
        if (*p == ' ') {
            if (!runStart)
                runStart = p;
        } else {
            runStart = NULL;
        }
    }
    if (runStart)
        *runStart = '\0';
}

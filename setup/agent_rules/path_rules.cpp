#include "setup/agent_rules/agent_rules.h"

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

// "X:\" and more: a path that names its drive and starts at its root, so it
// means the same whatever the current directory.
bool IsFullLocalPath(LPCSTR path)
{
    char letter = path[0];
    bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    return isLetter && path[1] == ':' && path[2] == '\\';
}

// A directory cut from a full path: "X:" (the root) or "X:\...".
bool IsFullLocalDirectory(LPCSTR directory)
{
    return directory[0] && directory[1] == ':' && (directory[2] == '\0' || IsFullLocalPath(directory));
}

// The last backslash of its own: the second byte of a double-byte character
// is no separator.
void CutAtLastBackslash(LPSTR path, LPSTR destination)
{
    LPSTR backslash = NULL;
    for (LPSTR p = path; *p; p = CharNextA(p))
        if (*p == '\\')
            backslash = p;
    if (!backslash)
        return;
    *backslash = '\0';
    lstrcpyA(destination, path);
}

bool JoinPath(LPSTR path, int size, LPCSTR directory, LPCSTR name)
{
    int directoryLength = lstrlenA(directory);
    bool separator = directoryLength > 0 && !EndsInBackslash(directory);
    if (directoryLength + (separator ? 1 : 0) + lstrlenA(name) >= size) {
        if (size > 0)
            path[0] = '\0';
        return false;
    }
    lstrcpyA(path, directory);
    if (separator)
        lstrcatA(path, "\\");
    lstrcatA(path, name);
    return true;
}

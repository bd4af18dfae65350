// Path tests. A well-formed path here is a full path on a drive letter:
// "X:\" followed by components separated by single backslashes. Paths are
// walked character by character so that the second byte of a double-byte
// character is never taken for a backslash or a forbidden character.
#include "setuptk.h"

namespace {

bool IsForbiddenInName(unsigned char c)
{
    if (c < 32)
        return true;
    switch (c) {
    case '<': case '>': case ':': case '"': case '|': case '?': case '*': case '/':
        return true;
    default:
        return false;
    }
}

// Checks the part after "X:\". allowTrailing: a final backslash may end it;
// allowEmpty: the part may be empty (a drive root).
bool ValidComponents(const char* p, bool allowTrailing, bool allowEmpty)
{
    if (*p == '\0')
        return allowEmpty;
    const char* start = p;      // first byte of the current component
    bool onlyDots = true;
    while (*p != '\0') {
        unsigned char c = static_cast<unsigned char>(*p);
        if (IsDBCSLeadByte(c)) {
            if (p[1] == '\0')
                return false;   // a lead byte cut off by the terminator
            onlyDots = false;
            p += 2;
            continue;
        }
        if (c == '\\') {
            size_t len = static_cast<size_t>(p - start);
            if (len == 0 || (onlyDots && len <= 2))
                return false;   // empty, "." or ".." component
            if (p[1] == '\0')
                return allowTrailing;
            start = p + 1;
            onlyDots = true;
            ++p;
            continue;
        }
        if (IsForbiddenInName(c))
            return false;
        if (c != '.')
            onlyDots = false;
        ++p;
    }
    size_t len = static_cast<size_t>(p - start);
    return !(onlyDots && len <= 2);
}

bool HasDriveRoot(LPCSTR path)
{
    char letter = path[0];
    bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    return isLetter && path[1] == ':' && path[2] == '\\';
}

bool FitsMaxPath(LPCSTR path)
{
    for (int i = 0; i < MAX_PATH; ++i)
        if (path[i] == '\0')
            return true;
    return false;
}

bool WellFormed(LPCSTR path, bool directory)
{
    if (path == NULL || !FitsMaxPath(path) || !HasDriveRoot(path))
        return false;
    return ValidComponents(path + 3, directory, directory);
}

} // namespace

extern "C" {

TK_DET BOOL WINAPI FValidPath(LPCSTR path)
{
    return WellFormed(path, false);
}

TK_DET BOOL WINAPI FValidDir(LPCSTR path)
{
    return WellFormed(path, true);
}

TK_DET BOOL WINAPI FDirExists(LPCSTR path)
{
    if (path == NULL || path[0] == '\0' || !FitsMaxPath(path))
        return FALSE;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TK_DET BOOL WINAPI FDoesFileExist(LPCSTR path, int mode)
{
    if (path == NULL || path[0] == '\0' || !FitsMaxPath(path))
        return FALSE;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return FALSE;
    if (mode == 0)
        return TRUE;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(file);
    return TRUE;
}

} // extern "C"

#include "setup/toolkit/toolkit.h"

// Files copied from a CD-ROM or a read-only share may carry the read-only
// attribute; a file of setup's own goes all the same. The attribute comes
// back when the file still cannot be deleted.
bool DeleteSetupFile(LPCSTR path)
{
    if (DeleteFileA(path))
        return true;
    DWORD error = GetLastError();
    DWORD attributes = GetFileAttributesA(path);
    bool readOnly = error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
                    (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (readOnly && SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY)) {
        if (DeleteFileA(path))
            return true;
        error = GetLastError();
        SetFileAttributesA(path, attributes);
    }
    SetLastError(error);
    return false;
}

// Drive tests: drive numbers count from 1 for A, as the install program
// computes them from the first letter of a path.
#include "setuptk.h"

namespace {

// The type of drive `drive`, or DRIVE_NO_ROOT_DIR for a number outside A..Z.
UINT DriveTypeOf(int drive)
{
    if (drive < 1 || drive > 26)
        return DRIVE_NO_ROOT_DIR;
    char root[4] = { static_cast<char>('A' + drive - 1), ':', '\\', '\0' };
    return GetDriveTypeA(root);
}

} // namespace

extern "C" {

TK_DET BOOL WINAPI FIsValidDrive(int drive)
{
    UINT type = DriveTypeOf(drive);
    return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
}

TK_DET BOOL WINAPI FIsRemoveDrive(int drive)
{
    return DriveTypeOf(drive) == DRIVE_REMOVABLE;
}

TK_DET BOOL WINAPI FIsRemoteDrive(int drive)
{
    return DriveTypeOf(drive) == DRIVE_REMOTE;
}

TK_DET BOOL WINAPI FGetLocalHardDrivesList(LPCSTR symbol)
{
    if (symbol == NULL || symbol[0] == '\0')
        return FALSE;
    FRemoveSymbol(symbol);
    DWORD present = GetLogicalDrives();
    for (int drive = 1; drive <= 26; ++drive) {
        if ((present & (1u << (drive - 1))) == 0 || DriveTypeOf(drive) != DRIVE_FIXED)
            continue;
        char item[2] = { static_cast<char>('A' + drive - 1), '\0' };
        if (!FAddListItem(symbol, item))
            return FALSE;
    }
    return TRUE;
}

} // extern "C"

// A refused destination is named in the box with the rule it breaks, so
// that the person can mend the one wrong part.
#include <shlwapi.h>

#include "resources/resource_ids.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/messages/messages.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

static bool StartsWithDrive(LPCSTR path)
{
    return path[0] && path[1] == ':' && path[2] == '\\';
}

// The first directory name the 8.3 rule refuses, each name measured on its
// own on drive C:; false when every name passes.
static bool FindRefusedName(LPCSTR path, LPSTR name, int size)
{
    LPCSTR start = path + 3;
    while (*start) {
        LPCSTR end = start;
        while (*end && *end != '\\')
            end = CharNextA(end);
        int length = (int)(end - start);
        char probe[SETUP_PATH_SIZE] = "C:\\";
        if (length + 4 > (int)sizeof(probe))
            length = (int)sizeof(probe) - 4;
        lstrcpynA(probe + 3, start, length + 1);
        if (!IsValid83Path(probe)) {
            lstrcpynA(name, probe + 3, size);
            return true;
        }
        if (!*end)
            break;
        start = end + 1;
    }
    return false;
}

static void ShowRefusal(UINT id, LPCSTR first, LPCSTR second)
{
    char format[256];
    LoadSetupString(id, format, sizeof(format));
    if (second)
        ShowSetupMessage(SetupState.CurrentPage, MB_ICONEXCLAMATION, format, first, second);
    else
        ShowSetupMessage(SetupState.CurrentPage, MB_ICONEXCLAMATION, format, first);
}

// The drive part: not a full path, a drive that does not exist, or one
// that is not a local hard drive.
static void RefuseDrive(LPCSTR path)
{
    char root[4] = {path[0], ':', '\\', '\0'};
    char drive[3] = {path[0], ':', '\0'};
    if (!StartsWithDrive(path))
        ShowRefusal(IDS_DEST_NOT_FULL, path, NULL);
    else if (!IsValidDrive(root))
        ShowRefusal(IDS_DEST_NO_DRIVE, drive, path);
    else
        ShowRefusal(IDS_DEST_BAD_DRIVE, path, NULL);
}

// The names: the root alone, an empty name, a name the 8.3 rule refuses,
// or a character Windows does not take.
static void RefuseNames(LPCSTR path)
{
    char name[SETUP_PATH_SIZE];
    if (!StartsWithDrive(path) || lstrlenA(path) <= 3)
        ShowRefusal(IDS_DEST_NOT_FULL, path, NULL);
    else if (!FindRefusedName(path, name, sizeof(name)))
        ShowRefusal(IDS_DEST_BAD_PATH, path, NULL);
    else if (!name[0])
        ShowRefusal(IDS_DEST_EMPTY_NAME, path, NULL);
    else
        ShowRefusal(IDS_DEST_BAD_NAME, name, path);
}

bool RefuseDestination(UINT id, LPCSTR path)
{
    if (id == IDS_DEST_BAD_DRIVE)
        RefuseDrive(path);
    else if (id == IDS_DEST_BAD_PATH)
        RefuseNames(path);
    else
        ShowRefusal(id, path, NULL);
    return false;
}

#include <string.h>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/pages/page_common.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

#define RULE_COPY_SIZE 256

bool DirectoryExists(LPCSTR path)
{
    char copy[RULE_COPY_SIZE];
    if (lstrlenA(path) >= RULE_COPY_SIZE)
        return false;
    lstrcpynA(copy, path, sizeof(copy));
    RemoveTrailingBackslash(copy);
    return FDirExists(copy) != FALSE;
}

// One component: a base of 1 to 12 characters and at most 3 after its first dot.
static bool IsValid83Component(LPCSTR start, int length)
{
    const char *dot = (const char *)memchr(start, '.', length);
    int baseLength = dot ? (int)(dot - start) : length;
    if (baseLength < 1 || baseLength > 12)
        return false;
    return !dot || length - baseLength - 1 <= 3;
}

bool IsValid83Path(LPCSTR path)
{
    char copy[RULE_COPY_SIZE];
    int length = lstrlenA(path);
    if (length < 4 || length >= RULE_COPY_SIZE || !strchr(path, ':'))
        return false;
    lstrcpynA(copy, path, sizeof(copy));
    if (copy[length - 1] == '\\')
        copy[--length] = '\0';
    const char *rest = strchr(copy, '\\');
    if (!rest)
        return false;
    while (rest) {
        const char *component = rest + 1;
        const char *next = strchr(component, '\\');
        int componentLength = next ? (int)(next - component) : lstrlenA(component);
        if (!IsValid83Component(component, componentLength))
            return false;
        rest = next;
    }
    return true;
}

bool ValidateDestination(LPCSTR path)
{
    if (lstrlenA(path) == 1)
        return RefuseDestination(IDS_DEST_EMPTY, path);
    char drive[4] = {path[0], ':', '\\', '\0'};
    if (!IsValidDrive(drive) || IsRemoteDrive(drive) || IsRemovableDrive(drive))
        return RefuseDestination(IDS_DEST_BAD_DRIVE, path);
    if (IsValid83Path(path) && FValidDir(path))
        return true;
    return RefuseDestination(IDS_DEST_BAD_PATH, path);
}

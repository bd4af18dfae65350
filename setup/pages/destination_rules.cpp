#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/messages/messages.h"
#include "setup/pages/page_common.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

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

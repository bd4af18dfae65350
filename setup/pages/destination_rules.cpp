#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/messages/messages.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

static bool RefuseDestination(UINT id)
{
    char text[256];
    LoadSetupString(id, text, sizeof(text));
    ShowSetupMessage(SetupState.CurrentPage, MB_ICONINFORMATION, text);
    return false;
}

bool ValidateDestination(LPCSTR path)
{
    if (lstrlenA(path) == 1)
        return RefuseDestination(IDS_DEST_EMPTY);
    char drive[4] = {path[0], ':', '\\', '\0'};
    if (!IsValidDrive(drive) || IsRemoteDrive(drive) || IsRemovableDrive(drive))
        return RefuseDestination(IDS_DEST_BAD_DRIVE);
    if (IsValid83Path(path) && FValidDir(path))
        return true;
    return RefuseDestination(IDS_DEST_BAD_PATH);
}

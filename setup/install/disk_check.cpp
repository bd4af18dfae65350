// An unattended install refuses a drive without room for the copy before it
// changes anything (the wizard's destination page asks the person instead).
#include <shlwapi.h>
#include <stdlib.h>

#include "resources/resource_ids.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"

void RefuseShortDiskSpace(void)
{
    char drive = SetupState.InstallDir[0];
    if (drive >= 'a' && drive <= 'z')
        drive = (char)(drive - 'a' + 'A');
    if (drive < 'A' || drive > 'Z')
        return;
    BuildCopyList();
    GetCopyListCost("EXTRAS", "COSTS", "NEEDED");
    char item[30] = "";
    GetListItem("NEEDED", drive - 'A' + 1, item, sizeof(item));
    unsigned long long missing = _strtoui64(item, NULL, 10);
    if (missing == 0)
        return;
    char format[512], text[512];
    LoadSetupString(IDS_UNATTENDED_NO_SPACE, format, sizeof(format));
    wnsprintfA(text, sizeof(text), format, drive, (unsigned long)((missing + 1023) / 1024));
    text[sizeof(text) - 1] = '\0';
    LogSetupMessage("%s", text);
    EndRunWithFailure(text);
}

#include <stdio.h>

#include "resources/resource_ids.h"
#include "setup/messages/exit_code.h"
#include "setup/messages/messages.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"

#define LICENSE_EVENT_SIZE 15

void ShowLicenseAgreement(void)
{
    HRSRC resource = FindResourceA(SetupState.ProgramInstance, MAKEINTRESOURCEA(IDR_LICENSE), "LICENSE");
    if (!resource)
        FatalSetupError(1024);
    HGLOBAL text = LoadResource(SetupState.ProgramInstance, resource);
    if (!text)
        FatalSetupError(1024);
    char handleText[32];
    snprintf(handleText, sizeof(handleText), "%lld", (long long)(LONG_PTR)LockResource(text));
    SetSymbolValue("LicenseHandle", handleText);

    char event[LICENSE_EVENT_SIZE];
    for (;;) {
        ShowToolkitDialog("hfntset.dll", IDD_LICENSE, "FLicenseDlgProc", 0, 0, event, sizeof(event));
        unsigned sum = DialogEventSum(event);
        if (sum == DLGEVENT_CONTINUE)
            break;
        if ((sum == DLGEVENT_CANCEL || sum == DLGEVENT_EXIT) && ConfirmExitSetup()) {
            KillAllDialogs();
            CleanupSetup();
            ExitProcess(SetupExitCode());
        }
    }
    KillDialogs(1);
}

#include "setup/messages/exit_code.h"
#include "setup/messages/messages.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/unattended/unattended.h"

static const char MissingResourceLibrary[] = "Faild to load HFNTSET.DLL";

// The string table is in the missing library: this text is our own. A quiet
// run has nobody to answer the box: the options (none for a usage request)
// are read first, so that it logs and reports the text instead.
[[noreturn]] static void EndWithoutResourceLibrary(LPSTR options)
{
    if (options && options[0])
        ParseSetupCommandLine(options);
    ShowSetupMessage(NULL, MB_TASKMODAL | MB_ICONHAND, MissingResourceLibrary);
    AppendMifStatus(0, MissingResourceLibrary);
    CleanupSetup();
    ExitProcess(ERROR_INSTALL_FAILURE);
}

int SetupWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    ResetSetupState();
    if (!commandLine)
        commandLine = (LPSTR) "";
    // A usage request touches nothing: no hand-over, log or status file.
    bool usage = AsksForUsage(commandLine);
    if (!usage) {
        DWORD handedOffCode;
        if (HandOffFromRemovalCopy(commandLine, &handedOffCode))
            return (int)handedOffCode;
        TakeHandOff(commandLine);
        ClaimSetupInstance();
    }
    SetupState.ProgramInstance = instance;

    SetupState.ResourceLibrary = LoadLibraryA("HFNTSET.DLL");
    if (!SetupState.ResourceLibrary)
        EndWithoutResourceLibrary(usage ? NULL : commandLine);
    if (usage) {
        ShowUsage();
        CleanupSetup();
        return ERROR_SUCCESS;
    }
    SetupState.FrameBitmap = LoadBitmapA(SetupState.ResourceLibrary, MAKEINTRESOURCEA(102));

    Ctl3dRegister(SetupState.ProgramInstance);
    Ctl3dAutoSubclass(SetupState.ProgramInstance);
    SetupState.Ctl3dRegistered = 1;

    SetupState.RunFlags = RF_START_VALUE;
    if (commandLine && commandLine[0]) {
        ParseSetupCommandLine(commandLine);
        commandLine[0] = '\0';
    }

    // A start-up check that refused the run has said why; unless it chose
    // another code, the run failed.
    if (!InitSetupInstance(SW_SHOWMAXIMIZED))
        return (int)(SetupState.RunEnding ? SetupState.RunEnding : ERROR_INSTALL_FAILURE);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    CleanupSetup();
    return (int)SetupExitCode();
}

#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/programs_and_features/programs_and_features.h"
#include "setup/shell/shell.h"
#include "setup/unattended/unattended.h"

static const char MissingResourceLibrary[] = "Faild to load HFNTSET.DLL";

int SetupWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    ResetSetupState();
    if (!commandLine)
        commandLine = (LPSTR) "";
    if (HandOffFromRemovalCopy(commandLine))
        return 0;
    TakeHandOff(commandLine);
    ClaimSetupInstance();
    SetupState.ProgramInstance = instance;

    SetupState.ResourceLibrary = LoadLibraryA("HFNTSET.DLL");
    if (!SetupState.ResourceLibrary) {
        // The string table is in the missing library: this text is our own.
        // A quiet run has nobody to answer the box: the options are read
        // first, so that it logs and reports the text instead.
        if (commandLine && commandLine[0])
            ParseSetupCommandLine(commandLine);
        ShowSetupMessage(NULL, MB_TASKMODAL | MB_ICONHAND, MissingResourceLibrary);
        AppendMifStatus(0, MissingResourceLibrary);
        CleanupSetup();
        ExitProcess(0);
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

    if (!InitSetupInstance(SW_SHOWMAXIMIZED))
        return 0;

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    CleanupSetup();
    return (int)message.wParam;
}

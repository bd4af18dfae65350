#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"

// Each resource is forgotten before it is released, so a failure reported
// from inside a release cannot release it a second time.
void CleanupSetup(void)
{
    // While the frame and the log are still there to say what went wrong.
    if (SetupState.StoppedServices)
        RestartStoppedAgentServices();
    if (SetupState.ToolkitStarted > 0 || SetupState.RegistryFunctions.Library) {
        SetupState.ToolkitStarted = 0;
        TerminateToolkit();
    }
    if (SetupState.Ctl3dRegistered) {
        SetupState.Ctl3dRegistered = 0;
        Ctl3dUnregister(SetupState.ProgramInstance);
    }
    if (SetupState.FrameBitmap) {
        HBITMAP bitmap = SetupState.FrameBitmap;
        SetupState.FrameBitmap = NULL;
        DeleteObject(bitmap);
    }
    if ((SetupState.RunFlags & (RF_LOGFILE | RF_QUIET)) && SetupState.LogFileOpen) {
        LogRunEnd();
        SetupState.LogFileOpen = 0;
        CloseLogFile();
    }
    if (SetupState.InstanceMutex) {
        HANDLE mutex = SetupState.InstanceMutex;
        SetupState.InstanceMutex = NULL;
        CloseHandle(mutex);
    }
    if (SetupState.ResourceLibrary) {
        HMODULE library = SetupState.ResourceLibrary;
        SetupState.ResourceLibrary = NULL;
        FreeLibrary(library);
    }
}

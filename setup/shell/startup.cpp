#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/messages/exit_code.h"
#include "setup/messages/messages.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"

static const char AboutText[] = "Setup of the " PRODUCT_NAME ", version " PRODUCT_VERSION ".\r\n" PRODUCT_COPYRIGHT;

int InitializeToolkit(LPCSTR commandLine)
{
    if (SetupState.ToolkitStarted > 0)
        return 0;
    int result = InitializeFrame(commandLine);
    if (result == -1)
        return -1;
    if (result == 0 || !InitializeInstall()) {
        TerminateToolkit();
        return 0;
    }
    SetupState.ToolkitStarted = result;
    return result;
}

// The source directory always ends in a backslash of its own.
static void TakeSourceDirectory(void)
{
    DWORD length = GetCurrentDirectoryA(SETUP_PATH_SIZE, SetupState.SourceDir);
    if (length == 0 || length >= SETUP_PATH_SIZE - 1) {
        LogSetupMessage("The current directory is too long to be the source directory");
        FatalSetupError(1024);
    }
    AddTrailingBackslash(SetupState.SourceDir);
}

// An SMS install reads SETUP.ICF beside setup.inf. A name that would not fit
// is refused like an overlong I: name, never cut into another file's name.
static void TakeSmsConfigFile(void)
{
    if (JoinPath(SetupState.ConfigFile, sizeof(SetupState.ConfigFile), SetupState.SourceDir, SETUP_CONFIG_NAME)) {
        SetupState.ConfigFileRefusal = 0;
        return;
    }
    SetupState.ConfigFileRefusal = IDS_DISTRIBUTION_TOO_DEEP;
    char text[256];
    LoadSetupString(IDS_DISTRIBUTION_TOO_DEEP, text, sizeof(text));
    LogSetupMessage("%s", text);
}

// Taken before the command line is read, so that a run refused here opens
// no log and writes no status file of the run that holds it.
void ClaimSetupInstance(void)
{
    SetupState.InstanceMutex = CreateMutexA(NULL, TRUE, SETUP_MUTEX_NAME);
    DWORD wait = SetupState.InstanceMutex ? WaitForSingleObject(SetupState.InstanceMutex, 0) : WAIT_FAILED;
    SetupState.InstanceRefused = wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED;
}

// The refusal is a status record only where no running run writes its own.
static BOOL TakeInstanceMutex(void)
{
    if (!SetupState.InstanceRefused)
        return TRUE;
    SetRunEnding(ERROR_INSTALL_ALREADY_RUNNING);
    LoadSetupString(IDS_ALREADY_RUNNING, SetupState.Scratch, SETUP_SCRATCH_SIZE);
    ShowSetupMessage(SetupState.FrameWindow, MB_ICONHAND, SetupState.Scratch);
    HANDLE claim = OpenEventA(SYNCHRONIZE, FALSE, STATUS_FILE_CLAIM_NAME);
    if (claim)
        CloseHandle(claim);
    else if ((SetupState.RunFlags & RF_SMS) && CreateStatusMif())
        AppendMifStatus(0, SetupState.Scratch);
    CleanupSetup();
    return FALSE;
}

// The toolkit's own text control gives way to the system's static control.
static void ReplaceStaticTextClass(void)
{
    HMODULE installLibrary = GetModuleHandleA("MSINSSTF");
    if (!installLibrary)
        FatalSetupError(1024);
    UnregisterClassA("stext", installLibrary);
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    GetClassInfoA(NULL, "Static", &windowClass);
    windowClass.hInstance = installLibrary;
    windowClass.lpszClassName = "stext";
    RegisterClassA(&windowClass);
}

static void RestyleFrame(void)
{
    LONG style = GetWindowLongA(SetupState.FrameWindow, GWL_STYLE);
    style &= 0xBFFFFFFF;
    style |= 0x80000000;
    style &= 0xFF34FFFF;
    SetWindowLongA(SetupState.FrameWindow, GWL_STYLE, style);
    SetupState.OldFrameProc = (WNDPROC)GetWindowLongPtrA(SetupState.FrameWindow, GWLP_WNDPROC);
    SetWindowLongPtrA(SetupState.FrameWindow, GWLP_WNDPROC, (LONG_PTR)MyOwnWndProc);
}

int InitSetupInstance(int showCommand)
{
    if (InitializeToolkit("") <= 0)
        return 0;
    if (!LoadRegistryFunctions())
        return 0;
    SetupState.FrameWindow = HwndFrame();
    TakeSourceDirectory();
    LogRunStart();
    if (SetupState.RunFlags & RF_SMS)
        TakeSmsConfigFile();
    if (!TakeInstanceMutex())
        return 0;
    ReplaceStaticTextClass();
    RestyleFrame();
    ShowWindow(SetupState.FrameWindow, showCommand);

    LoadSetupString(IDS_FRAME_TITLE, SetupState.Scratch, 256);
    SetFrameTitle(JoinStrings(SETUP_TITLE_PREFIX, SetupState.Scratch));
    SetAbout(SETUP_TITLE_PREFIX, AboutText);

    if (!RequireAdministrator())
        return 0;
    RunSetupSequence();
    return 1;
}

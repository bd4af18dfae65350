// Start and end of the install engine.
#include "internal.h"
#include "setuptk.h"

HINSTANCE g_module = NULL;
HWND g_frame = NULL;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" {

TK_INS BOOL WINAPI FInitializeInstall(HINSTANCE instance, HWND frame)
{
    g_frame = frame;
    if (!RegisterStextClass()) {
        LogLine("The install engine cannot register its text control class (error %lu).",
                static_cast<unsigned long>(GetLastError()));
        return FALSE;
    }
    return TRUE;
}

TK_INS VOID WINAPI TerminateInstall(void)
{
    GaugeClose();
    CloseInf();
    ClearCopyList();
    g_frame = NULL;
}

} // extern "C"

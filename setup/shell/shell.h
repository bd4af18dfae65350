/* Entry, command line, main sequence, start-up checks and cleanup. */
#ifndef SETUP_SHELL_H
#define SETUP_SHELL_H

#include <windows.h>

#include "product.h"

#define SETUP_MUTEX_NAME   "HoldfastSetupAppInstMutex"
/* Exists while an SMS run that passed the instance check owns the status file. */
#define STATUS_FILE_CLAIM_NAME SETUP_MUTEX_NAME "-StatusFile"
#define SETUP_TITLE_PREFIX "Ziradu Vored ade ZI ZER Ivizuz"
#define SETUP_LOG_PATH     "C:\\SETUPKVA.LOG"
#define SETUP_CONFIG_NAME  "SETUP.ICF"

/* setup /?: the command lines, in a box. */
bool AsksForUsage(LPCSTR commandLine);
void ShowUsage(void);

int SetupWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
void ParseSetupCommandLine(LPSTR commandLine);
int RunSetupSequence(void);
void CleanupSetup(void);

int InitSetupInstance(int showCommand);
/* The single-instance rule, checked first of all; its refusal is said later. */
void ClaimSetupInstance(void);
int InitializeToolkit(LPCSTR commandLine);
LRESULT CALLBACK MyOwnWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int RequireAdministrator(void);
int IsUserAdministrator(void);
void CenterDialog(HWND window);
void PaintPageBitmap(HWND page, int bitmapId);


/* CTL3D32 by ordinal */
extern "C" BOOL WINAPI Ctl3dRegister(HINSTANCE instance);
extern "C" BOOL WINAPI Ctl3dUnregister(HINSTANCE instance);
extern "C" BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE instance);

#endif

#include <stdio.h>

#include "platform/setup-toolkit/setuptk.h"
#include "setup/messages/messages.h"
#include "setup/rollback/rollback.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

int DriveNumberOfPath(LPCSTR path)
{
    char letter[2] = {path[0], '\0'};
    CharUpperBuffA(letter, 1);
    return (signed char)letter[0] - 64;
}

static void UpperCaseFirstCharacter(LPSTR path)
{
    if (path[0])
        CharUpperBuffA(path, 1);
}

BOOL IsValidDrive(LPSTR path)
{
    UpperCaseFirstCharacter(path);
    return FIsValidDrive(DriveNumberOfPath(path));
}

BOOL IsRemovableDrive(LPSTR path)
{
    UpperCaseFirstCharacter(path);
    return FIsRemoveDrive(DriveNumberOfPath(path));
}

BOOL IsRemoteDrive(LPCSTR path)
{
    return FIsRemoteDrive(DriveNumberOfPath(path));
}

void GetLocalHardDrivesList(LPCSTR symbol)
{
    if (!FGetLocalHardDrivesList(symbol))
        FatalSetupError(1024);
}

BOOL FileExistsOnValidPath(LPSTR path, int mode)
{
    if (IsRemovableDrive(path) || FValidPath(path))
        return FDoesFileExist(path, mode);
    return 0;
}

void SetAbout(LPCSTR title, LPCSTR text)
{
    if (!FSetAbout(title, text))
        FatalSetupError(1024);
}

void SetFrameTitle(LPCSTR text)
{
    SetWindowTextA(HwndFrame(), text);
}

void RestoreCursor(HCURSOR cursor)
{
    if (!FRestoreCursor(cursor))
        FatalSetupError(1024);
}

int InitializeInstall(void)
{
    if (SetupState.ToolkitStarted > 0)
        return 0;
    return FInitializeInstall(HinstFrame(), HwndFrame()) ? 1 : 0;
}

void CreateProgManGroup(LPCSTR group, LPCSTR text, int mode)
{
    if (!FCreateProgManGroup(group, text, mode))
        FatalSetupError(1024);
}

void ShowProgManGroup(LPCSTR group, int command, int mode)
{
    char commandText[16];
    snprintf(commandText, sizeof(commandText), "%d", command);
    if (!FShowProgManGroup(group, commandText, mode))
        FatalSetupError(1024);
}

LONG GetCopyListCost(LPCSTR extraList, LPCSTR costList, LPCSTR neededList)
{
    LONG cost = LcbGetCopyListCost(extraList, costList, neededList);
    if (cost < 0)
        FatalSetupError(1024);
    return cost;
}

void CreateProgManItem(LPCSTR group, LPCSTR text, LPCSTR command, LPCSTR extra, int mode)
{
    if (extra && extra[0])
        text = JoinStrings3(text, ",", extra);
    if (!FCreateProgManItem(group, text, command, mode))
        FatalSetupError(1024);
}

void CopyFilesInCopyList(void)
{
    int result = GrcCopyFilesInCopyList(HinstFrame());
    if (result > 0)
        EndFailedCopy(result);
}

void AddSectionFilesToCopyList(LPCSTR section, LPCSTR sourceDir, LPCSTR destDir)
{
    if (!FAddSectionFilesToCopyList(section, sourceDir, destDir))
        FatalSetupError(1024);
}

void OpenLogFile(LPCSTR path, int mode)
{
    if (!FOpenLogFile(path, mode))
        FatalSetupError(1024);
}

void CloseLogFile(void)
{
    if (!FCloseLogFile())
        FatalSetupError(1024);
}

void WriteToLogFile(LPCSTR text)
{
    if (!FWriteToLogFile(text, 1))
        FatalSetupError(1024);
}

void TerminateToolkit(void)
{
    TerminateFrame();
    TerminateInstall();
    UnloadRegistryFunctions();
}

static void ReportBufferOverflow(void)
{
    DoMsgBox("Buffer Overflow", "MS-Setup Error", 16);
    FatalSetupError(1024);
}

LPSTR GetSymbolValue(LPCSTR name, LPSTR buffer, int size)
{
    if (!name || !name[0])
        FatalSetupError(1024);
    if (size <= 0 || size > 0xFFFF)
        FatalSetupError(1024);
    if (CbGetSymbolValue(name, buffer, (USHORT)size) >= size)
        ReportBufferOverflow();
    return buffer;
}

USHORT GetListLength(LPCSTR name)
{
    if (!name || !name[0])
        FatalSetupError(1024);
    return UsGetListLength(name);
}

LPSTR GetListItem(LPCSTR name, int index, LPSTR buffer, int size)
{
    if (!name || !name[0])
        FatalSetupError(1024);
    if (index <= 0 || index > GetListLength(name))
        FatalSetupError(1024);
    if (size <= 0 || size > 0xFFFF)
        FatalSetupError(1024);
    if (CbGetListItem(name, (USHORT)index, buffer, (USHORT)size) >= size)
        ReportBufferOverflow();
    return buffer;
}

void SetSymbolValue(LPCSTR name, LPCSTR value)
{
    FRemoveSymbol(name);
    if (!FSetSymbolValue(name, value))
        FatalSetupError(1024);
}

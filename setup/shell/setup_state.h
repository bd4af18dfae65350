/*
 * The installer's one global record. Every subsystem reads and writes it;
 * nothing else carries state between them.
 */
#ifndef SETUP_STATE_H
#define SETUP_STATE_H

#include <windows.h>

/* Run-mode bits of SetupState.RunFlags. */
#define RF_LOGFILE     0x01u
#define RF_QUIET       0x02u
#define RF_COPYFILES   0x04u
#define RF_AUTOSTART   0x10u
#define RF_UNATTENDED  0x20u
#define RF_SMS         0x40u
#define RF_UNINSTALL   0x80u

#define RF_START_VALUE (RF_AUTOSTART | RF_COPYFILES)

#define SETUP_PATH_SIZE     260
#define SETUP_ACCOUNT_SIZE  256
#define SETUP_CONFIG_SIZE   256
#define SETUP_SCRATCH_SIZE  512
#define SETUP_MESSAGE_SIZE  260
#define SETUP_LOGTEXT_SIZE  256

/* Entry points fetched from ADVAPI32.DLL at run time. */
typedef LONG(WINAPI *RegCloseKeyFn)(HKEY);
typedef LONG(WINAPI *RegCreateKeyAFn)(HKEY, LPCSTR, PHKEY);
typedef LONG(WINAPI *RegDeleteKeyAFn)(HKEY, LPCSTR);
typedef LONG(WINAPI *RegOpenKeyAFn)(HKEY, LPCSTR, PHKEY);
typedef LONG(WINAPI *RegQueryValueAFn)(HKEY, LPCSTR, LPSTR, PLONG);
typedef LONG(WINAPI *RegSetValueAFn)(HKEY, LPCSTR, DWORD, LPCSTR, DWORD);
typedef LONG(WINAPI *RegCreateKeyExAFn)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM,
                                        LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD);
typedef LONG(WINAPI *RegOpenKeyExAFn)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
typedef LONG(WINAPI *RegQueryValueExAFn)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
typedef LONG(WINAPI *RegSetValueExAFn)(HKEY, LPCSTR, DWORD, DWORD, const BYTE *, DWORD);
typedef LONG(WINAPI *RegEnumKeyAFn)(HKEY, DWORD, LPSTR, DWORD);
typedef LONG(WINAPI *RegQueryInfoKeyAFn)(HKEY, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                                         LPDWORD, LPDWORD, LPDWORD, LPDWORD, PFILETIME);

struct RegistryFunctionTable {
    HMODULE Library;
    RegCloseKeyFn RegCloseKey;
    RegCreateKeyAFn RegCreateKeyA;
    RegDeleteKeyAFn RegDeleteKeyA;
    RegOpenKeyAFn RegOpenKeyA;
    RegQueryValueAFn RegQueryValueA;
    RegSetValueAFn RegSetValueA;
    RegCreateKeyExAFn RegCreateKeyExA;
    RegOpenKeyExAFn RegOpenKeyExA;
    RegQueryValueExAFn RegQueryValueExA;
    RegSetValueExAFn RegSetValueExA;
    RegEnumKeyAFn RegEnumKeyA;
    RegQueryInfoKeyAFn RegQueryInfoKeyA;
};

/* A removal this process took over from the program that runs from the
 * kept removal copy. */
struct RemovalHandOffRecord {
    int Active;     /* this process does the removal handed to it */
    int CopyDone;   /* the kept copy is to go once its program has ended */
    HANDLE Done;    /* set when the work is done: the program waits for it */
    HANDLE Parent;  /* the program that handed over */
    HANDLE Outcome; /* the mapping that takes this run's exit code back */
};

struct SetupStateRecord {
    /* Shared fields */
    DWORD RunFlags;
    HMODULE ResourceLibrary;
    HINSTANCE ProgramInstance;
    HBITMAP FrameBitmap;
    HWND FrameWindow;
    HWND CurrentPage;
    HANDLE InstanceMutex;
    int InstanceRefused;      /* another setup runs: this run changes nothing */
    HANDLE StatusFileClaim;   /* held while this run's status file is written */
    int StatusMifCreated;     /* this run made the status file */
    char SourceDir[SETUP_PATH_SIZE];
    /* The agent's directory. The install roads (wizard, I:, SMSINSTALL)
     * keep it with its trailing backslash ("C:\DORURE\"); the removal
     * roads read it back from "dll" without one ("C:\DORURE"). Join names
     * to it with JoinPath, which works with both. */
    char InstallDir[SETUP_PATH_SIZE];
    char SqlLogin[SETUP_ACCOUNT_SIZE];
    char SqlPassword[SETUP_ACCOUNT_SIZE];
    char ConfigFile[SETUP_CONFIG_SIZE];
    int PreviousInstallFound;
    char Scratch[SETUP_SCRATCH_SIZE];

    /* Messages and log */
    char MessageText[SETUP_MESSAGE_SIZE];
    int LastAnswer;
    char LogText[SETUP_LOGTEXT_SIZE];
    int FatalErrorActive;  /* set once the fatal path runs: no second entry */
    int LogFileOpen;       /* the toolkit's log file is open */

    /* Frame and start-up */
    int ToolkitStarted;
    WNDPROC OldFrameProc;
    int Ctl3dRegistered;

    /* Registry entry points */
    RegistryFunctionTable RegistryFunctions;

    /* Agent services */
    SC_HANDLE ServiceManager;
    SC_HANDLE ServiceHandle;
    /* Bit i: AgentServiceNames[i] was running and setup stopped it. Such a
     * service is started again when the run ends without having replaced
     * or removed it. */
    DWORD StoppedServices;
    /* Bit i: the stop dialog could not stop AgentServiceNames[i]. */
    DWORD ServicesNotStopped;
    DWORD RegistrationError;  /* KSSETUP refused the product's registration */
    DWORD ServiceStopErrors[2];  /* why each did not stop: a refusal, or time */
    /* The creation dialog made the agent service. */
    int AgentServiceCreated;

    /* The first problem of a road that goes on after it (a service not
     * created, a piece the removal left): the unattended road then reports
     * this text as its failure instead of a success. */
    char RunFailure[256];
    int RunFailureCount;
    /* The removal handed over by the program that runs from the kept
     * removal copy (see programs_and_features/). */
    RemovalHandOffRecord HandOff;

    /* The road did all it set out to do (with or without problems). */
    int RoadCompleted;
    /* What ended the run early, for the log's last line; its start. */
    char RunEndFailure[SETUP_MESSAGE_SIZE];
    DWORD RunStartTick;

    /* Why ConfigFile was left empty (a string id), 0 when it was not. */
    UINT ConfigFileRefusal;
    /* Started from Programs and Features: the removal alone. */
    int RemoveOnly;

    /* The exit code the run's end chose (exit_code.h); RestartNeeded: the
     * run's work waits for a restart of the computer. */
    DWORD RunEnding;
    int RestartNeeded;
    /* Welcome page: shown before, so the earlier installation was read. */
    int WelcomeShown;
    /* SQL account page: the person said an empty login is meant. */
    int EmptyLoginAccepted;

    /* Destination page */
    int DestinationFirstDisplay;
    int DestinationAccepted;
    char DriveRootPath[4];
    ULONGLONG DriveFreeBytes;
    /* KB of the shown need that an earlier agent's files take already. */
    ULONGLONG DriveSpaceInPlaceKb;

    /* Removal */
    char ServiceDirectory[256];

    /* Install record: what a failed install says of the machine given back
     * (empty when nothing was given back). */
    char RollbackNote[160];
};

extern SetupStateRecord SetupState;

/* Puts the record back to its start values (zero, and the few fields that
 * start otherwise). Called once at start; tests call it between cases. */
void ResetSetupState(void);

#endif

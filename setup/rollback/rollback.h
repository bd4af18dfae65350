/* What an install changes, noted before it is changed and given back when
 * the run fails. The record is kept in the registry, so that a run stopped
 * at any moment (power loss, a killed job) is finished or undone by the
 * next run: the agent is then either the earlier one or the new one, whole. */
#ifndef SETUP_ROLLBACK_H
#define SETUP_ROLLBACK_H

#include <windows.h>

/* Undoes or finishes what a stopped run left, then notes the machine as it
 * is: services and their states, the configuration key, the family's
 * product value, the Programs and Features entry, the kept copy and the
 * Start menu item. */
void BeginInstallRecord(void);
bool InstallRecordActive(void);
/* The run succeeded: what was set aside goes, and the record. */
void EndInstallRecord(void);
/* The run failed: the machine as it was noted. Answers whether every piece
 * went back. */
bool GiveMachineBack(void);

/* Adds the note of the machine given back to a text, when there is one and
 * room for it. */
void AppendRollbackNote(LPSTR text, int size);

/* The steps of an install, in order. */
enum InstallStep {
    StepEarlierRunFinished = 1,
    StepRecorded,
    StepServicesStopped,
    StepDirectoryMade,
    StepFilesCopied,
    StepConfigurationWritten,
    StepProductRegistered,
    StepShortcutMade,
    StepServicesReplaced,
    StepServiceStarted,
    StepEntryWritten,
    StepSucceeded
};
/* Marks a step done. For tests, the environment may name a step after which
 * the process ends at once (SETUP_STOP_AFTER_STEP) or the run fails
 * (SETUP_FAIL_AFTER_STEP). */
void PassInstallStep(InstallStep step);
/* The system's error behind the step that is failing, for its outcome. */
void NoteInstallError(DWORD error);
/* The outcome of a failed install that gave the machine back: the step,
 * the reason (the error noted, else the text of id) and what the machine
 * is now. False when the run was no install or gave nothing back. */
bool DescribeGivenBackInstall(UINT id, LPSTR text, int size);

/* The pieces of the record, one file each. */
HKEY OpenInstallRecord(bool create);
void RecordKey(HKEY record, LPCSTR name, LPCSTR keyPath);
void RestoreKey(HKEY record, LPCSTR name, LPCSTR keyPath);
void RecordValue(HKEY record, LPCSTR name, LPCSTR keyPath, LPCSTR valueName);
void RestoreValue(HKEY record, LPCSTR name, LPCSTR keyPath, LPCSTR valueName);
void RecordFileBytes(HKEY record, LPCSTR name, LPCSTR path);
void RestoreFileBytes(HKEY record, LPCSTR name, LPCSTR path);
void RecordAgentServices(HKEY record);
/* Noted before the services are replaced: only then does a rollback put
 * their registrations back; before, it starts again what ran. */
void NoteServicesReplaced(void);
bool ServicesWereReplaced(HKEY record);
void RemoveNewAgentServices(HKEY record);
bool RestoreAgentServices(HKEY record);
DWORD ReadRecordNumber(HKEY record, LPCSTR name);
void WriteRecordNumber(HKEY record, LPCSTR name, DWORD number);

#endif

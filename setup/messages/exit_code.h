/*
 * The process exit code: what deployment tools read of a run, in the
 * convention of the system's own installer, which they know without being
 * told. The boxes, the log and the status MIF say the rest.
 *
 *   ERROR_SUCCESS                  0     done
 *   ERROR_SUCCESS_REBOOT_REQUIRED  3010  done; a restart of the computer completes it
 *   ERROR_INSTALL_USEREXIT         1602  the person cancelled or declined
 *   ERROR_INSTALL_FAILURE          1603  failed (fatal errors included)
 *   ERROR_UNKNOWN_PRODUCT          1605  a removal found no agent to remove
 *   ERROR_INSTALL_ALREADY_RUNNING  1618  another setup is running
 */
#ifndef SETUP_EXIT_CODE_H
#define SETUP_EXIT_CODE_H

#include <windows.h>

/* How the run ends, said by the step that ends it. */
void SetRunEnding(DWORD code);
/* The run's work is done, but only a restart of the computer completes it. */
void NoteRestartNeeded(void);
/* The code the process ends with. */
DWORD SetupExitCode(void);

#endif

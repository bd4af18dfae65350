/* Diagnostics switches for trying what an interrupted run leaves: the
 * environment variable SETUP_STOP_AFTER_STEP=N ends a run right after its
 * step N, without a word, as a power loss would; SETUP_FAIL_AFTER_STEP=N
 * makes an install fail there. Unset, they change nothing. */
#ifndef SETUP_DIAGNOSTICS_H
#define SETUP_DIAGNOSTICS_H

#include <windows.h>

/* The exit code of a run ended by the stop switch. */
#define STOPPED_AFTER_STEP_CODE 99

/* True when the variable names this step. */
bool DiagnosticsSwitchNames(LPCSTR variable, int step);
/* Ends the process at once when SETUP_STOP_AFTER_STEP names this step. */
void StopHereIfSwitched(int step);

#endif

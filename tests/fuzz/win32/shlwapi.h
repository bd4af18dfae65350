/* Stand-in for <shlwapi.h>: the bounded formatters. */
#ifndef FUZZ_SHLWAPI_H
#define FUZZ_SHLWAPI_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

int wvnsprintfA(LPSTR buffer, int size, LPCSTR format, va_list args);
int wnsprintfA(LPSTR buffer, int size, LPCSTR format, ...);

#ifdef __cplusplus
}
#endif

#endif

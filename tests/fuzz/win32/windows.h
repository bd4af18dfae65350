/*
 * A thin stand-in for <windows.h> on Linux: the few Win32 types, constants
 * and calls that the parsers under fuzzing use, so that their sources build
 * natively as they are. The calls are implemented in win32.cpp: the ANSI
 * code page (1252, or 932 with FUZZ_ACP=932), one file held in memory, and a
 * registry of values in memory.
 */
#ifndef FUZZ_WINDOWS_H
#define FUZZ_WINDOWS_H

#include <stddef.h>
#include <stdint.h>
#include <stdarg.h>

#define WINAPI
#define CALLBACK
#define VOID void
#define CONST const
#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

typedef int BOOL;
typedef unsigned char BYTE;
typedef BYTE *LPBYTE;
typedef unsigned short USHORT, WORD;
typedef unsigned int UINT;
typedef uint32_t DWORD;
typedef DWORD *LPDWORD;
typedef int32_t LONG;
typedef LONG *PLONG;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef intptr_t INT_PTR, LONG_PTR, LPARAM, LRESULT;
typedef uintptr_t UINT_PTR, WPARAM;
typedef char CHAR;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef void *LPVOID;
typedef void *HANDLE;
typedef DWORD REGSAM;

#define FUZZ_HANDLE(name) typedef struct name##__ *name
FUZZ_HANDLE(HKEY);
FUZZ_HANDLE(HWND);
FUZZ_HANDLE(HINSTANCE);
FUZZ_HANDLE(HBITMAP);
FUZZ_HANDLE(HCURSOR);
FUZZ_HANDLE(SC_HANDLE);
#undef FUZZ_HANDLE
typedef HINSTANCE HMODULE;
typedef HKEY *PHKEY;

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR(CALLBACK *DLGPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
typedef struct {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME;
typedef union {
    struct {
        DWORD LowPart;
        LONG HighPart;
    };
    int64_t QuadPart;
} LARGE_INTEGER;

typedef struct {
    DWORD dwFileAttributes;
    CHAR cFileName[MAX_PATH];
} WIN32_FIND_DATAA;

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_INVALID_PARAMETER 87
#define ERROR_MORE_DATA 234

#define GENERIC_READ 0x80000000u
#define FILE_SHARE_READ 1
#define OPEN_EXISTING 3
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x1000

#define KEY_SET_VALUE 0x0002
#define KEY_READ 0x20019
#define KEY_ALL_ACCESS 0xF003F
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_DWORD 4
#define REG_OPTION_NON_VOLATILE 0

#define MB_ICONHAND 0x10
#define MB_ICONEXCLAMATION 0x30
#define MB_ICONINFORMATION 0x40

#ifdef __cplusplus
extern "C" {
#endif

DWORD GetLastError(void);
void SetLastError(DWORD error);

/* The ANSI code page: 1252 unless FUZZ_ACP=932. */
UINT GetACP(void);
BOOL IsDBCSLeadByte(BYTE c);
LPSTR CharNextA(LPCSTR p);
DWORD CharUpperBuffA(LPSTR text, DWORD length);

int lstrlenA(LPCSTR text);
LPSTR lstrcpyA(LPSTR destination, LPCSTR source);
LPSTR lstrcpynA(LPSTR destination, LPCSTR source, int size);
LPSTR lstrcatA(LPSTR destination, LPCSTR source);
int lstrcmpiA(LPCSTR a, LPCSTR b);
int lstrcmpA(LPCSTR a, LPCSTR b);

/* The one file of the run (see FuzzSetFile). */
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER *size);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void *overlapped);
BOOL CloseHandle(HANDLE handle);
/* No events and no directory listings: the fuzzed code needs none. */
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name);
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA *found);
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA *found);
BOOL FindClose(HANDLE search);
DWORD FormatMessageA(DWORD flags, const void *source, DWORD id, DWORD language, LPSTR buffer, DWORD size,
                     va_list *args);

LONG RegCreateKeyExA(HKEY root, LPCSTR path, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                     LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition);
LONG RegOpenKeyExA(HKEY root, LPCSTR path, DWORD options, REGSAM access, PHKEY key);
LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size);
LONG RegDeleteValueA(HKEY key, LPCSTR name);
LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LONG RegCloseKey(HKEY key);

#ifdef __cplusplus
}
#endif

#endif

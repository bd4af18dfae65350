#include <string.h>

#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

void ScrambleText(LPCSTR source, LPSTR destination, int length)
{
    for (int i = 0; i < length; i++)
        destination[i] = (char)(source[i] ^ ((i & 0xFF) | SCRAMBLE_CONSTANT));
}

// A character equal to its key byte would scramble to a zero byte and cut
// the stored string short.
bool IsStorableCredential(LPCSTR text)
{
    for (int i = 0; text[i]; i++)
        if ((unsigned char)text[i] == (unsigned char)((i & 0xFF) | SCRAMBLE_CONSTANT))
            return false;
    return true;
}

// The last backslash of its own: the second byte of a double-byte character
// is no separator.
void CutAtLastBackslash(LPSTR path, LPSTR destination)
{
    LPSTR backslash = NULL;
    for (LPSTR p = path; *p; p = CharNextA(p))
        if (*p == '\\')
            backslash = p;
    if (!backslash)
        return;
    *backslash = '\0';
    lstrcpyA(destination, path);
}

// Reads one scrambled value back into a field; the field keeps its value
// when the value cannot be read.
static void ReadScrambledValue(HKEY key, LPCSTR name, LPSTR field)
{
    char value[256];
    if (!ReadRegistryText(key, name, value, 255))
        return;
    memset(SetupState.Scratch, 0, 256);
    ScrambleText(value, SetupState.Scratch, lstrlenA(value));
    lstrcpynA(field, SetupState.Scratch, SETUP_ACCOUNT_SIZE);
}

bool ReadPreviousInstallation(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    if (!ReadRegistryText(key, "dll", SetupState.Scratch, 255)) {
        RegCloseKey(key);
        return false;
    }
    CutAtLastBackslash(SetupState.Scratch, SetupState.InstallDir);
    ReadScrambledValue(key, "user", SetupState.SqlLogin);
    ReadScrambledValue(key, "password", SetupState.SqlPassword);
    RegCloseKey(key);
    return true;
}

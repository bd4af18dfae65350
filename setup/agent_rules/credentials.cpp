#include "setup/agent_rules/agent_rules.h"

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

#include <shlwapi.h>

#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/shell/shell.h"
#include "setup/unattended/unattended.h"

#define USAGE_SIZE 2048

// A word of the command line that asks for the usage: /? -? /help -help.
static bool IsUsageWord(LPCSTR word, int length)
{
    if (length < 2 || (word[0] != '/' && word[0] != '-'))
        return false;
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, word + 1, length - 1, "?", 1) == CSTR_EQUAL ||
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, word + 1, length - 1, "HELP", 4) == CSTR_EQUAL;
}

bool AsksForUsage(LPCSTR commandLine)
{
    LPCSTR cursor = commandLine;
    while (*cursor) {
        while (*cursor == ' ' || *cursor == '\t')
            cursor++;
        LPCSTR word = cursor;
        while (*cursor && *cursor != ' ' && *cursor != '\t')
            cursor = CharNextA(cursor);
        if (IsUsageWord(word, (int)(cursor - word)))
            return true;
    }
    return false;
}

void ShowUsage(void)
{
    char format[USAGE_SIZE], text[USAGE_SIZE];
    LoadSetupString(IDS_USAGE, format, sizeof(format));
    LPCSTR status = MIF_FILE_NAME;
    wnsprintfA(text, sizeof(text), format, SETUP_LOG_PATH, status, status);
    text[sizeof(text) - 1] = '\0';
    // Nobody is to be asked anything: the text is the whole answer.
    MessageBoxA(NULL, text, "Setup", MB_OK | MB_ICONINFORMATION);
}

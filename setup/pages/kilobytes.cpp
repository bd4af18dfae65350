// Figures in KB as the person writes numbers: with the thousands separator
// of the user's own format.
#include <shlwapi.h>

#include "setup/pages/page_common.h"

void FormatKilobytes(ULONGLONG kilobytes, LPSTR text, int size)
{
    char digits[32], decimal[8] = ".";
    wnsprintfA(digits, sizeof(digits), "%I64u", kilobytes);
    if (!GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits, NULL, text, size)) {
        lstrcpynA(text, digits, size);
        return;
    }
    // The user's format brings decimals along; a KB figure has none.
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof(decimal));
    LPSTR point = StrStrA(text, decimal[0] ? decimal : ".");
    if (point)
        *point = '\0';
}

// The digits of a shown figure, whatever separates its groups.
ULONGLONG ReadKilobytes(LPCSTR text)
{
    ULONGLONG value = 0;
    for (LPCSTR p = text; *p; p = CharNextA(p))
        if (*p >= '0' && *p <= '9')
            value = value * 10 + (ULONGLONG)(*p - '0');
    return value;
}

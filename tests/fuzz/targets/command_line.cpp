// The command-line parser on any text, against a model of its rule: the
// text is upper-cased and cut into tokens (blanks and hyphens end the first,
// blanks and slashes the others); "I:" opens the log and may name the
// configuration file, SMSINSTALL and SMSUNINSTALL set their bits, REMOVE
// asks for the removal alone. The text is changed only by upper-casing and
// by NULs over delimiters.
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"

namespace {

int g_logOpens, g_mifsCreated;

struct Outcome {
    DWORD runFlags = RF_START_VALUE;
    std::string configFile;
    UINT refusal = 0;
    int logOpens = 0;
    int mifsCreated = 0;
    int removeOnly = 0;
};

std::vector<std::string> Tokens(const std::string &text)
{
    std::vector<std::string> tokens;
    const char *delimiters = " -";
    size_t position = 0;
    for (;;) {
        position = text.find_first_not_of(delimiters, position);
        if (position == std::string::npos)
            break;
        size_t end = text.find_first_of(delimiters, position);
        tokens.push_back(text.substr(position, end == std::string::npos ? std::string::npos : end - position));
        if (end == std::string::npos)
            break;
        position = end + 1;
        delimiters = " /";
    }
    return tokens;
}

Outcome Model(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    Outcome expected;
    for (const std::string &token : Tokens(text)) {
        if (token.compare(0, 2, "I:") == 0) {
            expected.runFlags |= RF_LOGFILE;
            expected.logOpens++;
            if (token.size() == 2) {
                expected.configFile.clear();
                continue;
            }
            expected.runFlags |= RF_QUIET | RF_UNATTENDED;
            bool fits = token.size() - 2 < SETUP_CONFIG_SIZE;
            expected.configFile = fits ? token.substr(2) : "";
            expected.refusal = fits ? 0 : IDS_CONFIG_NAME_TOO_LONG;
        } else if (token.compare(0, 10, "SMSINSTALL") == 0) {
            expected.runFlags |= RF_SMS | RF_QUIET | RF_LOGFILE;
            expected.logOpens++;
            expected.mifsCreated++;
        } else if (token.compare(0, 12, "SMSUNINSTALL") == 0) {
            expected.runFlags |= RF_SMS | RF_QUIET | RF_UNINSTALL;
            expected.mifsCreated++;
        } else if (token.compare(0, 6, "REMOVE") == 0) {
            expected.removeOnly = 1;
        }
    }
    return expected;
}

}  // namespace

// The parser's collaborators: counted, nothing more.
void OpenLogFile(LPCSTR path, int mode)
{
    FUZZ_CHECK(strcmp(path, SETUP_LOG_PATH) == 0, "the log %s, got %s", SETUP_LOG_PATH, path);
    g_logOpens++;
}

bool CreateStatusMif(void)
{
    g_mifsCreated++;
    return true;
}

int LoadSetupString(UINT id, LPSTR buffer, int size)
{
    lstrcpynA(buffer, "text", size);
    return lstrlenA(buffer);
}

void LogSetupMessage(LPCSTR format, ...) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string input = fuzz::TextOf(data, size);
    std::vector<char> text(input.begin(), input.end());
    text.push_back('\0');
    ResetSetupState();
    g_logOpens = g_mifsCreated = 0;

    ParseSetupCommandLine(text.data());

    Outcome expected = Model(input);
    FUZZ_CHECK(SetupState.RunFlags == expected.runFlags, "run flags 0x%x, got 0x%x", expected.runFlags,
               SetupState.RunFlags);
    FUZZ_CHECK(strnlen(SetupState.ConfigFile, SETUP_CONFIG_SIZE) < SETUP_CONFIG_SIZE, "a terminated file name");
    FUZZ_CHECK(expected.configFile == SetupState.ConfigFile, "configuration file \"%s\", got \"%s\"",
               expected.configFile.c_str(), SetupState.ConfigFile);
    FUZZ_CHECK(expected.refusal == SetupState.ConfigFileRefusal, "refusal %u, got %u", expected.refusal,
               SetupState.ConfigFileRefusal);
    FUZZ_CHECK(expected.removeOnly == SetupState.RemoveOnly, "remove only %d, got %d", expected.removeOnly,
               SetupState.RemoveOnly);
    FUZZ_CHECK(expected.logOpens == g_logOpens, "%d log opens, got %d", expected.logOpens, g_logOpens);
    FUZZ_CHECK(expected.mifsCreated == g_mifsCreated, "%d status files, got %d", expected.mifsCreated,
               g_mifsCreated);
    for (size_t i = 0; i < input.size(); i++) {
        char was = input[i], now = text[i];
        char upper = was >= 'a' && was <= 'z' ? (char)(was - 'a' + 'A') : was;
        FUZZ_CHECK(now == upper || (now == '\0' && strchr(" -/", was)),
                   "byte %zu: '%c' upper-cased or cut at a delimiter, got 0x%02x", i, was, (unsigned char)now);
    }
    return 0;
}

// The destination's 8.3 rule on any text, against the rule in bytes: at
// least 4 and fewer than 256 characters, a colon, and after the first
// backslash components of a base of 1 to 12 characters and at most 3 after
// its first dot; one final backslash does not count. And the trailing
// backslash helpers, which walk double-byte characters: what they add is
// a backslash of its own, and what they remove is exactly that.
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/toolkit/toolkit.h"

namespace {

bool ComponentFollowsRule(const std::string &component)
{
    size_t dot = component.find('.');
    size_t base = dot == std::string::npos ? component.size() : dot;
    return base >= 1 && base <= 12 && (dot == std::string::npos || component.size() - dot - 1 <= 3);
}

bool Rule(std::string path)
{
    if (path.size() < 4 || path.size() >= 256 || path.find(':') == std::string::npos)
        return false;
    if (path.back() == '\\')
        path.pop_back();
    size_t backslash = path.find('\\');
    if (backslash == std::string::npos)
        return false;
    for (;;) {
        size_t next = path.find('\\', backslash + 1);
        if (!ComponentFollowsRule(path.substr(backslash + 1, next == std::string::npos ? std::string::npos
                                                                                       : next - backslash - 1)))
            return false;
        if (next == std::string::npos)
            return true;
        backslash = next;
    }
}

// The text in an allocation of its own size: a read past it is caught.
bool Valid83(const std::string &path)
{
    std::vector<char> copy(path.begin(), path.end());
    copy.push_back('\0');
    bool valid = IsValid83Path(copy.data());
    FUZZ_CHECK(path == copy.data(), "the path is not changed");
    return valid;
}

// A lead byte with nothing after it: no byte added can stand on its own.
bool EndsInCutCharacter(const std::string &path)
{
    const char *last = path.c_str();
    for (const char *p = last; *p; p = CharNextA(p))
        last = p;
    return IsDBCSLeadByte((BYTE)*last) && last[1] == '\0';
}

void CheckTrailingBackslash(const std::string &path)
{
    std::vector<char> text(path.begin(), path.end());
    text.resize(path.size() + 2, '\0');
    bool ended = EndsInBackslash(text.data()) != FALSE;
    FUZZ_CHECK(!ended || path.back() == '\\', "a path said to end in a backslash ends in one: %s", path.c_str());
    AddTrailingBackslash(text.data());
    FUZZ_CHECK(EndsInBackslash(text.data()), "a backslash of its own after adding one: %s", text.data());
    FUZZ_CHECK(strlen(text.data()) == path.size() + (ended ? 0 : 1), "one backslash added to %s", path.c_str());
    RemoveTrailingBackslash(text.data());
    std::string expected = ended ? path.substr(0, path.size() - 1) : path;
    FUZZ_CHECK(expected == text.data(), "%s after removing the backslash, got %s", expected.c_str(), text.data());
}

}  // namespace

// The collaborators of the destination checks, never reached by these.
extern "C" BOOL WINAPI FDirExists(LPCSTR) { fuzz::Fail("no directory test"); }
extern "C" BOOL WINAPI FValidDir(LPCSTR) { fuzz::Fail("no directory test"); }
BOOL IsValidDrive(LPSTR) { fuzz::Fail("no drive test"); }
BOOL IsRemovableDrive(LPSTR) { fuzz::Fail("no drive test"); }
BOOL IsRemoteDrive(LPCSTR) { fuzz::Fail("no drive test"); }
int LoadSetupString(UINT, LPSTR, int) { fuzz::Fail("no message"); }
int ShowSetupMessage(HWND, UINT, LPCSTR, ...) { fuzz::Fail("no message"); }
bool RefuseDestination(UINT, LPCSTR) { fuzz::Fail("no refusal"); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string path = fuzz::TextOf(data, size);
    bool valid = Valid83(path);
    FUZZ_CHECK(valid == Rule(path), "the 8.3 rule says %d for \"%s\", got %d", Rule(path), path.c_str(), valid);
    if (path.size() >= 4 && path.size() < 255 && path.back() != '\\')
        FUZZ_CHECK(Valid83(path + "\\") == valid, "a final backslash changes nothing for \"%s\"", path.c_str());
    if (!path.empty() && !EndsInCutCharacter(path))
        CheckTrailingBackslash(path);
    return 0;
}

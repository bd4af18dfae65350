// The scrambling of the stored login and password on any bytes: applied
// twice it gives the text back at every length; a text is storable exactly
// when its scrambled form has no zero byte; and a login and password
// written to the agent's configuration read back as they were, or, for a
// text that is not storable, as far as its first zero byte (a value longer
// than 254 characters is not read back: the field keeps its text).
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "setup/install/install.h"
#include "setup/messages/messages.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/unattended/unattended.h"

namespace {

std::string Scrambled(const std::string &clear)
{
    std::vector<char> out(clear.size() + 1, '\0');
    ScrambleText(clear.data(), out.data(), (int)clear.size());
    return std::string(out.data(), clear.size());
}

void CheckRoundTrip(const std::string &bytes)
{
    std::string once = Scrambled(bytes);
    FUZZ_CHECK(Scrambled(once) == bytes, "the text back after scrambling twice (%zu bytes)", bytes.size());
}

// What is stored of a text: up to the first byte that scrambles to zero.
std::string StoredOf(const std::string &clear)
{
    std::string scrambled = Scrambled(clear);
    size_t zero = scrambled.find('\0');
    return zero == std::string::npos ? clear : clear.substr(0, zero);
}

const char Kept[] = "(kept)";

// The reader takes values of at most 254 characters; a field keeps its
// text when its value is longer.
std::string ReadBackOf(const std::string &clear)
{
    std::string stored = StoredOf(clear);
    return stored.size() <= 254 ? stored : Kept;
}

void CheckStorable(const std::string &text)
{
    bool storable = IsStorableCredential(text.c_str());
    FUZZ_CHECK(storable == (StoredOf(text) == text), "storable %d for a text whose scrambled form %s a zero",
               storable, storable ? "holds" : "lacks");
}

void CheckStoredAndRead(const std::string &login, const std::string &password)
{
    fuzz::ClearRegistry();
    ResetSetupState();
    lstrcpynA(SetupState.SqlLogin, login.c_str(), SETUP_ACCOUNT_SIZE);
    lstrcpynA(SetupState.SqlPassword, password.c_str(), SETUP_ACCOUNT_SIZE);
    lstrcpynA(SetupState.InstallDir, "C:\\AGENT\\", SETUP_PATH_SIZE);
    WriteAgentConfiguration();

    fuzz::StoredValue stored = fuzz::RegistryValue(AGENT_CONFIG_KEY, "password");
    FUZZ_CHECK(stored.found && stored.type == REG_SZ, "a REG_SZ password value");
    FUZZ_CHECK(stored.data == Scrambled(StoredOf(password)) + '\0', "the scrambled password and its terminator");

    ResetSetupState();
    lstrcpyA(SetupState.SqlLogin, Kept);
    lstrcpyA(SetupState.SqlPassword, Kept);
    FUZZ_CHECK(ReadPreviousInstallation(), "the installation is read back");
    FUZZ_CHECK(ReadBackOf(login) == SetupState.SqlLogin, "login \"%s\" read back, got \"%s\"",
               ReadBackOf(login).c_str(), SetupState.SqlLogin);
    FUZZ_CHECK(ReadBackOf(password) == SetupState.SqlPassword, "password \"%s\" read back, got \"%s\"",
               ReadBackOf(password).c_str(), SetupState.SqlPassword);
    FUZZ_CHECK(strcmp(SetupState.InstallDir, "C:\\AGENT") == 0, "the directory read back, got %s",
               SetupState.InstallDir);
}

}  // namespace

int LoadSetupString(UINT, LPSTR buffer, int size)
{
    lstrcpynA(buffer, "text", size);
    return lstrlenA(buffer);
}

int ShowSetupMessage(HWND, UINT, LPCSTR, ...) { fuzz::Fail("no message while writing the configuration"); }
void FatalSetupError(int id) { fuzz::Fail("the configuration is written (fatal error %d)", id); }
void FatalSetupErrorWithText(LPCSTR text) { fuzz::Fail("the configuration is written (%s)", text); }
void EndRunWithFailure(LPCSTR text) { fuzz::Fail("the configuration is written (%s)", text); }
// The access list is the registry's business; here the key is only made.
KeyProtection ProtectAgentConfigKey(DWORD *error)
{
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    RegCloseKey(key);
    return KeyProtected;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string bytes((const char *)data, size);
    CheckRoundTrip(bytes);
    // Login and password: the texts before and after the first zero byte,
    // each as long as the fields hold.
    std::string text = fuzz::TextOf(data, size);
    std::string rest = text.size() < size ? fuzz::TextOf(data + text.size() + 1, size - text.size() - 1) : "";
    std::string login = text.substr(0, SETUP_ACCOUNT_SIZE - 1), password = rest.substr(0, SETUP_ACCOUNT_SIZE - 1);
    CheckStorable(login);
    CheckStoredAndRead(login, password);
    return 0;
}

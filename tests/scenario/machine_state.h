/* The machine state an install leaves, and the clean state before one. */
#ifndef MACHINE_STATE_H
#define MACHINE_STATE_H

#include <windows.h>

#include <string>
#include <vector>
#include "product.h"

namespace machine {

const char ConfigKey[] = AGENT_CONFIG_KEY;
const char ProductsKey[] = AGENT_PRODUCTS_KEY;
// The agent's entry in Programs and Features.
const char UninstallEntryKey[] = UNINSTALL_ENTRY_KEY;

struct RegistryValue {
    bool found = false;
    DWORD type = 0;
    std::string data;
};

struct ServiceInfo {
    bool exists = false;
    std::string displayName;
    std::string imagePath;
    DWORD startType = 0;
    DWORD state = 0;
};

// Stops and deletes both agent services, removes the family's registry tree,
// the install directory, the Start Menu folder, the log and the MIF.
void CleanMachine(const std::string &installDir = "C:\\DORURE");
bool StopAndDeleteService(const std::string &name);
// Sets the agent service's diagnostics switch "StopBehaviour" and restarts
// it, so that the switch takes effect; false when it does not run again.
bool RestartWithStopBehaviour(const std::string &name, DWORD behaviour);

// Every value below a key of HKLM (or every file of a directory, with its
// contents) as one text, to compare a state before and after a run.
std::string KeySnapshot(const std::string &keyPath);
std::string DirectorySnapshot(const std::string &directory, const std::vector<std::string> &except = {});

// What an install touches, as one text: the agent's directory tree (names,
// attributes, times, contents), the Start menu item, the kept copy, the
// configuration key with its access list, the family's product value, the
// Programs and Features entry, the services with their states, and a left
// record of a run.
std::string AgentMachineSnapshot(const std::string &installDir = "C:\\DORURE");

RegistryValue ReadValue(const std::string &keyPath, const std::string &name);
bool KeyExists(const std::string &keyPath);
std::string KeyClass(const std::string &keyPath);
ServiceInfo QueryService(const std::string &name);
// Waits until the service reports the state, or the time-out passes.
DWORD WaitForServiceState(const std::string &name, DWORD state, DWORD timeoutMs);

// Names of the files that setup.inf lists in section "Files".
std::vector<std::string> DistributionFiles();
std::string StartMenuFolder();
// Target of a shortcut, read back through IShellLinkA; empty when unreadable.
std::string ShortcutTarget(const std::string &linkPath);
std::string ShortcutIcon(const std::string &linkPath);
std::vector<std::string> FilesIn(const std::string &directory);

// An access list as one text: "protected" or "inherits", then each entry
// as "name access-mask flags" (OI, CI, IO, ID), in order.
std::string DescribeAccess(PSECURITY_DESCRIPTOR descriptor);
// The list of a key below HKLM, as the registry keeps it.
std::string KeyAccess(const std::string &keyPath);
// The agent's configuration key: Administrators and SYSTEM only.
const char ProtectedKeyAccess[] = "protected; Administrators 0xf003f CI; SYSTEM 0xf003f CI";
// The agent's directory: Administrators and SYSTEM, and Users read and run.
const char ProtectedDirectoryAccess[] =
    "protected; Administrators 0x1f01ff OI CI; SYSTEM 0x1f01ff OI CI; Users 0x1200a9 OI CI";
// The program path the service manager holds for a program (quoted when it
// holds a blank).
std::string ImagePathOf(const std::string &program);

std::string Sz(const std::string &text);
std::string Dword(DWORD number);
std::string Scrambled(const std::string &clear);

// Checks the 14 configuration values of an agent in `directory` (with a
// trailing backslash); adds gtest failures.
void ExpectAgentConfiguration(const std::string &directory, const std::string &login, const std::string &password);

// Checks the whole state of an agent installed in `directory` (with a
// trailing backslash) with that account; adds gtest failures.
void ExpectInstalledAgent(const std::string &directory, const std::string &login, const std::string &password);

}  // namespace machine

#endif

/* Helpers of the agent suite: distribution paths, registry and services. */
#ifndef AGENT_TEST_SUPPORT_H
#define AGENT_TEST_SUPPORT_H

#include <windows.h>
#include <string>
#include <vector>
#include "product.h"

/* The distribution directory with a backslash-separated file name. */
std::string DistPath(const char *name);

/* Whole file as bytes; empty when it cannot be read. */
std::string ReadWholeFile(const std::string &path);
/* Size in bytes, or -1 when the file is missing. */
long long FileSizeOf(const std::string &path);

void DeleteAgentRegistry(void);
bool WriteStringValue(const char *keyPath, const char *name, const std::string &data);
bool WriteDwordValue(const char *keyPath, const char *name, DWORD data);
/* REG_SZ data of a value, with its type; false when it cannot be read. */
bool ReadRegistryText(const char *keyPath, const char *name, std::string *data, DWORD *type);

/* Stops (or, when it will not stop, ends) and deletes the service, and
 * waits until the service control manager has forgotten it. */
void RemoveTestService(const char *name);
SC_HANDLE CreateTestService(const char *name, const std::string &imagePath);
bool WaitForServiceState(SC_HANDLE service, DWORD state, DWORD timeoutMs, SERVICE_STATUS *last);

/* What the service reported from a stop request until it left stop-pending. */
struct StopObservation {
    BOOL controlAccepted;
    DWORD controlError;
    std::vector<DWORD> checkpoints;   /* one per status seen stop-pending */
    std::vector<DWORD> waitHints;
    DWORD finalState;
};
StopObservation RequestStopAndObserve(SC_HANDLE service, DWORD observeMs);

#endif

#include <stdio.h>

#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/unattended/unattended.h"

static void TraceToStandardOutput(LPCSTR format, DWORD code)
{
    char line[128];
    snprintf(line, sizeof(line), format, (int)code);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written;
    if (output && output != INVALID_HANDLE_VALUE)
        WriteFile(output, line, (DWORD)lstrlenA(line), &written, NULL);
}

// Grants full access only to the local Administrators group, then asks
// whether the thread's token is given that access.
int IsUserAdministrator(void)
{
    BOOL accessStatus = FALSE;
    HANDLE processToken = NULL, threadToken = NULL;
    PSID administrators = NULL;
    PSECURITY_DESCRIPTOR privateDescriptor = NULL;
    SECURITY_DESCRIPTOR descriptor;
    static BYTE aclBuffer[4096];
    PACL acl = (PACL)aclBuffer;
    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    GENERIC_MAPPING mapping = {0x120089, 0x120116, 0x1200A0, 0x1F01FF};
    LPCSTR failure = NULL;

    if (!OpenProcessToken(GetCurrentProcess(), 0xF00FF, &processToken)) {
        TraceToStandardOutput("\nOpenProcessToken() failed, GetLastError() = %d", GetLastError());
        processToken = NULL;
    }
    if (!InitializeSecurityDescriptor(&descriptor, 1))
        failure = "Failed to Initialize Security Desc() %d";
    else if (!InitializeAcl(acl, sizeof(aclBuffer), 2))
        failure = "Failed to Initialize ACL %d";
    else if (!AllocateAndInitializeSid(&ntAuthority, 2, 32, 544, 0, 0, 0, 0, 0, 0, &administrators))
        failure = "Failed to get SID %d";
    else if (!AddAccessAllowedAce(acl, 2, 0x10000000, administrators))
        failure = "AddAccessAllowedAce()  Failed %d";
    else if (!SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE))
        failure = "SetSecurityDacl() %d";
    else if (!CreatePrivateObjectSecurity(NULL, &descriptor, &privateDescriptor, FALSE, processToken,
                                          &mapping))
        failure = "CreatePrivateObjectSecurity() %d";

    if (failure) {
        LogSetupMessage(failure, GetLastError());
    } else {
        ImpersonateSelf(SecurityImpersonation);
        if (!OpenThreadToken(GetCurrentThread(), 0xF00FF, TRUE, &threadToken)) {
            TraceToStandardOutput("\nOpenThreadToken() failed, GetLastError() = %d", GetLastError());
            threadToken = NULL;
        }
        DWORD desired = 0x10000000;
        MapGenericMask(&desired, &mapping);
        static BYTE privilegeBuffer[1024];
        DWORD privilegeLength = sizeof(privilegeBuffer);
        DWORD granted = 0;
        if (!AccessCheck(privateDescriptor, threadToken, desired, &mapping,
                         (PPRIVILEGE_SET)privilegeBuffer, &privilegeLength, &granted, &accessStatus))
            LogSetupMessage("AccessCheck() Failed  %d", GetLastError());
        if (!accessStatus)
            LogSetupMessage("AccessCheck() %d", accessStatus);
    }

    if (administrators)
        FreeSid(administrators);
    RevertToSelf();
    if (privateDescriptor)
        DestroyPrivateObjectSecurity(&privateDescriptor);
    if (threadToken)
        CloseHandle(threadToken);
    if (processToken)
        CloseHandle(processToken);
    return accessStatus;
}

int RequireAdministrator(void)
{
    if (IsUserAdministrator())
        return 1;
    WCHAR wide[512];
    char text[400];
    wide[0] = L'\0';
    if (SetupState.ResourceLibrary)
        LoadStringW(SetupState.ResourceLibrary, IDS_NOT_ADMINISTRATOR, wide, 511);
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), NULL, NULL))
        text[0] = '\0';
    text[sizeof(text) - 1] = '\0';
    ShowSetupMessage(SetupState.FrameWindow, MB_ICONHAND, text);
    AppendMifStatus(0, text);
    CleanupSetup();
    return 0;
}

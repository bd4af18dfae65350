/*
 * Who may read the agent's configuration and change its programs.
 *
 * The key's list is read back from the registry, which keeps it. Wine does
 * not keep the lists of files and directories (GetFileSecurityA answers a
 * default list whatever was set), so for the directory these cases check
 * what setup asks the system for: the descriptor it passes to
 * CreateDirectoryA, and what it makes of the list GetFileSecurityA answers.
 */
#include <gtest/gtest.h>

#include <stdarg.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "platform/setup-toolkit/setuptk.h"
#include "setup/agent_rules/access_lists.h"
#include "setup/install/install.h"
#include "setup/unattended/unattended.h"
#include "scenario/machine_state.h"
#include "scenario/scenario_support.h"
#include "unit/import_hook.h"
#include "unit/test_support.h"
#include "product.h"

namespace {

using machine::ConfigKey;

class AgentKeyAccess : public ::testing::Test {
protected:
    void SetUp() override
    {
        support::FreshState();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tamarack");
        lstrcpyA(SetupState.InstallDir, "C:\\DORURE\\");
        lstrcpyA(SetupState.SqlLogin, "sa");
        lstrcpyA(SetupState.SqlPassword, "Sesame 42");
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tamarack");
        support::ReleaseState();
    }
};

TEST_F(AgentKeyAccess, NewKeyIsMadeWithTheProtectedList)
{
    WriteAgentConfiguration();
    EXPECT_EQ(machine::ProtectedKeyAccess, machine::KeyAccess(ConfigKey));
    EXPECT_EQ("TSIData", machine::KeyClass(ConfigKey));
    EXPECT_EQ("TSIData", machine::KeyClass(AGENT_AGENTS_KEY));
}

// The key an earlier version left: everyone may read it.
TEST_F(AgentKeyAccess, ReinstallProtectsAnOpenKeyAndKeepsEveryValue)
{
    WriteAgentConfiguration();
    SECURITY_DESCRIPTOR open;
    InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&open, TRUE, NULL, FALSE);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, ConfigKey, 0, KEY_ALL_ACCESS, &key));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &open));
    RegSetValueExA(key, "site note", 0, REG_SZ, (const BYTE *)"keep", 5);
    RegCloseKey(key);
    ASSERT_EQ("no list", machine::KeyAccess(ConfigKey)) << "the key starts open";

    lstrcpyA(SetupState.SqlPassword, "Other 43");
    WriteAgentConfiguration();
    EXPECT_EQ(machine::ProtectedKeyAccess, machine::KeyAccess(ConfigKey));
    machine::ExpectAgentConfiguration("C:\\DORURE\\", "sa", "Other 43");
    EXPECT_EQ(machine::Sz("keep"), machine::ReadValue(ConfigKey, "site note").data);
}

LONG WINAPI RefuseKeySecurity(HKEY, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR)
{
    return ERROR_ACCESS_DENIED;
}

TEST_F(AgentKeyAccess, ListThatCannotBeSetEndsSetupBeforeTheAccountIsStored)
{
    support::DeleteMif();
    SetupState.RunFlags |= RF_SMS | RF_QUIET;
    EXPECT_SETUP_ENDS({
        ImportHook refuse("ADVAPI32.dll", "RegSetKeySecurity", (void *)RefuseKeySecurity);
        if (!refuse.Installed())
            exit(1);
        CreateStatusMif();
        WriteAgentConfiguration();
    });
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ("VALUE = \"Failed\"", mif[57]);
    EXPECT_EQ("VALUE = \"" + scenario::FormatText(10110, ERROR_ACCESS_DENIED) + "\"", mif[65]);
    EXPECT_FALSE(machine::ReadValue(ConfigKey, "user").found);
    EXPECT_FALSE(machine::ReadValue(ConfigKey, "password").found);
}

// ---- the directory

struct CreatedDirectory {
    std::string path;
    std::string access;
};
std::vector<CreatedDirectory> g_created;
ImportHook *g_createHook;

BOOL WINAPI RecordCreateDirectory(LPCSTR path, LPSECURITY_ATTRIBUTES attributes)
{
    g_created.push_back({path, attributes ? machine::DescribeAccess(attributes->lpSecurityDescriptor) : "none"});
    typedef BOOL(WINAPI * CreateFn)(LPCSTR, LPSECURITY_ATTRIBUTES);
    return ((CreateFn)g_createHook->Original())(path, attributes);
}

const char Root[] = "C:\\agentsec";

struct DirectoryRow {
    const char *name;
    const char *directory;
    std::vector<const char *> existing;  // made before, "*" before a name: a file
    DWORD result;
    std::vector<std::string> created;
    const char *accessLine;  // the log's second line starts with it
};

const DirectoryRow DirectoryRows[] = {
    {"NewWithItsParents", "C:\\agentsec\\new\\AGENT\\", {}, 0,
     {"C:\\agentsec", "C:\\agentsec\\new", "C:\\agentsec\\new\\AGENT"},
     "Setup created it: only Administrators and SYSTEM may change files in it; Users may read and run them."},
    {"NewInAnExistingParent", "C:\\agentsec\\AGENT", {"C:\\agentsec"}, 0, {"C:\\agentsec\\AGENT"},
     "Setup created it:"},
    {"Existing", "C:\\agentsec\\AGENT\\", {"C:\\agentsec", "C:\\agentsec\\AGENT"}, 0, {},
     "It existed already, empty or with the agent's files only"},
    {"ExistingWithOtherFiles", "C:\\agentsec\\", {"C:\\agentsec", "*C:\\agentsec\\notes.txt"}, 0, {},
     "It existed already and keeps its access"},
    {"FileInTheWay", "C:\\agentsec\\AGENT\\", {"*C:\\agentsec"}, ERROR_ALREADY_EXISTS, {"C:\\agentsec"}, NULL},
};

void PrintTo(const DirectoryRow &row, std::ostream *os)
{
    *os << row.name;
}

class AgentDirectory : public ::testing::TestWithParam<DirectoryRow> {
protected:
    void SetUp() override
    {
        support::FreshState();
        support::DeleteLog();
        Clean();
        SetupState.RunFlags |= RF_LOGFILE;
        ASSERT_TRUE(FOpenLogFile(support::LogPath, 0));
        SetupState.LogFileOpen = 1;
    }
    void TearDown() override
    {
        Clean();
        support::ReleaseState();
    }
    static void Clean()
    {
        DeleteFileA(Root);
        scenario::RemoveDirectoryTree(Root);
    }
};

TEST_P(AgentDirectory, IsMadeWithTheProtectedList)
{
    const DirectoryRow &row = GetParam();
    for (const char *path : row.existing) {
        if (path[0] == '*')
            support::WriteFile(path + 1, "in the way");
        else
            ASSERT_TRUE(CreateDirectoryA(path, NULL)) << path;
    }
    g_created.clear();
    ImportHook hook("KERNEL32.dll", "CreateDirectoryA", (void *)RecordCreateDirectory);
    g_createHook = &hook;
    ASSERT_TRUE(hook.Installed());

    EXPECT_EQ(row.result, PrepareAgentDirectory(row.directory));

    ASSERT_EQ(row.created.size(), g_created.size());
    for (size_t i = 0; i < g_created.size(); i++) {
        EXPECT_EQ(row.created[i], g_created[i].path);
        EXPECT_EQ(machine::ProtectedDirectoryAccess, g_created[i].access) << g_created[i].path;
    }
    FCloseLogFile();
    std::vector<std::string> log = support::LogLines();
    std::string directory = row.directory;
    if (directory.back() != '\\')
        directory += "\\";
    ASSERT_LE(1u, log.size());
    EXPECT_EQ("The agent's directory: " + directory, log[0]);
    if (row.accessLine) {
        ASSERT_EQ(2u, log.size());
        EXPECT_EQ(0u, log[1].find(row.accessLine)) << log[1];
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, AgentDirectory, ::testing::ValuesIn(DirectoryRows),
                         [](const ::testing::TestParamInfo<DirectoryRow> &info) { return info.param.name; });

// What setup says of an existing directory's list: the list GetFileSecurityA
// answers is the row's.
struct Grant {
    WELL_KNOWN_SID_TYPE trustee;
    DWORD access;
    BYTE flags;
};

std::vector<BYTE> g_answeredList;

BOOL WINAPI AnswerFileSecurity(LPCSTR, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR descriptor, DWORD size,
                               LPDWORD needed)
{
    *needed = (DWORD)g_answeredList.size();
    if (size < g_answeredList.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(descriptor, g_answeredList.data(), g_answeredList.size());
    return TRUE;
}

// A self-relative descriptor as the system answers; no grants: no list at all.
std::vector<BYTE> ListOf(const std::vector<Grant> &grants, WELL_KNOWN_SID_TYPE owner = WinNullSid)
{
    BYTE ownerSid[SECURITY_MAX_SID_SIZE];
    DWORD ownerSize = sizeof(ownerSid);
    CreateWellKnownSid(owner, NULL, ownerSid, &ownerSize);
    BYTE aclBuffer[1024];
    PACL acl = (PACL)aclBuffer;
    InitializeAcl(acl, sizeof(aclBuffer), ACL_REVISION);
    for (const Grant &grant : grants) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD sidSize = sizeof(sid);
        CreateWellKnownSid(grant.trustee, NULL, sid, &sidSize);
        AddAccessAllowedAceEx(acl, ACL_REVISION, grant.flags, grant.access, sid);
    }
    SECURITY_DESCRIPTOR absolute;
    InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&absolute, TRUE, grants.empty() ? NULL : acl, FALSE);
    if (owner != WinNullSid)
        SetSecurityDescriptorOwner(&absolute, ownerSid, FALSE);
    std::vector<BYTE> relative(2048);
    DWORD size = (DWORD)relative.size();
    MakeSelfRelativeSD(&absolute, relative.data(), &size);
    relative.resize(size);
    return relative;
}

TEST(ExistingDirectoryAccess, NamesWhoElseMayChangeFiles)
{
    const DWORD modify = 0x1301BF, readAndRun = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
    const struct {
        std::vector<Grant> grants;
        const char *names;
        WELL_KNOWN_SID_TYPE owner;
    } rows[] = {
        {{{WinBuiltinAdministratorsSid, FILE_ALL_ACCESS, 3}, {WinLocalSystemSid, FILE_ALL_ACCESS, 3},
          {WinBuiltinUsersSid, readAndRun, 3}},
         "", WinNullSid},
        {{{WinBuiltinAdministratorsSid, FILE_ALL_ACCESS, 0}, {WinBuiltinUsersSid, modify, 0}}, "Users", WinNullSid},
        {{{WinWorldSid, readAndRun, 0}, {WinAuthenticatedUserSid, FILE_ADD_FILE, CONTAINER_INHERIT_ACE}},
         "Authenticated Users", WinNullSid},
        {{{WinCreatorOwnerSid, GENERIC_ALL, INHERIT_ONLY_ACE | OBJECT_INHERIT_ACE}}, "", WinNullSid},
        {{{WinBuiltinUsersSid, GENERIC_WRITE, INHERIT_ONLY_ACE | OBJECT_INHERIT_ACE}, {WinWorldSid, DELETE, 0}},
         "Users, Everyone", WinNullSid},
        {{}, "Everyone", WinNullSid},
        // An owner may always rewrite the list.
        {{{WinBuiltinAdministratorsSid, FILE_ALL_ACCESS, 0}}, "Users", WinBuiltinUsersSid},
        {{{WinLocalSystemSid, FILE_ALL_ACCESS, 0}}, "", WinBuiltinAdministratorsSid},
        {{}, "Authenticated Users, Everyone", WinAuthenticatedUserSid},
    };
    ImportHook hook("ADVAPI32.dll", "GetFileSecurityA", (void *)AnswerFileSecurity);
    ASSERT_TRUE(hook.Installed());
    for (const auto &row : rows) {
        g_answeredList = ListOf(row.grants, row.owner);
        char names[160] = "unchanged";
        EXPECT_TRUE(DescribeOtherWriters("C:\\", names, sizeof(names)));
        EXPECT_STREQ(row.names, names);
    }
}

// The road: a quiet install into a directory that holds another program's
// files and that Users may change ends before anything is copied; one that
// holds only the agent's files is taken, whatever its list.
TEST(ExistingDirectoryAccess, UnsafeDirectoryEndsTheInstallBeforeTheCopy)
{
    CreateDirectoryA("C:\\unsafe", NULL);
    support::WriteFile("C:\\unsafe\\dorure60.dll", "the agent's");
    g_answeredList = ListOf({{WinBuiltinUsersSid, 0x1301BF, 0}});
    {
        ImportHook hook("ADVAPI32.dll", "GetFileSecurityA", (void *)AnswerFileSecurity);
        ASSERT_TRUE(hook.Installed());
        char text[256] = "";
        EXPECT_FALSE(RefuseUnsafeDirectory("C:\\unsafe", text, sizeof(text))) << "the agent's files only: " << text;
    }
    support::WriteFile("C:\\unsafe\\tool.exe", "another program");
    support::DeleteMif();
    support::FreshState();
    SetupState.RunFlags |= RF_SMS | RF_QUIET;
    EXPECT_SETUP_ENDS({
        ImportHook hook("ADVAPI32.dll", "GetFileSecurityA", (void *)AnswerFileSecurity);
        if (!hook.Installed())
            exit(1);
        CreateStatusMif();
        PrepareAgentDirectory("C:\\unsafe\\");
    });
    std::vector<std::string> mif = robot::SplitLines(robot::ReadWholeFile(support::MifPath()));
    ASSERT_EQ(69u, mif.size());
    EXPECT_EQ("VALUE = \"Failed\"", mif[57]);
    EXPECT_EQ(0u, mif[65].find("VALUE = \"" + scenario::FormatText(10142, "Users", "C:\\unsafe\\").substr(0, 40)))
        << mif[65];
    support::ReleaseState();
    DeleteFileA("C:\\unsafe\\tool.exe");
    DeleteFileA("C:\\unsafe\\dorure60.dll");
    RemoveDirectoryA("C:\\unsafe");
}

}  // namespace

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string>

#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "unit/test_support.h"

namespace {

// These cases run a second time under the double-byte code page 932; that
// run sets SETUP_EXPECT_ACP so a wrong locale fails instead of passing.
void RequireExpectedCodePage()
{
    char expected[16] = "";
    if (GetEnvironmentVariableA("SETUP_EXPECT_ACP", expected, sizeof(expected))) {
        ASSERT_EQ((UINT)atoi(expected), GetACP());
    }
}

TEST(TrailingBackslash, AddsOnlyWhenMissing)
{
    RequireExpectedCodePage();
    char path[16] = "C:\\DORURE";
    AddTrailingBackslash(path);
    EXPECT_STREQ("C:\\DORURE\\", path);
    AddTrailingBackslash(path);
    EXPECT_STREQ("C:\\DORURE\\", path);
    char root[8] = "C:\\";
    AddTrailingBackslash(root);
    EXPECT_STREQ("C:\\", root) << "a root keeps one backslash";
    char empty[4] = "";
    AddTrailingBackslash(empty);
    EXPECT_STREQ("\\", empty);
}

TEST(TrailingBackslash, RemovesOnlyOne)
{
    RequireExpectedCodePage();
    char path[16] = "C:\\A\\\\";
    RemoveTrailingBackslash(path);
    EXPECT_STREQ("C:\\A\\", path);
    char empty[4] = "";
    RemoveTrailingBackslash(empty);
    EXPECT_STREQ("", empty);
}

// 0x95 0x5C is one Shift-JIS character whose second byte is the backslash.
TEST(TrailingBackslashDbcs, TrailByteIsNoBackslashUnderCodePage932)
{
    RequireExpectedCodePage();
    if (GetACP() != 932)
        GTEST_SKIP() << "runs under code page 932 in its own test entry";
    char path[16] = "C:\\\x95\x5C";
    EXPECT_FALSE(EndsInBackslash(path));
    AddTrailingBackslash(path);
    EXPECT_STREQ("C:\\\x95\x5C\\", path);
    RemoveTrailingBackslash(path);
    EXPECT_STREQ("C:\\\x95\x5C", path);
    RemoveTrailingBackslash(path);
    EXPECT_STREQ("C:\\\x95\x5C", path) << "the trail byte is not removed";
}

TEST(TrailingBackslashDbcs, SingleByteCodePageSeesABackslash)
{
    RequireExpectedCodePage();
    if (GetACP() == 932)
        GTEST_SKIP() << "runs under a single-byte code page";
    char path[16] = "C:\\\x95\x5C";
    EXPECT_TRUE(EndsInBackslash(path));
}

// One directory, however it is spelt.
TEST(SameDirectory, IsWhatTheDirectoryIsNotItsText)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\LongAgentDirectory", NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
    char shortName[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA("C:\\LongAgentDirectory", shortName, sizeof(shortName)));
    ASSERT_STRCASENE("C:\\LongAgentDirectory", shortName);
    const struct {
        const char *other;
        bool same;
    } rows[] = {
        {shortName, true},          {"c:\\longagentdirectory", true},           {"C:\\LongAgentDirectory\\", true},
        {"C:\\Windows\\..\\LongAgentDirectory", true}, {"C:\\LongAgentDirectory\\.\\sub\\..", true},
        {"C:\\LongAgentDirectory2", false}, {"C:\\", false}, {"", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.same, IsSameDirectory("C:\\LongAgentDirectory", row.other)) << row.other;
    EXPECT_TRUE(IsSameDirectory("C:\\NotThere\\", "c:\\notthere")) << "text alone, for what is not there";
    EXPECT_TRUE(IsSameDirectory("C:", "C:\\")) << "a drive alone is its root";
    RemoveDirectoryA("C:\\LongAgentDirectory");
}

}  // namespace

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "toolkit/file_helpers.h"
#include "setuptk.h"

namespace {

using toolkit_files::ReadAll;
using toolkit_files::WriteAll;

const char kStampPattern[] = "\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}  ";

// Lines of the file, each still checked for its CR LF ending.
std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no CR LF>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool IsEntry(const std::string &line, const std::string &text)
{
    return std::regex_match(line, std::regex(std::string(kStampPattern) + text));
}

class LogFile : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(path); }
    void TearDown() override
    {
        if (FLogFileOpen())
            FCloseLogFile();
        DeleteFileA(path);
    }
    const char *path = "toolkit_test.log";
};

}  // namespace

TEST_F(LogFile, LinesCarryATimeStamp)
{
    ASSERT_TRUE(FOpenLogFile(path, 0));
    EXPECT_TRUE(FLogFileOpen());
    EXPECT_TRUE(FWriteToLogFile("Setup started.", 1));
    EXPECT_TRUE(FWriteToLogFile("Copying files.", 1));
    EXPECT_TRUE(FCloseLogFile());
    EXPECT_FALSE(FLogFileOpen());

    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(2u, lines.size());
    EXPECT_TRUE(IsEntry(lines[0], "Setup started\\.")) << lines[0];
    EXPECT_TRUE(IsEntry(lines[1], "Copying files\\.")) << lines[1];

    SYSTEMTIME now;
    GetLocalTime(&now);
    char year[8];
    snprintf(year, sizeof(year), "%04u-", now.wYear);
    EXPECT_EQ(0u, lines[0].find(year)) << "the stamp is the local date: " << lines[0];
}

TEST_F(LogFile, EveryLineIsOnDiskBeforeTheLogIsClosed)
{
    ASSERT_TRUE(FOpenLogFile(path, 0));
    FWriteToLogFile("First", 1);
    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(1u, lines.size());
    EXPECT_TRUE(IsEntry(lines[0], "First")) << lines[0];
}

TEST_F(LogFile, AppendModeKeepsEarlierLines)
{
    WriteAll(path, "earlier run\r\n");
    ASSERT_TRUE(FOpenLogFile(path, 1));
    FWriteToLogFile("second run", 1);
    FCloseLogFile();
    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("earlier run", lines[0]);
    EXPECT_TRUE(IsEntry(lines[1], "second run")) << lines[1];
}

TEST_F(LogFile, EmptyModeStartsAfresh)
{
    WriteAll(path, "earlier run\r\n");
    ASSERT_TRUE(FOpenLogFile(path, 0));
    FWriteToLogFile("only this", 1);
    FCloseLogFile();
    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(1u, lines.size());
    EXPECT_TRUE(IsEntry(lines[0], "only this")) << lines[0];
}

TEST_F(LogFile, MultiLineTextStaysOneIndentedEntry)
{
    ASSERT_TRUE(FOpenLogFile(path, 0));
    FWriteToLogFile("The service could not be started.\r\nCheck its account.\nThen retry.\n", 1);
    FWriteToLogFile("next", 1);
    FCloseLogFile();
    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(4u, lines.size());
    EXPECT_TRUE(IsEntry(lines[0], "The service could not be started\\.")) << lines[0];
    EXPECT_EQ(std::string(21, ' ') + "Check its account.", lines[1]);
    EXPECT_EQ(std::string(21, ' ') + "Then retry.", lines[2]);
    EXPECT_TRUE(IsEntry(lines[3], "next")) << "a trailing break adds no empty line: " << lines[3];
}

TEST_F(LogFile, LongTextIsWrittenWhole)
{
    std::string text(5000, 'k');
    ASSERT_TRUE(FOpenLogFile(path, 0));
    EXPECT_TRUE(FWriteToLogFile(text.c_str(), 1));
    FCloseLogFile();
    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(21u + 5000u, lines[0].size());
}

TEST_F(LogFile, NoOpenLogAnswersFalse)
{
    EXPECT_FALSE(FLogFileOpen());
    EXPECT_FALSE(FWriteToLogFile("nowhere to go", 1));
    EXPECT_FALSE(FCloseLogFile());
}

TEST_F(LogFile, UnreachablePathFails)
{
    EXPECT_FALSE(FOpenLogFile("no_such_directory\\setup.log", 0));
    EXPECT_FALSE(FLogFileOpen());
    EXPECT_FALSE(FWriteToLogFile("lost", 1));
}

TEST_F(LogFile, ReopeningMovesToTheNewFile)
{
    const char *other = "toolkit_test_other.log";
    DeleteFileA(other);
    ASSERT_TRUE(FOpenLogFile(other, 0));
    ASSERT_TRUE(FOpenLogFile(path, 0));
    FWriteToLogFile("here", 1);
    FCloseLogFile();
    EXPECT_EQ("", ReadAll(other));
    EXPECT_EQ(1u, Lines(ReadAll(path)).size());
    DeleteFileA(other);
}

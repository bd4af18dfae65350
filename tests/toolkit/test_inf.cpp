// The .inf reader of MSINSSTF.DLL: the distribution's format is read, and
// every kind of bad input fails with a log line naming the file and line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "toolkit/file_helpers.h"
#include "setuptk.h"

namespace {

using toolkit_files::ReadAll;
using toolkit_files::WriteAll;

std::string CostItem(const char* list, int drive)
{
    char item[32];
    CbGetListItem(list, static_cast<USHORT>(drive), item, sizeof item);
    return item;
}

const char kDistributionInf[] =
    "[Version]\r\n"
    "Signature = \"$Windows NT$\"\r\n"
    "\r\n"
    "[Files]\r\n"
    "; file name, size in bytes\r\n"
    "KVASVR.EXE, 53248\r\n"
    "dorure60.dll, 40960\r\n";

class InfReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        inf_ = std::string(dir) + "tk_inf_" + name + ".inf";
        log_ = std::string(dir) + "tk_inf_" + name + ".log";
        DeleteFileA(log_.c_str());
        ASSERT_TRUE(FOpenLogFile(log_.c_str(), 0));
        ResetCopyList();
    }
    void TearDown() override
    {
        TerminateInstall();
        FCloseLogFile();
        DeleteFileA(inf_.c_str());
        DeleteFileA(log_.c_str());
    }
    BOOL Open(const std::string& text)
    {
        WriteAll(inf_, text);
        return FOpenInf(inf_.c_str(), 1, 0);
    }
    std::string Log()
    {
        FCloseLogFile();
        std::string text = ReadAll(log_);
        FOpenLogFile(log_.c_str(), 1);
        return text;
    }
    // The bytes the copy list costs on C: (whole list, no existing files).
    LONG TotalCost() { return LcbGetCopyListCost("EXTRAS", "COSTS", "NEEDED"); }
    // Checks that the open fails and the log names the file and `line`.
    void ExpectRefusedAtLine(const std::string& text, int line, const char* why)
    {
        EXPECT_FALSE(Open(text)) << why;
        std::string log = Log();
        std::string where = inf_ + ", line " + std::to_string(line) + ":";
        EXPECT_NE(std::string::npos, log.find(where)) << why << ": expected \"" << where << "\" in the log:\n" << log;
    }

    std::string inf_;
    std::string log_;
};

TEST_F(InfReader, DistributionFormatGivesItsFilesAndSizes)
{
    ASSERT_TRUE(Open(kDistributionInf)) << Log();
    ASSERT_TRUE(FAddSectionFilesToCopyList("Files", "C:\\src", "C:\\dst_never_made\\"));
    LONG total = TotalCost();
    // Both sizes are multiples of 4096 and of any smaller cluster size.
    EXPECT_EQ(53248 + 40960, total);
    EXPECT_EQ("94208", CostItem("COSTS", 3));
}

TEST_F(InfReader, SectionNamesAreFoundWithoutRegardToCase)
{
    ASSERT_TRUE(Open(kDistributionInf));
    EXPECT_TRUE(FAddSectionFilesToCopyList("FILES", "C:\\src", "C:\\dst"));
    EXPECT_TRUE(FAddSectionFilesToCopyList("files", "C:\\src", "C:\\dst"));
    EXPECT_EQ(53248 + 40960, TotalCost()) << "the same files added again count once";
}

TEST_F(InfReader, LineEndingsBlanksQuotesAndCommentsAreRead)
{
    const char text[] =
        "; header comment\n"
        "[Files]   ; trailing comment\n"
        "\t  a.txt ,1   \n"
        "\"name, with comma.txt\", \"2\"\r\n"
        "\"say hi.txt\", 3 ; note\n"
        "\n"
        "  ;indented comment\n"
        "b.dat,4";              // no line end at the end of the file
    ASSERT_TRUE(Open(text)) << Log();
    ASSERT_TRUE(FAddSectionFilesToCopyList("Files", "C:\\src\\", "C:\\dst"));
    char root[] = "C:\\";
    DWORD spc = 0, bps = 0, f = 0, t = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA(root, &spc, &bps, &f, &t));
    EXPECT_EQ(static_cast<LONG>(4 * spc * bps), TotalCost()) << "four small files, one cluster each";
}

#define REQUIRE_CODE_PAGE_932()                                                             \
    if (GetACP() != 932) {                                                                  \
        if (getenv("TK_EXPECT_ACP") != NULL)                                                \
            FAIL() << "this run was meant for code page 932 but has " << GetACP();          \
        GTEST_SKIP() << "needs ANSI code page 932, this run has " << GetACP();              \
    }

TEST_F(InfReader, DoubleByteNamesWithBackslashTrailBytesAreFileNames)
{
    REQUIRE_CODE_PAGE_932();
    // 0x95 0x5C and 0x81 0x7C: trail bytes with the codes of '\\' and '|'.
    ASSERT_TRUE(Open("[Files]\r\n\x95\x5C.txt, 1\r\n\x81\x7C.txt, 1\r\n")) << Log();
    ASSERT_TRUE(FAddSectionFilesToCopyList("Files", "C:\\src\x95\x5C", "C:\\dst\x95\x5C"));
    DWORD spc = 0, bps = 0, f = 0, t = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA("C:\\", &spc, &bps, &f, &t));
    EXPECT_EQ(static_cast<LONG>(2 * spc * bps), TotalCost());
}

TEST_F(InfReader, DoubleByteSectionNameEndingInABlankByte)
{
    REQUIRE_CODE_PAGE_932();
    // The blank is the second byte of the name's last character, not a blank
    // around the name: the section is found by the whole name.
    ASSERT_TRUE(Open("[\x95 ]\r\nA.TXT, 1\r\n")) << Log();
    EXPECT_TRUE(FAddSectionFilesToCopyList("\x95 ", "C:\\src", "C:\\dst")) << Log();
    EXPECT_GT(TotalCost(), 0) << "the section's file is in the copy list";
}

TEST_F(InfReader, EmptySectionAndBlankFileAreNotErrors)
{
    ASSERT_TRUE(Open("[Files]\r\n"));
    EXPECT_TRUE(FAddSectionFilesToCopyList("Files", "C:\\src", "C:\\dst"));
    EXPECT_EQ(0, TotalCost());
    EXPECT_TRUE(Open(""));
}

TEST_F(InfReader, MissingFileFailsNamingIt)
{
    DeleteFileA(inf_.c_str());
    EXPECT_FALSE(FOpenInf(inf_.c_str(), 1, 0));
    std::string log = Log();
    EXPECT_NE(std::string::npos, log.find(inf_)) << log;
    EXPECT_NE(std::string::npos, log.find("error 2")) << log;
    EXPECT_FALSE(FOpenInf("", 1, 0));
    EXPECT_FALSE(FOpenInf(NULL, 1, 0));
}

TEST_F(InfReader, MissingSectionFailsNamingFileAndSection)
{
    ASSERT_TRUE(Open("[Version]\r\nSignature = \"$Windows NT$\"\r\n"));
    EXPECT_FALSE(FAddSectionFilesToCopyList("Files", "C:\\src", "C:\\dst"));
    std::string log = Log();
    EXPECT_NE(std::string::npos, log.find(inf_ + ": the section [Files] is missing")) << log;
    EXPECT_FALSE(FAddSectionFilesToCopyList("Version", "C:\\src", "C:\\dst")) << "[Version] is not a file list";
}

TEST_F(InfReader, NothingToAddWithoutAnOpenInf)
{
    EXPECT_FALSE(FAddSectionFilesToCopyList("Files", "C:\\src", "C:\\dst"));
    ASSERT_TRUE(Open(kDistributionInf));
    // A failed open closes the file opened before.
    EXPECT_FALSE(Open("[Files]\r\nbad line here\r\n"));
    EXPECT_FALSE(FAddSectionFilesToCopyList("Files", "C:\\src", "C:\\dst"));
    EXPECT_NE(std::string::npos, Log().find("no setup information file is open"));
}

TEST_F(InfReader, UnknownLinesFailWithTheirLineNumber)
{
    ExpectRefusedAtLine("[Files]\r\nKVASVR.EXE = 53248\r\n", 2, "key = value in a file section");
    ExpectRefusedAtLine("[Files]\r\nKVASVR.EXE, 53248, extra\r\n", 2, "a third field");
    ExpectRefusedAtLine("[Files]\r\n\r\n; c\r\nKVASVR.EXE\r\n", 4, "a name without a size");
    ExpectRefusedAtLine("KVASVR.EXE, 53248\r\n[Files]\r\n", 1, "a line before any section");
    ExpectRefusedAtLine("[Version]\r\nSignature\r\n", 2, "a value line without '='");
    ExpectRefusedAtLine("[Files]\r\nsub\\KVASVR.EXE, 1\r\n", 2, "a path instead of a file name");
    ExpectRefusedAtLine("[Files]\r\nKVA?.EXE, 1\r\n", 2, "a forbidden character in the name");
    ExpectRefusedAtLine("[Files]\r\n, 1\r\n", 2, "an empty name");
    ExpectRefusedAtLine("[Files]\r\n\"a.txt, 1\r\n", 2, "an unclosed quotation mark");
    ExpectRefusedAtLine("[Files]\r\n\"a.txt\"x, 1\r\n", 2, "text after a closing quotation mark");
    ExpectRefusedAtLine("[Files]\r\na.txt, 1\r\nb\x01.txt, 2\r\n", 3, "a control character");
}

TEST_F(InfReader, MalformedSectionHeadersFail)
{
    ExpectRefusedAtLine("[Version]\r\n[Files\r\na.txt, 1\r\n", 2, "no closing bracket");
    ExpectRefusedAtLine("[Files] a.txt, 1\r\n", 1, "text after the header");
    ExpectRefusedAtLine("[  ]\r\n", 1, "an empty section name");
    ExpectRefusedAtLine("[Files]\r\na.txt, 1\r\n[files]\r\n", 3, "the same section twice");
    ExpectRefusedAtLine("[" + std::string(256, 'S') + "]\r\n", 1, "a section name of 256 characters");
}

TEST_F(InfReader, OverlongLineFails)
{
    std::string fits = "a.txt, 1" + std::string(511 - 8, ' ');     // 511 characters
    ASSERT_EQ(511u, fits.size());
    EXPECT_TRUE(Open("[Files]\r\n" + fits + "\r\n")) << Log();
    std::string tooLong = fits + " ";
    ExpectRefusedAtLine("[Files]\r\nb.txt, 2\r\n" + tooLong + "\r\n", 3, "a line of 512 characters");
    ExpectRefusedAtLine("[Files]\n" + std::string(100000, 'x') + "\n", 2, "a line of 100000 characters");
}

TEST_F(InfReader, SizeThatIsNotANumberFails)
{
    ExpectRefusedAtLine("[Files]\r\nKVASVR.EXE, 53248x\r\n", 2, "digits and a letter");
    ExpectRefusedAtLine("[Files]\r\na.txt, 1\r\nKVASVR.EXE, -5\r\n", 3, "a negative size");
    ExpectRefusedAtLine("[Files]\r\nKVASVR.EXE,\r\n", 2, "an empty size");
    ExpectRefusedAtLine("[Files]\r\nKVASVR.EXE, 5 3\r\n", 2, "a blank inside the number");
    ExpectRefusedAtLine("[Files]\r\nKVASVR.EXE, 0x10\r\n", 2, "a hexadecimal size");
    ExpectRefusedAtLine("[Files]\r\nKVASVR.EXE, 99999999999999999999\r\n", 2, "a size beyond 64 bits");
    std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("0x10")) << "the log quotes the bad size:\n" << log;
}

TEST_F(InfReader, PathsTooLongForTheCopyListAreRefused)
{
    std::string name = std::string(200, 'n') + ".txt";
    ASSERT_TRUE(Open("[Files]\r\n" + name + ", 1\r\n"));
    std::string longDir = "C:\\" + std::string(60, 'd');
    EXPECT_FALSE(FAddSectionFilesToCopyList("Files", "C:\\src", longDir.c_str())) << "264 characters";
    EXPECT_NE(std::string::npos, Log().find("longer than 259 characters"));
    EXPECT_FALSE(FAddSectionFilesToCopyList("Files", "", "C:\\dst"));
    EXPECT_FALSE(FAddSectionFilesToCopyList("Files", "C:\\src", NULL));
    std::string shortDir = "C:\\" + std::string(40, 'd');
    EXPECT_TRUE(FAddSectionFilesToCopyList("Files", "C:\\src", shortDir.c_str())) << "248 characters";
}

} // namespace

/* The distribution's agent files: setup.inf, SETUP.ICF, the libraries. */
#include <gtest/gtest.h>
#include "agent_test_support.h"

static const char *const InstalledFiles[] = {
    "KVASVR.EXE", "kvabrd.exe", "dorure60.dll", "DORURE60.WRI", "KSSETUP.dll", "KSLoad.dll",
    "KSSetup.ini", "kvbrdcst.dll", "kvaprod.dll", "KVIPNET.TBL", "KVDOMAIN.TBL", "KVIPMASK.TBL",
};

static std::vector<std::string> SplitCrLfLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

static bool HasOnlyCrLfLineEnds(const std::string &text)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    return text.find('\n') != std::string::npos;
}

TEST(SetupInf, ListsEveryInstalledFileWithItsSize)
{
    std::string text = ReadWholeFile(DistPath("setup.inf"));
    ASSERT_FALSE(text.empty()) << DistPath("setup.inf");
    EXPECT_TRUE(HasOnlyCrLfLineEnds(text));
    std::vector<std::string> lines = SplitCrLfLines(text);
    ASSERT_EQ(lines.size(), 5u + 12u) << text;
    EXPECT_EQ(lines[0], "[Version]");
    EXPECT_EQ(lines[1], "Signature = \"$Windows NT$\"");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "[Files]");
    EXPECT_EQ(lines[4], "; file name, size in bytes");
    for (size_t i = 0; i < 12; ++i) {
        const std::string &line = lines[5 + i];
        size_t comma = line.find(", ");
        ASSERT_NE(comma, std::string::npos) << line;
        EXPECT_EQ(line.substr(0, comma), InstalledFiles[i]);
        long long size = FileSizeOf(DistPath(InstalledFiles[i]));
        EXPECT_GT(size, 0) << InstalledFiles[i];
        EXPECT_EQ(line.substr(comma + 2), std::to_string(size)) << InstalledFiles[i];
    }
}

TEST(DistributionFiles, SampleConfigurationReadsAsAProfile)
{
    std::string path = DistPath("SETUP.ICF");
    std::string text = ReadWholeFile(path);
    EXPECT_TRUE(HasOnlyCrLfLineEnds(text)) << text;
    char value[MAX_PATH];
    GetPrivateProfileStringA("Settings", "InstallPath", "?", value, sizeof(value), path.c_str());
    EXPECT_STREQ(value, "C:\\DORURE\\");
    GetPrivateProfileStringA("SQL Account Info", "ID", "?", value, sizeof(value), path.c_str());
    EXPECT_STREQ(value, "sa");
    GetPrivateProfileStringA("SQL Account Info", "Password", "?", value, sizeof(value),
                             path.c_str());
    EXPECT_STREQ(value, "");
}

/* The version resource names the file it belongs to, so a file built under
 * the wrong name shows. */
static std::string OriginalFileName(const std::string &path)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0)
        return std::string();
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()))
        return std::string();
    char *text = NULL;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\StringFileInfo\\040904E4\\OriginalFilename",
                        (void **)&text, &length) ||
        text == NULL)
        return std::string();
    return text;
}

TEST(DistributionFiles, ProgramsAndLibrariesCarryTheirOwnNames)
{
    for (const char *name : {"KVASVR.EXE", "kvabrd.exe", "dorure60.dll", "KSSETUP.dll",
                             "KSLoad.dll", "kvbrdcst.dll", "kvaprod.dll"})
        EXPECT_EQ(OriginalFileName(DistPath(name)), name);
}

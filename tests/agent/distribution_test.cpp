/* The distribution's agent files: setup.inf, SETUP.ICF, the libraries. */
#include <gtest/gtest.h>
#include "agent_test_support.h"
#include "product.h"

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

/* Every binary of the distribution says what it is, from one set of
 * product facts: a file built under the wrong name or an old number shows. */
static std::string VersionText(const std::vector<char> &data, const char *name)
{
    char *text = NULL;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(data.data(), path.c_str(), (void **)&text, &length) || text == NULL)
        return "(none)";
    return text;
}

TEST(DistributionFiles, EveryBinaryCarriesTheProductsVersionInformation)
{
    const struct {
        const char *name;
        DWORD type;
    } binaries[] = {
        {"setup.exe", VFT_APP},     {"HFNTSET.DLL", VFT_DLL},  {"MSCOMSTF.DLL", VFT_DLL}, {"MSSHLSTF.DLL", VFT_DLL},
        {"MSUILSTF.DLL", VFT_DLL},  {"MSDETSTF.DLL", VFT_DLL}, {"MSINSSTF.DLL", VFT_DLL}, {"CTL3D32.DLL", VFT_DLL},
        {"KSSETUP.dll", VFT_DLL},   {"KVASVR.EXE", VFT_APP},   {"kvabrd.exe", VFT_APP},   {"dorure60.dll", VFT_DLL},
        {"KSLoad.dll", VFT_DLL},    {"kvbrdcst.dll", VFT_DLL}, {"kvaprod.dll", VFT_DLL},
    };
    const std::string version = PRODUCT_VERSION " (build " PRODUCT_BUILD ")";
    for (const auto &binary : binaries) {
        SCOPED_TRACE(binary.name);
        std::string path = DistPath(binary.name);
        DWORD handle = 0, size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        ASSERT_NE(0u, size) << "no version information in " << path;
        std::vector<char> data(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
        VS_FIXEDFILEINFO *fixed = NULL;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(data.data(), "\\", (void **)&fixed, &length));
        EXPECT_EQ(MAKELONG(0, 2), fixed->dwFileVersionMS) << "2.0";
        EXPECT_EQ(MAKELONG(0, 61), fixed->dwFileVersionLS) << "build 061";
        EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
        EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
        EXPECT_EQ(binary.type, fixed->dwFileType);
        EXPECT_EQ(binary.name, VersionText(data, "OriginalFilename"));
        EXPECT_EQ(version, VersionText(data, "FileVersion"));
        EXPECT_EQ(version, VersionText(data, "ProductVersion"));
        EXPECT_EQ(PRODUCT_NAME, VersionText(data, "ProductName"));
        EXPECT_EQ(PRODUCT_PUBLISHER, VersionText(data, "CompanyName"));
        EXPECT_EQ(PRODUCT_COPYRIGHT, VersionText(data, "LegalCopyright"));
        EXPECT_GT(VersionText(data, "FileDescription").size(), 10u) << VersionText(data, "FileDescription");
    }
}

/* The manifest setup.exe carries: what Windows reads before it starts it. */
static std::string ManifestOf(const std::string &path)
{
    HMODULE image = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!image)
        return "";
    std::string text;
    HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = found ? LoadResource(image, found) : NULL;
    if (loaded)
        text.assign((const char *)LockResource(loaded), SizeofResource(image, found));
    FreeLibrary(image);
    return text;
}

TEST(DistributionFiles, SetupAsksForElevationAndKnowsItsWindows)
{
    std::string manifest = ManifestOf(DistPath("setup.exe"));
    ASSERT_FALSE(manifest.empty()) << "no manifest resource 1 in setup.exe";
    const char *const expected[] = {
        "level=\"requireAdministrator\"",
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Windows Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
        ">true</dpiAware>",
        ">system</dpiAwareness>",
        "version=\"2.0.61.0\"",
    };
    for (const char *text : expected)
        EXPECT_NE(std::string::npos, manifest.find(text)) << "expected " << text << " in:\n" << manifest;
    EXPECT_EQ(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"))
        << "the three-dimensional controls stay";
}

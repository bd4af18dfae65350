// Drive and path tests of MSDETSTF.DLL against the test prefix's drives:
// C: and D: fixed, E: removable, N: network.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "setuptk.h"

namespace {

const int kDriveC = 3, kDriveD = 4, kDriveE = 5, kDriveN = 14;

std::vector<std::string> ListItems(const char* symbol)
{
    std::vector<std::string> items;
    USHORT count = UsGetListLength(symbol);
    for (USHORT i = 1; i <= count; ++i) {
        char item[64];
        CbGetListItem(symbol, i, item, sizeof item);
        items.push_back(item);
    }
    return items;
}

// A free drive letter of the prefix (no dosdevices link), as a number.
int UnusedDrive()
{
    DWORD present = GetLogicalDrives();
    for (int drive = 26; drive >= 6; --drive)
        if ((present & (1u << (drive - 1))) == 0)
            return drive;
    return 0;
}

std::string TempFile(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

TEST(Drives, TypesOfThePrefixDrivesByNumber)
{
    EXPECT_TRUE(FIsValidDrive(kDriveC));
    EXPECT_TRUE(FIsValidDrive(kDriveD));
    EXPECT_TRUE(FIsValidDrive(kDriveE));
    EXPECT_TRUE(FIsValidDrive(kDriveN));

    EXPECT_TRUE(FIsRemoveDrive(kDriveE));
    EXPECT_FALSE(FIsRemoveDrive(kDriveC));
    EXPECT_FALSE(FIsRemoveDrive(kDriveD));
    EXPECT_FALSE(FIsRemoveDrive(kDriveN));

    EXPECT_TRUE(FIsRemoteDrive(kDriveN));
    EXPECT_FALSE(FIsRemoteDrive(kDriveC));
    EXPECT_FALSE(FIsRemoteDrive(kDriveD));
    EXPECT_FALSE(FIsRemoteDrive(kDriveE));
}

TEST(Drives, NumbersOutsideAToZOrWithoutADriveAreNotValid)
{
    int unused = UnusedDrive();
    ASSERT_NE(0, unused) << "every letter from F to Z is in use";
    EXPECT_FALSE(FIsValidDrive(unused)) << "drive number " << unused;
    for (int drive : { -1, 0, 27, 64, 67 + 32 }) {
        EXPECT_FALSE(FIsValidDrive(drive)) << "drive number " << drive;
        EXPECT_FALSE(FIsRemoveDrive(drive)) << "drive number " << drive;
        EXPECT_FALSE(FIsRemoteDrive(drive)) << "drive number " << drive;
    }
}

TEST(Drives, LocalHardDrivesListHoldsTheFixedDrivesOnly)
{
    ASSERT_TRUE(FGetLocalHardDrivesList("LocalDrives"));
    std::vector<std::string> drives = ListItems("LocalDrives");
    std::vector<std::string> expected;
    for (int drive = 1; drive <= 26; ++drive) {
        char root[4] = { static_cast<char>('A' + drive - 1), ':', '\\', 0 };
        if (GetDriveTypeA(root) == DRIVE_FIXED)
            expected.push_back(std::string(1, root[0]));
    }
    EXPECT_EQ(expected, drives);
    EXPECT_NE(drives.end(), std::find(drives.begin(), drives.end(), "C"));
    EXPECT_NE(drives.end(), std::find(drives.begin(), drives.end(), "D"));
    EXPECT_EQ(drives.end(), std::find(drives.begin(), drives.end(), "E"));
    EXPECT_EQ(drives.end(), std::find(drives.begin(), drives.end(), "N"));
}

TEST(Drives, LocalHardDrivesListReplacesAnEarlierValue)
{
    ASSERT_TRUE(FSetSymbolValue("Drives2", "stale"));
    ASSERT_TRUE(FGetLocalHardDrivesList("Drives2"));
    ASSERT_TRUE(FGetLocalHardDrivesList("Drives2"));
    std::vector<std::string> drives = ListItems("Drives2");
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ("C", drives.front());
    EXPECT_EQ(drives.end(), std::find(drives.begin(), drives.end(), "stale"));
    EXPECT_FALSE(FGetLocalHardDrivesList(""));
    EXPECT_FALSE(FGetLocalHardDrivesList(NULL));
}

struct PathCase {
    const char* path;
    BOOL validPath;
    BOOL validDir;
};

TEST(Paths, WellFormedFullPathsWithADrive)
{
    const PathCase cases[] = {
        { "C:\\DORURE\\KVASVR.EXE", TRUE, TRUE },
        { "c:\\dorure", TRUE, TRUE },
        { "C:\\DORURE\\", FALSE, TRUE },
        { "C:\\", FALSE, TRUE },
        { "D:\\Program Files\\Agent 6.0\\notes.wri", TRUE, TRUE },
        { "C:\\a.b.c\\x", TRUE, TRUE },
        { "C:", FALSE, FALSE },
        { "C:DORURE", FALSE, FALSE },
        { "DORURE\\KVASVR.EXE", FALSE, FALSE },
        { "\\\\server\\share\\dir", FALSE, FALSE },
        { "1:\\DORURE", FALSE, FALSE },
        { "", FALSE, FALSE },
        { "C:\\\\DORURE", FALSE, FALSE },
        { "C:\\DORURE\\\\", FALSE, FALSE },
        { "C:\\DORURE\\\\X", FALSE, FALSE },
        { "C:\\DO<RE", FALSE, FALSE },
        { "C:\\DO>RE", FALSE, FALSE },
        { "C:\\DO:RE", FALSE, FALSE },
        { "C:\\DO\"RE", FALSE, FALSE },
        { "C:\\DO|RE", FALSE, FALSE },
        { "C:\\DO?RE", FALSE, FALSE },
        { "C:\\DO*RE", FALSE, FALSE },
        { "C:\\DO\tRE", FALSE, FALSE },
        { "C:\\.\\DORURE", FALSE, FALSE },
        { "C:\\DORURE\\..", FALSE, FALSE },
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(c.validPath, FValidPath(c.path)) << "FValidPath(\"" << c.path << "\")";
        EXPECT_EQ(c.validDir, FValidDir(c.path)) << "FValidDir(\"" << c.path << "\")";
    }
    EXPECT_FALSE(FValidPath(NULL));
    EXPECT_FALSE(FValidDir(NULL));
}

TEST(Paths, PathsOfMaxPathOrMoreAreRefused)
{
    std::string fits = "C:\\" + std::string(MAX_PATH - 4, 'a');      // 259 characters
    std::string tooLong = fits + "b";
    EXPECT_TRUE(FValidPath(fits.c_str())) << "length " << fits.size();
    EXPECT_FALSE(FValidPath(tooLong.c_str())) << "length " << tooLong.size();
    EXPECT_FALSE(FValidDir(tooLong.c_str())) << "length " << tooLong.size();
    EXPECT_FALSE(FDirExists(tooLong.c_str()));
}

TEST(Paths, DoubleByteCharacterEndingInBackslashByteIsNoSeparator)
{
    if (GetACP() != 932) {
        if (getenv("TK_EXPECT_ACP") != NULL)
            FAIL() << "this run was meant for code page 932 but has " << GetACP();
        GTEST_SKIP() << "needs ANSI code page 932, this run has " << GetACP();
    }
    // 0x95 0x5C is one character; its second byte is the backslash code.
    const char dir[] = "C:\\\x95\x5C";
    const char twoComponents[] = "C:\\\x95\x5C\\x";
    EXPECT_TRUE(FValidPath(dir));
    EXPECT_TRUE(FValidPath(twoComponents));
    // The trailing "backslash" is the character's own byte: not a trailing separator.
    EXPECT_TRUE(FValidDir(dir));
    const char pipeTrail[] = "C:\\\x81\x7C";     // 0x81 0x7C: the trail byte is the '|' code
    EXPECT_TRUE(FValidPath(pipeTrail));
    const char cutLead[] = "C:\\abc\x95";        // a lead byte without its trail byte
    EXPECT_FALSE(FValidPath(cutLead));
}

TEST(Paths, DirExistsWithOrWithoutTrailingBackslash)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);   // ends in a backslash
    std::string withSlash = dir;
    std::string withoutSlash = withSlash.substr(0, withSlash.size() - 1);
    EXPECT_TRUE(FDirExists(withSlash.c_str())) << withSlash;
    EXPECT_TRUE(FDirExists(withoutSlash.c_str())) << withoutSlash;
    EXPECT_TRUE(FDirExists("C:\\"));
    EXPECT_FALSE(FDirExists((withSlash + "no such directory").c_str()));
    EXPECT_FALSE(FDirExists(""));
    EXPECT_FALSE(FDirExists(NULL));

    std::string file = TempFile("tk_direxists.txt");
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    EXPECT_FALSE(FDirExists(file.c_str())) << "a file is not a directory";
    DeleteFileA(file.c_str());
}

TEST(Paths, FileExistsAndIsReadable)
{
    std::string file = TempFile("tk_exists.txt");
    DeleteFileA(file.c_str());
    EXPECT_FALSE(FDoesFileExist(file.c_str(), 0));
    EXPECT_FALSE(FDoesFileExist(file.c_str(), 1));

    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    // Held open with no sharing: it exists, but cannot be read now.
    EXPECT_TRUE(FDoesFileExist(file.c_str(), 0));
    EXPECT_FALSE(FDoesFileExist(file.c_str(), 1));
    CloseHandle(h);
    EXPECT_TRUE(FDoesFileExist(file.c_str(), 0));
    EXPECT_TRUE(FDoesFileExist(file.c_str(), 1));
    DeleteFileA(file.c_str());

    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    EXPECT_FALSE(FDoesFileExist(dir, 0)) << "a directory is not a file";
    EXPECT_FALSE(FDoesFileExist("", 0));
    EXPECT_FALSE(FDoesFileExist(NULL, 0));
}

} // namespace

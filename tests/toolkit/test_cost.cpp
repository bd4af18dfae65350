// Copy list costs of MSINSSTF.DLL per destination drive, on the prefix's
// two fixed drives C: and D:, rounded to the cluster size each reports.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "toolkit/file_helpers.h"
#include "setuptk.h"

namespace {

using toolkit_files::WriteAll;
using toolkit_files::RemoveTree;

unsigned long long Cluster(const char* root)
{
    DWORD spc = 0, bps = 0, f = 0, t = 0;
    if (!GetDiskFreeSpaceA(root, &spc, &bps, &f, &t))
        return 0;
    return static_cast<unsigned long long>(spc) * bps;
}

unsigned long long FreeOn(const char* root)
{
    ULARGE_INTEGER available, total, totalFree;
    GetDiskFreeSpaceExA(root, &available, &total, &totalFree);
    return available.QuadPart;
}

std::string Item(const char* list, int drive)
{
    char item[32];
    CbGetListItem(list, static_cast<USHORT>(drive), item, sizeof item);
    return item;
}

unsigned long long ItemValue(const char* list, int drive)
{
    return std::stoull(Item(list, drive));
}

const int kC = 3, kD = 4;

class CopyCost : public ::testing::Test {
protected:
    void SetUp() override
    {
        clusterC_ = Cluster("C:\\");
        clusterD_ = Cluster("D:\\");
        ASSERT_NE(0u, clusterC_);
        ASSERT_NE(0u, clusterD_);
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        inf_ = std::string(dir) + "tk_cost_" + name + ".inf";
        destC_ = "C:\\tk_cost_" + name;
        destD_ = "D:\\tk_cost_" + name;
        RemoveTree(destC_);
        RemoveTree(destD_);
        ResetCopyList();
    }
    void TearDown() override
    {
        TerminateInstall();
        RemoveTree(destC_);
        RemoveTree(destD_);
        DeleteFileA(inf_.c_str());
    }
    // One section per drive: sizes 0, 1, one cluster, one cluster and a byte.
    void OpenInfForClusters()
    {
        std::string text = "[OnC]\r\n" + Entries(clusterC_) + "[OnD]\r\n" + Entries(clusterD_);
        WriteAll(inf_, text);
        ASSERT_TRUE(FOpenInf(inf_.c_str(), 1, 0));
    }
    static std::string Entries(unsigned long long cluster)
    {
        return "zero.dat, 0\r\none.dat, 1\r\ncluster.dat, " + std::to_string(cluster) + "\r\nclusterplus.dat, "
            + std::to_string(cluster + 1) + "\r\n";
    }
    LONG Cost() { return LcbGetCopyListCost("EXTRAS", "COSTS", "NEEDED"); }

    unsigned long long clusterC_ = 0, clusterD_ = 0;
    std::string inf_, destC_, destD_;
};

TEST_F(CopyCost, EachFileIsRoundedToTheClusterOfItsDrive)
{
    // Under Wine both drives are folders of one host file system, so they
    // report the same cluster size; the rounding is checked with each one's.
    RecordProperty("ClusterC", std::to_string(clusterC_));
    RecordProperty("ClusterD", std::to_string(clusterD_));
    OpenInfForClusters();
    ASSERT_TRUE(FAddSectionFilesToCopyList("OnC", "C:\\src", destC_.c_str()));
    ASSERT_TRUE(FAddSectionFilesToCopyList("OnD", "C:\\src\\", (destD_ + "\\").c_str()));
    LONG total = Cost();
    unsigned long long onC = 4 * clusterC_, onD = 4 * clusterD_;
    EXPECT_EQ(static_cast<LONG>(onC + onD), total);
    ASSERT_EQ(26, UsGetListLength("COSTS"));
    ASSERT_EQ(26, UsGetListLength("EXTRAS"));
    ASSERT_EQ(26, UsGetListLength("NEEDED"));
    EXPECT_EQ(std::to_string(onC), Item("COSTS", kC));
    EXPECT_EQ(std::to_string(onD), Item("COSTS", kD));
    for (int drive = 1; drive <= 26; ++drive) {
        if (drive != kC && drive != kD) {
            EXPECT_EQ("0", Item("COSTS", drive)) << "drive " << char('A' + drive - 1);
        }
        EXPECT_EQ("0", Item("NEEDED", drive)) << "drive " << char('A' + drive - 1);
        EXPECT_EQ("0", Item("EXTRAS", drive)) << "nothing is replaced on " << char('A' + drive - 1);
    }
}

TEST_F(CopyCost, ExistingFilesOfTheSameNameCountAgainstTheCost)
{
    OpenInfForClusters();
    ASSERT_TRUE(CreateDirectoryA(destC_.c_str(), NULL));
    WriteAll(destC_ + "\\ONE.DAT", "x");                                 // same cluster: costs nothing
    WriteAll(destC_ + "\\clusterplus.dat", "x");                         // one of two clusters there
    WriteAll(destC_ + "\\Cluster.dat", std::string(3 * clusterC_, 'x')); // bigger: 0, not below
    WriteAll(destC_ + "\\other.dat", std::string(5 * clusterC_, 'x'));   // not in the list
    ASSERT_TRUE(FAddSectionFilesToCopyList("OnC", "C:\\src", destC_.c_str()));
    LONG total = Cost();
    EXPECT_EQ(static_cast<LONG>(clusterC_), total) << "only the second cluster of clusterplus.dat";
    EXPECT_EQ(std::to_string(clusterC_), Item("COSTS", kC));
    // While a replaced file is copied, its old version still takes room.
    EXPECT_EQ(std::to_string(3 * clusterC_), Item("EXTRAS", kC));
}

TEST_F(CopyCost, NeededIsWhatTheDriveLacks)
{
    const unsigned long long huge = 1000000000000000ull;   // 10^15 bytes
    WriteAll(inf_, "[Huge]\r\nhuge.dat, " + std::to_string(huge) + "\r\n");
    ASSERT_TRUE(FOpenInf(inf_.c_str(), 1, 0));
    ASSERT_TRUE(FAddSectionFilesToCopyList("Huge", "C:\\src", destD_.c_str()));
    unsigned long long freeBefore = FreeOn("D:\\");
    LONG total = Cost();
    unsigned long long freeAfter = FreeOn("D:\\");
    EXPECT_EQ(LONG_MAX, total) << "a total beyond the LONG range is capped";
    unsigned long long rounded = (huge + clusterD_ - 1) / clusterD_ * clusterD_;
    EXPECT_EQ(std::to_string(rounded), Item("COSTS", kD));
    unsigned long long needed = ItemValue("NEEDED", kD);
    // Other processes may change the free space meanwhile: allow 64 MB.
    const unsigned long long slack = 64ull << 20;
    EXPECT_LE(rounded - freeBefore - slack, needed);
    EXPECT_GE(rounded - freeAfter + slack, needed);
    EXPECT_EQ("0", Item("NEEDED", kC));
}

TEST_F(CopyCost, TheSameListTwiceOrWithOtherSpellingsCostsOnce)
{
    OpenInfForClusters();
    ASSERT_TRUE(FAddSectionFilesToCopyList("OnC", "C:\\src", destC_.c_str()));
    ASSERT_TRUE(FAddSectionFilesToCopyList("OnC", "C:\\other", (destC_ + "\\").c_str()));
    std::string lower = destC_;
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    ASSERT_TRUE(FAddSectionFilesToCopyList("OnC", "C:\\src", lower.c_str()));
    EXPECT_EQ(static_cast<LONG>(4 * clusterC_), Cost());
}

TEST_F(CopyCost, EmptyListCostsNothingAndListsAreRefilled)
{
    ASSERT_TRUE(FSetSymbolValue("COSTS", "stale"));
    EXPECT_EQ(0, Cost());
    EXPECT_EQ(26, UsGetListLength("COSTS")) << "an earlier value is replaced";
    EXPECT_EQ("0", Item("COSTS", 1));
    EXPECT_EQ("0", Item("COSTS", 26));
}

TEST_F(CopyCost, MissingListNamesFail)
{
    EXPECT_GT(0, LcbGetCopyListCost("", "COSTS", "NEEDED"));
    EXPECT_GT(0, LcbGetCopyListCost("EXTRAS", NULL, "NEEDED"));
    EXPECT_GT(0, LcbGetCopyListCost("EXTRAS", "COSTS", ""));
}

} // namespace

#include <gtest/gtest.h>

#include <string>

#include "setuptk.h"

namespace {

std::string Value(LPCSTR name)
{
    char buffer[256];
    CbGetSymbolValue(name, buffer, sizeof(buffer));
    return buffer;
}

std::string Item(LPCSTR name, USHORT index)
{
    char buffer[256];
    CbGetListItem(name, index, buffer, sizeof(buffer));
    return buffer;
}

}  // namespace

TEST(Symbols, SetReplaceAndRemove)
{
    EXPECT_TRUE(FSetSymbolValue("LicenseHandle", "12345"));
    EXPECT_EQ("12345", Value("LicenseHandle"));
    EXPECT_TRUE(FSetSymbolValue("LicenseHandle", "678"));
    EXPECT_EQ("678", Value("LicenseHandle"));
    EXPECT_TRUE(FRemoveSymbol("LicenseHandle"));
    EXPECT_EQ("", Value("LicenseHandle"));
    EXPECT_EQ(0, UsGetListLength("LicenseHandle"));
    // Removing what is not there is no failure.
    EXPECT_TRUE(FRemoveSymbol("LicenseHandle"));
}

TEST(Symbols, UnknownReadsEmpty)
{
    char buffer[8] = "junk";
    EXPECT_EQ(0, CbGetSymbolValue("NeverSet", buffer, sizeof(buffer)));
    EXPECT_STREQ("", buffer);
}

TEST(Symbols, EmptyNameIsRefused)
{
    EXPECT_FALSE(FSetSymbolValue("", "value"));
    EXPECT_FALSE(FSetSymbolValue(NULL, "value"));
    EXPECT_FALSE(FAddListItem("", "item"));
}

TEST(SymbolBytes, FourteenCharactersFitFifteenBytes)
{
    FSetSymbolValue("DLGEVENT", "ABCDEFGHIJKLMN");
    char buffer[15];
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(14, CbGetSymbolValue("DLGEVENT", buffer, sizeof(buffer)));
    EXPECT_STREQ("ABCDEFGHIJKLMN", buffer);
}

TEST(SymbolBytes, FifteenCharactersAreCutAndTerminated)
{
    FSetSymbolValue("DLGEVENT", "ABCDEFGHIJKLMNO");
    char buffer[16];
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(15, CbGetSymbolValue("DLGEVENT", buffer, 15));
    EXPECT_STREQ("ABCDEFGHIJKLMN", buffer);
    EXPECT_EQ('x', buffer[15]) << "wrote past the size it was given";
}

TEST(SymbolBytes, SizeZeroOnlyAnswersTheLength)
{
    FSetSymbolValue("DLGEVENT", "CANCEL");
    char buffer[4] = "abc";
    EXPECT_EQ(6, CbGetSymbolValue("DLGEVENT", buffer, 0));
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ(6, CbGetSymbolValue("DLGEVENT", NULL, 0));
}

TEST(SymbolBytes, ValueTooLongForAnAnswerIsRefused)
{
    std::string longest(65534, 'a');
    EXPECT_TRUE(FSetSymbolValue("Long", longest.c_str()));
    EXPECT_EQ(65534, CbGetSymbolValue("Long", NULL, 0));
    std::string tooLong(65535, 'b');
    EXPECT_FALSE(FSetSymbolValue("Long", tooLong.c_str()));
    EXPECT_EQ(65534, CbGetSymbolValue("Long", NULL, 0)) << "a refused value must not replace the old one";
    EXPECT_FALSE(FAddListItem("Long", tooLong.c_str()));
    EXPECT_EQ(1, UsGetListLength("Long"));
}

TEST(Lists, OneItemList)
{
    FRemoveSymbol("LocalDrives");
    EXPECT_TRUE(FAddListItem("LocalDrives", "C"));
    EXPECT_EQ(1, UsGetListLength("LocalDrives"));
    EXPECT_EQ("C", Item("LocalDrives", 1));
    char buffer[8] = "junk";
    EXPECT_EQ(0, CbGetListItem("LocalDrives", 0, buffer, sizeof(buffer)));
    EXPECT_STREQ("", buffer);
    strcpy(buffer, "junk");
    EXPECT_EQ(0, CbGetListItem("LocalDrives", 2, buffer, sizeof(buffer)));
    EXPECT_STREQ("", buffer);
}

TEST(Lists, ItemsKeepTheirOrder)
{
    FRemoveSymbol("COSTS");
    for (int drive = 0; drive < 26; ++drive) {
        char value[16];
        snprintf(value, sizeof(value), "%d", drive * 1000);
        ASSERT_TRUE(FAddListItem("COSTS", value));
    }
    EXPECT_EQ(26, UsGetListLength("COSTS"));
    EXPECT_EQ("0", Item("COSTS", 1));
    EXPECT_EQ("3000", Item("COSTS", 4));
    EXPECT_EQ("25000", Item("COSTS", 26));
    EXPECT_EQ("", Item("COSTS", 27));
}

TEST(Lists, ItemIsCutLikeAValue)
{
    FRemoveSymbol("EXTRAS");
    FAddListItem("EXTRAS", "1234567890");
    char buffer[5];
    EXPECT_EQ(10, CbGetListItem("EXTRAS", 1, buffer, sizeof(buffer)));
    EXPECT_STREQ("1234", buffer);
}

TEST(Lists, PlainValueIsOneItemAndSetReplacesTheList)
{
    FSetSymbolValue("NEEDED", "5");
    EXPECT_EQ(1, UsGetListLength("NEEDED"));
    EXPECT_EQ("5", Item("NEEDED", 1));
    FAddListItem("NEEDED", "6");
    EXPECT_EQ(2, UsGetListLength("NEEDED"));
    EXPECT_EQ("6", Item("NEEDED", 2));
    EXPECT_EQ("5", Value("NEEDED"));
    FSetSymbolValue("NEEDED", "7");
    EXPECT_EQ(1, UsGetListLength("NEEDED"));
    EXPECT_EQ("7", Item("NEEDED", 1));
}

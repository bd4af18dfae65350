/* KSSETUP.dll: registration by ordinal against the prefix's registry. */
#include <gtest/gtest.h>
#include "agent_test_support.h"
#include "product.h"

typedef DWORD(WINAPI *RegisterProc)(DWORD, DWORD, LPCSTR, DWORD);
typedef DWORD(WINAPI *UnregisterProc)(void);

class KsSetupLibrary : public ::testing::Test {
protected:
    HMODULE library = NULL;
    RegisterProc registerProduct = NULL;
    UnregisterProc unregisterProduct = NULL;
    char systemDirectory[MAX_PATH] = {};

    void SetUp() override
    {
        SetEnvironmentVariableA("KSSETUP_FAIL_CODE", NULL);
        DeleteAgentRegistry();
        GetSystemDirectoryA(systemDirectory, sizeof(systemDirectory));
        library = LoadLibraryA(DistPath("KSSETUP.dll").c_str());
        ASSERT_NE(library, (HMODULE)NULL) << DistPath("KSSETUP.dll") << " error " << GetLastError();
        registerProduct = (RegisterProc)GetProcAddress(library, MAKEINTRESOURCEA(100));
        unregisterProduct = (UnregisterProc)GetProcAddress(library, MAKEINTRESOURCEA(101));
        ASSERT_NE(registerProduct, (RegisterProc)NULL);
        ASSERT_NE(unregisterProduct, (UnregisterProc)NULL);
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("KSSETUP_FAIL_CODE", NULL);
        if (library != NULL)
            FreeLibrary(library);
        DeleteAgentRegistry();
    }
    bool ProductValueExists()
    {
        std::string data;
        DWORD type = 0;
        return ReadRegistryText(AGENT_PRODUCTS_KEY, "SQL_ZEduziz", &data, &type);
    }
};

TEST_F(KsSetupLibrary, RegistrationRecordsTheProductOnAFreshMachine)
{
    EXPECT_EQ(registerProduct(37, 0, systemDirectory, 0), 0u);
    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(ReadRegistryText(AGENT_PRODUCTS_KEY, "SQL_ZEduziz", &data, &type));
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_EQ(data, PRODUCT_VERSION);
}

TEST_F(KsSetupLibrary, ReinstallRewritesTheEntryAndKeepsOtherProducts)
{
    ASSERT_TRUE(WriteStringValue(AGENT_PRODUCTS_KEY, "SQL_ZEduziz", "1.0"));
    ASSERT_TRUE(WriteStringValue(AGENT_PRODUCTS_KEY, "OTHER_AGENT", "1.5"));
    EXPECT_EQ(registerProduct(37, 0, systemDirectory, 1), 0u);
    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(ReadRegistryText(AGENT_PRODUCTS_KEY, "SQL_ZEduziz", &data, &type));
    EXPECT_EQ(data, PRODUCT_VERSION);
    ASSERT_TRUE(ReadRegistryText(AGENT_PRODUCTS_KEY, "OTHER_AGENT", &data, &type));
    EXPECT_EQ(data, "1.5");
}

TEST_F(KsSetupLibrary, ExportsAreReachableByOrdinalOnly)
{
    EXPECT_EQ(unregisterProduct(), 0u);
    EXPECT_EQ(GetProcAddress(library, "RegisterAgentProduct"), (FARPROC)NULL);
    EXPECT_EQ(GetProcAddress(library, "UnregisterAgentProduct"), (FARPROC)NULL);
}

TEST_F(KsSetupLibrary, SystemDirectoryThatIsNotADirectoryIsRefused)
{
    std::string file = std::string(systemDirectory) + "\\kernel32.dll";
    EXPECT_EQ(registerProduct(37, 0, "C:\\no such directory", 0), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(registerProduct(37, 0, file.c_str(), 0), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(registerProduct(37, 0, "", 0), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(registerProduct(37, 0, NULL, 0), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(ProductValueExists());
}

TEST_F(KsSetupLibrary, UnknownProductCodeIsRefused)
{
    EXPECT_EQ(registerProduct(38, 0, systemDirectory, 0), (DWORD)ERROR_INVALID_PARAMETER);
    EXPECT_EQ(registerProduct(0, 0, systemDirectory, 0), (DWORD)ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(ProductValueExists());
}

TEST_F(KsSetupLibrary, RegistryFailureIsAnsweredWithItsError)
{
    // A non-volatile key cannot be made below a volatile one.
    HKEY key = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, AGENT_CONFIG_ROOT, 0,
                              NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL, &key, NULL),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(registerProduct(37, 0, systemDirectory, 0), (DWORD)ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_FALSE(ProductValueExists());
}

TEST_F(KsSetupLibrary, FailCodeSwitchAnswersTheNumberAndWritesNothing)
{
    SetEnvironmentVariableA("KSSETUP_FAIL_CODE", "1234");
    EXPECT_EQ(registerProduct(37, 0, systemDirectory, 0), 1234u);
    SetEnvironmentVariableA("KSSETUP_FAIL_CODE", "0x20");
    EXPECT_EQ(registerProduct(37, 0, systemDirectory, 0), 32u);
    EXPECT_FALSE(ProductValueExists());
}

TEST_F(KsSetupLibrary, FailCodeSwitchThatIsNotANumberIsIgnored)
{
    SetEnvironmentVariableA("KSSETUP_FAIL_CODE", "yes");
    EXPECT_EQ(registerProduct(37, 0, systemDirectory, 0), 0u);
    EXPECT_TRUE(ProductValueExists());
}

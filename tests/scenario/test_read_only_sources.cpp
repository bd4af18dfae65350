/*
 * The agent installed from media that clients can only read: a CD-ROM
 * drive and a read-only network share. Every file there is read-only; what
 * setup installs from them must still be replaceable by a reinstall and
 * removable by a removal, on the SMS road and on the wizard's.
 */
#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "scenario/machine_state.h"
#include "scenario/scenario_support.h"
#include "scenario/wizard_steps.h"
#include "product.h"

using namespace scenario;
using namespace wizard;

namespace {

const DWORD RunLimitMs = 120000;

struct SourceRow {
    const char *name;
    const char *directory;
    bool wizard;
};

void PrintTo(const SourceRow &row, std::ostream *os)
{
    *os << row.name;
}

const SourceRow Rows[] = {
    {"CdRomBySms", "G:\\DIST", false},
    {"CdRomByWizard", "G:\\DIST", true},
    {"ReadOnlyShareBySms", "N:\\DIST", false},
    {"ReadOnlyShareByWizard", "N:\\DIST", true},
};

void SetTreeReadOnly(const std::string &directory, bool readOnly)
{
    for (const std::string &name : machine::FilesIn(directory))
        SetFileAttributesA((directory + "\\" + name).c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(directory.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_DIRECTORY);
}

std::string KeptCopyDirectory()
{
    char programFiles[MAX_PATH];
    GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof(programFiles));
    return std::string(programFiles) + "\\" REMOVAL_COPY_FOLDER;
}

// Files a later run must be able to replace or delete.
void ExpectWritable(const std::string &directory)
{
    std::vector<std::string> names = machine::FilesIn(directory);
    EXPECT_FALSE(names.empty()) << directory;
    for (const std::string &name : names)
        EXPECT_EQ(0u, GetFileAttributesA((directory + "\\" + name).c_str()) & FILE_ATTRIBUTE_READONLY)
            << directory << "\\" << name << " is read-only";
}

class ReadOnlySource : public ::testing::TestWithParam<SourceRow> {
protected:
    void SetUp() override
    {
        Clean();
        CopyDistribution(GetParam().directory);
        SetTreeReadOnly(GetParam().directory, true);
    }
    void TearDown() override
    {
        robot::Finish(run_);
        SetTreeReadOnly(GetParam().directory, false);
        RemoveDirectoryTree(GetParam().directory);
        Clean();
    }
    static void Clean()
    {
        machine::CleanMachine();
        RemoveDirectoryTree(KeptCopyDirectory());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, machine::UninstallEntryKey);
    }
    void Start(const char *arguments)
    {
        robot::Finish(run_);
        ASSERT_TRUE(robot::StartSetup(run_, GetParam().directory, arguments));
    }
    void ExpectSuccess()
    {
        std::vector<std::string> mif = MifLines();
        ASSERT_EQ(69u, mif.size());
        EXPECT_EQ("VALUE = \"Success\"", mif[57]) << mif[65];
    }
    void InstallBySms()
    {
        Start("SMSINSTALL");
        ASSERT_EQ(0u, robot::WaitForExit(run_, RunLimitMs));
        ExpectSuccess();
    }
    void Answer(const std::string &text, int button) { ASSERT_TRUE(AnswerBox(run_, text, button)); }
    std::string StopQuestion()
    {
        char question[1024];
        snprintf(question, sizeof(question), LoadText(10029).c_str(), LoadText(10027).c_str());
        return question;
    }
    // The whole wizard with its defaults; over a running agent it asks to
    // stop it first, into a new directory whether to make it.
    void InstallByWizard(bool over)
    {
        Start("");
        HWND page = WaitForPage(run_, Welcome);
        ASSERT_NE(nullptr, page);
        ASSERT_TRUE(Click(page, IDC_NEXT));
        if (over)
            Answer(StopQuestion(), IDYES);
        ASSERT_NE(nullptr, page = WaitForPage(run_, License));
        ASSERT_TRUE(Click(page, IDC_LICENSE_ACCEPT));
        ASSERT_NE(nullptr, page = WaitForPage(run_, Destination));
        ASSERT_TRUE(Click(page, IDC_NEXT));
        if (!over)
            Answer(BoxText(run_), IDYES);
        ASSERT_NE(nullptr, page = WaitForPage(run_, Account));
        ASSERT_TRUE(Click(page, IDC_NEXT));
        Answer(LoadText(10132), IDYES);
        ASSERT_NE(nullptr, page = WaitForPage(run_, Confirm));
        ASSERT_TRUE(Click(page, IDC_NEXT));
        Answer(LoadText(10076), IDYES);
        Answer(FormatText(10059, LoadText(10130).c_str(), "C:\\DORURE\\"), IDOK);
        ASSERT_EQ(0u, robot::WaitForExit(run_, RunLimitMs));
    }
    void Install(bool over)
    {
        if (GetParam().wizard)
            InstallByWizard(over);
        else
            InstallBySms();
    }
    void Remove()
    {
        if (!GetParam().wizard) {
            Start("SMSUNINSTALL");
            ASSERT_EQ(0u, robot::WaitForExit(run_, RunLimitMs));
            ExpectSuccess();
            return;
        }
        Start("");
        HWND page = WaitForPage(run_, Welcome);
        ASSERT_NE(nullptr, page);
        ASSERT_TRUE(Click(page, IDC_REMOVE_CHOICE));
        ASSERT_TRUE(Click(page, IDC_NEXT));
        Answer(LoadText(10063), IDYES);
        Answer(StopQuestion(), IDYES);
        Answer(LoadText(10064), IDOK);
        ASSERT_EQ(0u, robot::WaitForExit(run_, RunLimitMs));
    }
    robot::SetupRun run_;
};

TEST_P(ReadOnlySource, InstallReinstallAndRemovalLeaveACleanMachine)
{
    ASSERT_EQ(FILE_ATTRIBUTE_READONLY,
              GetFileAttributesA((std::string(GetParam().directory) + "\\KVASVR.EXE").c_str()) & FILE_ATTRIBUTE_READONLY)
        << "the medium's files are read-only";
    ASSERT_NO_FATAL_FAILURE(Install(false));
    machine::ExpectInstalledAgent("C:\\DORURE\\", GetParam().wizard ? "" : "sa", "");
    ExpectWritable("C:\\DORURE");
    ExpectWritable(KeptCopyDirectory());

    ASSERT_NO_FATAL_FAILURE(Install(true));
    machine::ExpectInstalledAgent("C:\\DORURE\\", GetParam().wizard ? "" : "sa", "");

    ASSERT_NO_FATAL_FAILURE(Remove());
    EXPECT_FALSE(robot::FileExists("C:\\DORURE")) << "every file of the agent went, and its directory";
    EXPECT_FALSE(machine::KeyExists(AGENT_FAMILY_KEY));
    EXPECT_FALSE(machine::QueryService(RPC_SERVICE_NAME).exists);
    EXPECT_FALSE(machine::KeyExists(machine::UninstallEntryKey));
    EXPECT_FALSE(robot::FileExists(KeptCopyDirectory()));
}

INSTANTIATE_TEST_SUITE_P(Media, ReadOnlySource, ::testing::ValuesIn(Rows),
                         [](const ::testing::TestParamInfo<SourceRow> &info) { return info.param.name; });

}  // namespace

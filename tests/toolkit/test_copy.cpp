// GrcCopyFilesInCopyList of MSINSSTF.DLL: real copies checked byte for byte,
// the progress gauge and its quit button, and files that cannot be read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/file_helpers.h"
#include "platform/setup-toolkit/msinsstf/gauge_ids.h"
#include "setuptk.h"

namespace {

using toolkit_files::ReadAll;
using toolkit_files::WriteAll;
using toolkit_files::RemoveTree;

// The engine's work folder in a destination directory, gone after a copy.
const char kWorkFolder[] = "~stfcopy.tmp";

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

// Deterministic contents of mixed sizes, from a byte to about 200 KB.
std::string Contents(int index)
{
    size_t size = index % 10 == 0 ? 0 : (static_cast<size_t>(index) * 7919u) % 200000u + 1;
    std::string bytes(size, '\0');
    unsigned state = 2166136261u ^ static_cast<unsigned>(index);
    for (char& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::string NameOf(int index)
{
    char name[32];
    snprintf(name, sizeof name, "file%04d.dat", index);
    return name;
}

struct QuitClicker {
    DWORD copyThread;
    HWND frame;
    std::string destDir;
    size_t filesBeforeClick;
    // What the clicking thread saw.
    HWND gauge;
    RECT gaugeRect;
    char fileText[MAX_PATH];
    BOOL frameEnabledDuringCopy;
    bool clicked;
};

BOOL CALLBACK FindGauge(HWND window, LPARAM data)
{
    if (GetDlgItem(window, IDC_GAUGE_BAR) != NULL && GetDlgItem(window, IDC_GAUGE_FILE) != NULL) {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

size_t FinalFilesIn(const std::string& dir)
{
    return FilesIn(dir).size();
}

// Waits for the gauge and a few copied files, then presses "Stop Copying".
DWORD WINAPI PressQuitDuringCopy(LPVOID data)
{
    QuitClicker* c = static_cast<QuitClicker*>(data);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000) {
        if (c->gauge == NULL)
            EnumThreadWindows(c->copyThread, FindGauge, reinterpret_cast<LPARAM>(&c->gauge));
        if (c->gauge != NULL && FinalFilesIn(c->destDir) >= c->filesBeforeClick)
            break;
        Sleep(1);
    }
    if (c->gauge == NULL)
        return 1;
    DWORD_PTR got = 0;
    SendMessageTimeoutA(GetDlgItem(c->gauge, IDC_GAUGE_FILE), WM_GETTEXT, sizeof c->fileText,
                        reinterpret_cast<LPARAM>(c->fileText), SMTO_BLOCK, 5000, &got);
    // The copy waits while the click is posted, so it cannot end first; a
    // click posted before its end is honoured.
    HANDLE copier = OpenThread(THREAD_SUSPEND_RESUME, FALSE, c->copyThread);
    if (copier != NULL)
        SuspendThread(copier);
    bool gaugeUp = IsWindow(c->gauge) != FALSE;
    if (gaugeUp) {
        GetWindowRect(c->gauge, &c->gaugeRect);
        c->frameEnabledDuringCopy = IsWindowEnabled(c->frame);
        PostMessageA(GetDlgItem(c->gauge, IDCANCEL), BM_CLICK, 0, 0);
        c->clicked = true;
    }
    if (copier != NULL) {
        ResumeThread(copier);
        CloseHandle(copier);
    }
    return gaugeUp ? 0 : 1;
}

class CopyFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Paths of this case alone, so that cases may run side by side.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        source_ = std::string(temp) + "tk_src_" + name;
        root_ = "C:\\tk_copy_" + name;
        dest_ = root_ + "\\nested\\deeper";
        inf_ = std::string(temp) + "tk_copy_" + name + ".inf";
        log_ = std::string(temp) + "tk_copy_" + name + ".log";
        RemoveTree(source_);
        RemoveTree(root_);
        ASSERT_TRUE(CreateDirectoryA(source_.c_str(), NULL));
        DeleteFileA(log_.c_str());
        ASSERT_TRUE(FOpenLogFile(log_.c_str(), 0));
        frame_ = CreateWindowExA(0, "Static", "frame", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, NULL, NULL, NULL,
                                 NULL);
        ASSERT_TRUE(FInitializeInstall(GetModuleHandleA(NULL), frame_));
        SetCopyMode(1);
        ResetCopyList();
    }
    void TearDown() override
    {
        TerminateInstall();
        DestroyWindow(frame_);
        FCloseLogFile();
        RemoveTree(source_);
        RemoveTree(root_);
        DeleteFileA(inf_.c_str());
        DeleteFileA(log_.c_str());
    }
    // Writes `count` source files and a setup.inf listing them in [Files].
    void MakeSources(int count)
    {
        std::string inf = "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[Files]\r\n";
        for (int i = 0; i < count; ++i) {
            std::string bytes = Contents(i);
            WriteAll(source_ + "\\" + NameOf(i), bytes);
            inf += NameOf(i) + ", " + std::to_string(bytes.size()) + "\r\n";
        }
        WriteAll(inf_, inf);
        ASSERT_TRUE(FOpenInf(inf_.c_str(), 1, 0));
        ASSERT_TRUE(FAddSectionFilesToCopyList("Files", source_.c_str(), (dest_ + "\\").c_str()));
        count_ = count;
    }
    std::string Log()
    {
        FCloseLogFile();
        std::string text = ReadAll(log_);
        FOpenLogFile(log_.c_str(), 1);
        return text;
    }
    // Runs the copy while another thread presses "Stop Copying" once the
    // gauge is up and filesBeforeClick files are in place.
    int CopyWhileQuitIsPressed(QuitClicker* clicker, size_t filesBeforeClick)
    {
        clicker->copyThread = GetCurrentThreadId();
        clicker->frame = frame_;
        clicker->destDir = dest_;
        clicker->filesBeforeClick = filesBeforeClick;
        HANDLE thread = CreateThread(NULL, 0, PressQuitDuringCopy, clicker, 0, NULL);
        EXPECT_NE(static_cast<HANDLE>(NULL), thread);
        if (thread == NULL)
            return -1;
        int result = GrcCopyFilesInCopyList(GetModuleHandleA(NULL));
        WaitForSingleObject(thread, 30000);
        CloseHandle(thread);
        return result;
    }
    // Every file under its final name is whole; no temporary copy is left.
    void ExpectNoPartialFiles()
    {
        std::string work = dest_ + "\\" + kWorkFolder;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(work.c_str())) << "the work folder was left behind";
        for (const std::string& name : FilesIn(dest_)) {
            int index = atoi(name.c_str() + 4);
            EXPECT_TRUE(ReadAll(dest_ + "\\" + name) == Contents(index)) << name << " is not a whole copy";
        }
    }

    std::string source_, root_, dest_, inf_, log_;
    HWND frame_ = NULL;
    int count_ = 0;
};

TEST_F(CopyFiles, HundredsOfFilesAreCopiedByteForByteIntoNewDirectories)
{
    MakeSources(300);
    EXPECT_EQ(0, GrcCopyFilesInCopyList(GetModuleHandleA(NULL))) << Log();
    std::vector<std::string> copied = FilesIn(dest_);
    EXPECT_EQ(300u, copied.size());
    for (int i = 0; i < count_; ++i) {
        std::string got = ReadAll(dest_ + "\\" + NameOf(i));
        ASSERT_EQ(Contents(i).size(), got.size()) << NameOf(i);
        ASSERT_TRUE(got == Contents(i)) << NameOf(i) << " differs from its source";
    }
    ExpectNoPartialFiles();
    EXPECT_TRUE(IsWindowEnabled(frame_)) << "the frame takes input again after the copy";
}

TEST_F(CopyFiles, CopyModeZeroWritesNothing)
{
    MakeSources(5);
    SetCopyMode(0);
    EXPECT_EQ(0, GrcCopyFilesInCopyList(GetModuleHandleA(NULL)));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(root_.c_str())) << "not even the directory";
}

TEST_F(CopyFiles, EmptyListCopiesNothingAndSucceeds)
{
    EXPECT_EQ(0, GrcCopyFilesInCopyList(GetModuleHandleA(NULL)));
}

TEST_F(CopyFiles, QuitButtonStopsTheCopyWith48AndLeavesNoPartialFile)
{
    MakeSources(400);
    ProSetPos(37, 41);
    QuitClicker clicker = {};
    int result = CopyWhileQuitIsPressed(&clicker, 5);

    ASSERT_TRUE(clicker.clicked) << "the gauge did not appear during the copy";
    EXPECT_EQ(48, result);
    size_t copied = FinalFilesIn(dest_);
    EXPECT_GE(copied, 5u);
    EXPECT_LT(copied, 400u) << "the copy went on to the end";
    ExpectNoPartialFiles();
    EXPECT_EQ(37, clicker.gaugeRect.left) << "the gauge stands where ProSetPos put it";
    EXPECT_EQ(41, clicker.gaugeRect.top);
    std::string shown = clicker.fileText;
    EXPECT_EQ(0u, shown.find(dest_ + "\\file")) << "the gauge names the file being copied: " << shown;
    EXPECT_FALSE(clicker.frameEnabledDuringCopy) << "the frame takes no input during the copy";
    EXPECT_TRUE(IsWindowEnabled(frame_));
    EXPECT_NE(std::string::npos, Log().find("stopped by the user"));
}

TEST_F(CopyFiles, QuitInsideALargeFileLeavesNeitherItNorItsTemporaryCopy)
{
    // One file long enough that the click arrives while its data is copied.
    std::string big(96 * 1024 * 1024, 'x');
    WriteAll(source_ + "\\" + NameOf(1), big);
    big.clear();
    WriteAll(inf_, "[Version]\r\nSignature = \"$Windows NT$\"\r\n[Files]\r\n" + NameOf(1) + ", 100663296\r\n");
    ASSERT_TRUE(FOpenInf(inf_.c_str(), 1, 0));
    ASSERT_TRUE(FAddSectionFilesToCopyList("Files", source_.c_str(), (dest_ + "\\").c_str()));
    QuitClicker clicker = {};
    int result = CopyWhileQuitIsPressed(&clicker, 0);

    ASSERT_TRUE(clicker.clicked) << "the gauge did not appear during the copy";
    EXPECT_EQ(48, result) << "the quit was honoured only after the file";
    EXPECT_EQ(0u, FilesIn(dest_).size()) << "a file under its final name";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dest_ + "\\" + kWorkFolder).c_str()))
        << "the work folder and its partial copy were left behind";
    EXPECT_NE(std::string::npos, Log().find("stopped by the user"));
}

TEST_F(CopyFiles, MissingSourceFileGivesItsErrorAndALogLine)
{
    MakeSources(20);
    std::string missing = source_ + "\\" + NameOf(12);
    ASSERT_TRUE(DeleteFileA(missing.c_str()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GrcCopyFilesInCopyList(GetModuleHandleA(NULL)));
    std::string log = Log();
    EXPECT_NE(std::string::npos, log.find(missing)) << log;
    EXPECT_NE(std::string::npos, log.find("(error 2)")) << log;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dest_ + "\\" + NameOf(12)).c_str()));
    EXPECT_EQ(Contents(11), ReadAll(dest_ + "\\" + NameOf(11))) << "files before it are copied";
    ExpectNoPartialFiles();
}

TEST_F(CopyFiles, SourceHeldWithoutSharingGivesASharingViolation)
{
    MakeSources(10);
    std::string locked = source_ + "\\" + NameOf(3);
    HANDLE hold = CreateFileA(locked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hold);
    int result = GrcCopyFilesInCopyList(GetModuleHandleA(NULL));
    CloseHandle(hold);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, result);
    std::string log = Log();
    EXPECT_NE(std::string::npos, log.find(locked)) << log;
    EXPECT_NE(std::string::npos, log.find("(error 32)")) << log;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dest_ + "\\" + NameOf(3)).c_str()));
    ExpectNoPartialFiles();
}

TEST_F(CopyFiles, FailedCopyKeepsTheEarlierVersionWhole)
{
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((root_ + "\\nested").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(dest_.c_str(), NULL));
    std::string old = dest_ + "\\" + NameOf(2);
    WriteAll(old, "the earlier version");
    MakeSources(4);
    HANDLE hold = CreateFileA((source_ + "\\" + NameOf(2)).c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hold);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, GrcCopyFilesInCopyList(GetModuleHandleA(NULL)));
    CloseHandle(hold);
    EXPECT_EQ("the earlier version", ReadAll(old));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dest_ + "\\" + kWorkFolder).c_str()));
}

// The renames run behind the writing; a file that cannot be put in place
// still ends the copy there, as if the files were copied one by one: the
// earlier version stays, and none of the copies written ahead is placed.
TEST_F(CopyFiles, ACopyThatCannotBePutInPlaceEndsTheCopyThere)
{
    const int held = 12;
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((root_ + "\\nested").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(dest_.c_str(), NULL));
    std::string old = dest_ + "\\" + NameOf(held);
    WriteAll(old, "the earlier version");
    MakeSources(40);
    HANDLE hold = CreateFileA(old.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hold);
    int result = GrcCopyFilesInCopyList(GetModuleHandleA(NULL));
    CloseHandle(hold);

    std::string log = Log();
    EXPECT_EQ(ERROR_SHARING_VIOLATION, result) << log;
    EXPECT_NE(std::string::npos, log.find("Cannot replace " + old + ": ")) << log;
    EXPECT_EQ("the earlier version", ReadAll(old));
    EXPECT_EQ(static_cast<size_t>(held + 1), FilesIn(dest_).size()) << "files 0 to 11 and the earlier version of 12";
    for (int i = 0; i < held; ++i)
        EXPECT_TRUE(ReadAll(dest_ + "\\" + NameOf(i)) == Contents(i)) << NameOf(i) << " is not whole";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dest_ + "\\" + kWorkFolder).c_str()))
        << "copies written ahead were left in the work folder";
}

TEST_F(CopyFiles, ReadOnlyEarlierVersionIsReplaced)
{
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((root_ + "\\nested").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(dest_.c_str(), NULL));
    std::string old = dest_ + "\\" + NameOf(1);
    WriteAll(old, "an older version, longer than nothing");
    ASSERT_TRUE(SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY));
    MakeSources(3);
    EXPECT_EQ(0, GrcCopyFilesInCopyList(GetModuleHandleA(NULL))) << Log();
    EXPECT_TRUE(ReadAll(old) == Contents(1));
}

// What a CD-ROM or a read-only share hands over: the copies keep the other
// attributes but stay writable, so a reinstall and a removal can replace
// and delete them.
TEST_F(CopyFiles, CopiesKeepTheSourcesAttributesButReadOnly)
{
    MakeSources(3);
    const DWORD given[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN,
                           FILE_ATTRIBUTE_ARCHIVE};
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(SetFileAttributesA((source_ + "\\" + NameOf(i)).c_str(), given[i]));
    EXPECT_EQ(0, GrcCopyFilesInCopyList(GetModuleHandleA(NULL))) << Log();
    for (int i = 0; i < 3; ++i) {
        std::string copy = dest_ + "\\" + NameOf(i);
        DWORD attributes = GetFileAttributesA(copy.c_str());
        EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_READONLY) << copy;
        EXPECT_EQ(given[i] & FILE_ATTRIBUTE_HIDDEN, attributes & FILE_ATTRIBUTE_HIDDEN) << copy;
        EXPECT_TRUE(DeleteFileA(copy.c_str())) << copy << " cannot be deleted";
        SetFileAttributesA((source_ + "\\" + NameOf(i)).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(CopyFiles, DestinationThatIsAFileFailsWithALogLine)
{
    WriteAll(root_, "a file where a directory should be");
    MakeSources(2);
    int result = GrcCopyFilesInCopyList(GetModuleHandleA(NULL));
    EXPECT_NE(0, result);
    EXPECT_NE(48, result);
    EXPECT_NE(std::string::npos, Log().find("Cannot")) << "a log line says what failed";
    DeleteFileA(root_.c_str());
}

TEST_F(CopyFiles, StextClassIsRegisteredForTheModuleAndShowsItsText)
{
    HMODULE engine = GetModuleHandleA("MSINSSTF");
    ASSERT_NE(static_cast<HMODULE>(NULL), engine);
    WNDCLASSA info;
    ASSERT_TRUE(GetClassInfoA(engine, "stext", &info));
    HWND text = CreateWindowExA(0, "stext", "C:\\DORURE\\KVASVR.EXE", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20,
                                frame_, NULL, engine, NULL);
    ASSERT_NE(static_cast<HWND>(NULL), text);
    char got[64] = "";
    GetWindowTextA(text, got, sizeof got);
    EXPECT_STREQ("C:\\DORURE\\KVASVR.EXE", got);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EXPECT_EQ(reinterpret_cast<LRESULT>(font), SendMessageA(text, WM_GETFONT, 0, 0));
    SetWindowTextA(text, "dorure60.dll");
    UpdateWindow(text);
    GetWindowTextA(text, got, sizeof got);
    EXPECT_STREQ("dorure60.dll", got);
    DestroyWindow(text);
}

TEST_F(CopyFiles, GaugeWorksWhenTheProgramReplacedStextByStatic)
{
    // What the setup program does at start-up with the engine's class.
    HMODULE engine = GetModuleHandleA("MSINSSTF");
    UnregisterClassA("stext", engine);
    WNDCLASSA wc;
    ASSERT_TRUE(GetClassInfoA(NULL, "Static", &wc));
    wc.hInstance = engine;
    wc.lpszClassName = "stext";
    ASSERT_NE(0, RegisterClassA(&wc));
    MakeSources(12);
    EXPECT_EQ(0, GrcCopyFilesInCopyList(GetModuleHandleA(NULL))) << Log();
    EXPECT_EQ(12u, FilesIn(dest_).size());
}

// A later entry whose source an earlier entry writes reads the new file,
// although the placing runs behind the writing.
TEST_F(CopyFiles, AnEntryWhoseSourceAnEarlierEntryWritesReadsTheNewFile)
{
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((root_ + "\\nested").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(dest_.c_str(), NULL));
    WriteAll(dest_ + "\\" + NameOf(39), "the earlier version");
    MakeSources(40);
    std::string second = root_ + "\\second\\";
    ASSERT_TRUE(FAddSectionFilesToCopyList("Files", (dest_ + "\\").c_str(), second.c_str()));
    EXPECT_EQ(0, GrcCopyFilesInCopyList(GetModuleHandleA(NULL))) << Log();
    for (int i = 0; i < count_; ++i)
        ASSERT_TRUE(ReadAll(second + NameOf(i)) == Contents(i)) << NameOf(i) << " was read before it was placed";
}

// Kept for the caller: the earlier versions stay aside until the copy is
// made final, or come back, with new files gone, when it is undone.
TEST_F(CopyFiles, AKeptCopyIsMadeFinalOrUndoneWhole)
{
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((root_ + "\\nested").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(dest_.c_str(), NULL));
    std::string old = dest_ + "\\" + NameOf(3);
    WriteAll(old, "the earlier version");
    const DWORD attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesA(old.c_str(), attributes));
    MakeSources(20);
    SetCopyKeepsEarlierVersions(TRUE);
    for (BOOL(WINAPI * end)(LPCSTR) : {FRollBackCopy, FCommitCopy}) {
        ASSERT_EQ(0, GrcCopyFilesInCopyList(GetModuleHandleA(NULL))) << Log();
        EXPECT_TRUE(ReadAll(old) == Contents(3));
        EXPECT_TRUE(end(dest_.c_str()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dest_ + "\\" + kWorkFolder).c_str()));
        if (end == FRollBackCopy) {
            EXPECT_EQ(std::vector<std::string>{NameOf(3)}, FilesIn(dest_)) << "new files are gone";
            EXPECT_EQ("the earlier version", ReadAll(old));
            EXPECT_EQ(attributes, GetFileAttributesA(old.c_str()));
        }
    }
    SetCopyKeepsEarlierVersions(FALSE);
    EXPECT_EQ(20u, FilesIn(dest_).size());
    ExpectNoPartialFiles();
}

} // namespace

// The destination page's refresh: one disk-space figure (ResetCopyList,
// FOpenInf, FAddSectionFilesToCopyList, LcbGetCopyListCost) for a setup.inf
// of 10,000 files, median of many runs; beside it the platform's INF reader
// walking the same file, for comparison. (The copy itself is measured
// against CopyFileA and the other installers by bench_install.)
#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_common.h"
#include "setuptk.h"

using bench::Now;

namespace {

const char kRoot[] = "C:\\stfbench";
const int kRefreshFiles = 10000;
const int kRefreshRuns = 51;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

bool WriteAll(const std::string& path, const char* data, size_t size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, data, static_cast<DWORD>(size), &written, NULL);
    CloseHandle(file);
    return ok && written == size;
}

std::string NameOf(int index)
{
    char name[32];
    snprintf(name, sizeof name, "f%05d.bin", index);
    return name;
}

// Mixed sizes: many small files, some large ones; 100 KB on average.
size_t SizeOf(int index)
{
    static const size_t sizes[] = { 512, 4096, 20000, 60000, 100000, 150000, 250000, 215404 };
    return sizes[index % 8] + static_cast<size_t>(index % 97) * 13;
}

bool MakeRefreshInf(const std::string& path)
{
    std::string inf = "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[Files]\r\n; file name, size in bytes\r\n";
    for (int i = 0; i < kRefreshFiles; ++i)
        inf += NameOf(i) + ", " + std::to_string(SizeOf(i)) + "\r\n";
    return WriteAll(path, inf.data(), inf.size());
}

double OneRefresh(const std::string& inf, const std::string& source, const std::string& dest)
{
    double start = Now();
    ResetCopyList();
    bool ok = FOpenInf(inf.c_str(), 1, 0) && FAddSectionFilesToCopyList("Files", source.c_str(), dest.c_str())
        && LcbGetCopyListCost("EXTRAS", "COSTS", "NEEDED") >= 0;
    double elapsed = Now() - start;
    return ok ? elapsed : -1;
}

double PlatformReaderWalk(const std::string& inf)
{
    double start = Now();
    UINT errorLine = 0;
    HINF handle = SetupOpenInfFileA(inf.c_str(), NULL, INF_STYLE_WIN4, &errorLine);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    INFCONTEXT line;
    unsigned long long total = 0;
    char name[MAX_PATH], size[32];
    for (BOOL more = SetupFindFirstLineA(handle, "Files", NULL, &line); more; more = SetupFindNextLine(&line, &line)) {
        if (SetupGetStringFieldA(&line, 1, name, sizeof name, NULL) && SetupGetStringFieldA(&line, 2, size, sizeof size, NULL))
            total += strtoull(size, NULL, 10);
    }
    SetupCloseInfFile(handle);
    double elapsed = Now() - start;
    return total > 0 ? elapsed : -1;
}

void ReportRefresh(const char* what, const std::string& inf, const std::string& source, const std::string& dest)
{
    std::vector<double> runs;
    for (int i = 0; i < kRefreshRuns; ++i) {
        double t = OneRefresh(inf, source, dest);
        if (t < 0) {
            printf("refresh (%s): a run failed\n", what);
            return;
        }
        runs.push_back(t);
    }
    printf("refresh (%s): median %.2f ms, fastest %.2f ms, slowest %.2f ms over %d runs (target <= 20 ms)\n", what,
           Median(runs) * 1000, *std::min_element(runs.begin(), runs.end()) * 1000,
           *std::max_element(runs.begin(), runs.end()) * 1000, kRefreshRuns);
}

void BenchRefresh()
{
    std::string inf = std::string(kRoot) + "\\refresh.inf";
    std::string source = std::string(kRoot) + "\\src";
    std::string dest = std::string(kRoot) + "\\refresh_dest";
    if (!MakeRefreshInf(inf)) {
        printf("refresh: cannot write the .inf\n");
        return;
    }
    RemoveTree(dest);
    ReportRefresh("10,000 files, new destination", inf, source, dest);
    // A reinstall: every file is there already and is listed once per refresh.
    CreateDirectoryA(dest.c_str(), NULL);
    for (int i = 0; i < kRefreshFiles; ++i)
        WriteAll(dest + "\\" + NameOf(i), "x", 1);
    ReportRefresh("10,000 files, all present", inf, source, dest);
    RemoveTree(dest);

    std::vector<double> walks;
    for (int i = 0; i < kRefreshRuns; ++i)
        walks.push_back(PlatformReaderWalk(inf));
    printf("platform INF reader (SetupOpenInfFileA and two fields a line, no checks): median %.2f ms\n",
           Median(walks) * 1000);
}

} // namespace

int main()
{
    setvbuf(stdout, NULL, _IONBF, 0);
    FInitializeInstall(GetModuleHandleA(NULL), NULL);
    RemoveTree(kRoot);
    CreateDirectoryA(kRoot, NULL);
    BenchRefresh();
    TerminateInstall();
    RemoveTree(kRoot);
    return 0;
}

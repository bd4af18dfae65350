// Benchmarks of the install engine:
//  copy     GrcCopyFilesInCopyList against a plain CopyFileA loop over the
//           same 2,000 files of mixed sizes (about 200 MB) on C:;
//  refresh  one disk-space refresh of the destination page (ResetCopyList,
//           FOpenInf, FAddSectionFilesToCopyList, LcbGetCopyListCost) for a
//           setup.inf of 10,000 files, median of many runs; beside it the
//           platform's INF reader walking the same file, for comparison;
//  parts    (only when asked for) where a copy's time goes: CopyFileA,
//           CopyFileExA with a progress routine, a temporary name and a rename.
#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "setuptk.h"

namespace {

const char kRoot[] = "C:\\stfbench";
const int kCopyFiles = 2000;
const int kRefreshFiles = 10000;
const int kRefreshRuns = 51;
const int kCopyRounds = 3;

double Now()
{
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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

struct CopySet {
    std::string source;
    std::string inf;
    std::vector<std::string> names;
    unsigned long long bytes;
};

bool MakeCopySet(CopySet* set)
{
    set->source = std::string(kRoot) + "\\src";
    set->inf = std::string(kRoot) + "\\copy.inf";
    CreateDirectoryA(set->source.c_str(), NULL);
    std::vector<char> data(300000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>((i * 2654435761u) >> 13);
    std::string inf = "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[Files]\r\n";
    set->bytes = 0;
    for (int i = 0; i < kCopyFiles; ++i) {
        std::string name = NameOf(i);
        size_t size = SizeOf(i);
        if (!WriteAll(set->source + "\\" + name, data.data() + (i % 1000), size))
            return false;
        set->names.push_back(name);
        set->bytes += size;
        inf += name + ", " + std::to_string(size) + "\r\n";
    }
    return WriteAll(set->inf, inf.data(), inf.size());
}

double PlainLoop(const CopySet& set, const std::string& dest)
{
    RemoveTree(dest);
    double start = Now();
    CreateDirectoryA(dest.c_str(), NULL);
    for (const std::string& name : set.names)
        if (!CopyFileA((set.source + "\\" + name).c_str(), (dest + "\\" + name).c_str(), FALSE)) {
            printf("plain copy of %s failed: %lu\n", name.c_str(), GetLastError());
            return -1;
        }
    return Now() - start;
}

double EngineCopy(const CopySet& set, const std::string& dest)
{
    RemoveTree(dest);
    ResetCopyList();
    if (!FOpenInf(set.inf.c_str(), 1, 0) || !FAddSectionFilesToCopyList("Files", set.source.c_str(), dest.c_str()))
        return -1;
    SetCopyMode(1);
    double start = Now();
    int result = GrcCopyFilesInCopyList(GetModuleHandleA(NULL));
    double elapsed = Now() - start;
    if (result != 0) {
        printf("GrcCopyFilesInCopyList answered %d\n", result);
        return -1;
    }
    return elapsed;
}

DWORD CALLBACK CountProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE,
                             HANDLE, LPVOID data)
{
    ++*static_cast<long*>(data);
    return PROGRESS_CONTINUE;
}

// Where the time of a copy goes: the progress routine, the rename.
void BenchCopyParts()
{
    CopySet set;
    if (!MakeCopySet(&set))
        return;
    std::string dest = std::string(kRoot) + "\\parts";
    for (int variant = 0; variant < 6; ++variant) {
        RemoveTree(dest);
        CreateDirectoryA(dest.c_str(), NULL);
        long calls = 0;
        double start = Now();
        for (const std::string& name : set.names) {
            std::string from = set.source + "\\" + name, to = dest + "\\" + name, temp = dest + "\\~t.tmp";
            switch (variant % 3) {
            case 0: CopyFileA(from.c_str(), to.c_str(), FALSE); break;
            case 1: CopyFileExA(from.c_str(), to.c_str(), CountProgress, &calls, NULL, 0); break;
            case 2: CopyFileA(from.c_str(), temp.c_str(), FALSE);
                    MoveFileExA(temp.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING); break;
            }
        }
        static const char* names[] = { "CopyFileA", "CopyFileExA with progress", "CopyFileA to a temporary name and MoveFileExA" };
        printf("parts: %-48s %.3f s (%ld progress calls)\n", names[variant % 3], Now() - start, calls);
    }
    RemoveTree(dest);
}

void BenchCopy()
{
    CopySet set;
    if (!MakeCopySet(&set)) {
        printf("copy: cannot write the source files\n");
        return;
    }
    std::string plainDest = std::string(kRoot) + "\\plain";
    std::string engineDest = std::string(kRoot) + "\\engine";
    std::vector<double> plain, engine;
    // Alternate, so that neither side profits alone from a warm cache.
    PlainLoop(set, plainDest);
    for (int round = 0; round < kCopyRounds; ++round) {
        plain.push_back(PlainLoop(set, plainDest));
        engine.push_back(EngineCopy(set, engineDest));
    }
    RemoveTree(plainDest);
    RemoveTree(engineDest);
    double p = Median(plain), e = Median(engine);
    if (p <= 0 || e <= 0) {
        printf("copy: a run failed\n");
        return;
    }
    double mb = static_cast<double>(set.bytes) / (1024.0 * 1024.0);
    printf("copy: %d files, %.1f MB; plain CopyFileA loop %.3f s (%.1f MB/s), GrcCopyFilesInCopyList %.3f s "
           "(%.1f MB/s); median of %d rounds\n",
           kCopyFiles, mb, p, mb / p, e, mb / e, kCopyRounds);
    printf("copy ratio (engine throughput / plain loop throughput): %.3f (target >= 0.90)\n", p / e);
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

int main(int argc, char** argv)
{
    bool copy = true, refresh = true, parts = false;
    if (argc > 1) {
        parts = std::string(argv[1]) == "parts";
        copy = std::string(argv[1]) == "copy";
        refresh = std::string(argv[1]) == "refresh";
    }
    setvbuf(stdout, NULL, _IONBF, 0);
    FInitializeInstall(GetModuleHandleA(NULL), NULL);
    RemoveTree(kRoot);
    CreateDirectoryA(kRoot, NULL);
    if (refresh)
        BenchRefresh();
    if (copy)
        BenchCopy();
    if (parts)
        BenchCopyParts();
    TerminateInstall();
    RemoveTree(kRoot);
    return 0;
}

// The installers side by side, in one prefix and interleaved rounds:
//   bench_install generate ROOT         writes the payload into ROOT\dist
//                                        (beside the distribution's files),
//                                        its list ROOT\payload.txt and an
//                                        .inf of it, ROOT\payload.inf, and
//                                        adds it to ROOT\dist\setup.inf
//   bench_install round ROOT N          runs round N and adds its figures to
//                                        ROOT\figures.txt
//   bench_install report ROOT           prints, for each figure, its median
//                                        over the rounds and its ratio to the
//                                        plain CopyFileA loop
// (tools/bench.sh flushes the file system's dirty pages between rounds, so
// that no round pays for the writing of the one before.)
// Every copy and install goes to a folder of its own, and nothing is deleted
// until the end: deleting thousands of files slows the creation of the next
// thousands for minutes on the build machines' file system, which would
// blur every figure alike.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "bench_common.h"

namespace {

const int kFiles = 2000;
const DWORD kTimeoutMs = 600000;
const int kWelcomeTextId = 1100;   // a control of the welcome page

// ---- the payload ------------------------------------------------------

unsigned g_seed = 20261208;
unsigned Random()
{
    g_seed = g_seed * 1664525u + 1013904223u;
    return g_seed >> 8;
}

// 70 % of 1-20 KB, 27 % of 50-300 KB, 3 % of 3-5 MB, in a shuffled order;
// the large files are then scaled within their range to a total of 333 MB.
const unsigned long long kTotalBytes = 333000000;
std::vector<unsigned long long> PayloadSizes()
{
    std::vector<int> kinds(kFiles, 0);
    for (int i = kFiles * 70 / 100; i < kFiles * 97 / 100; ++i)
        kinds[i] = 1;
    for (int i = kFiles * 97 / 100; i < kFiles; ++i)
        kinds[i] = 2;
    for (int i = kFiles - 1; i > 0; --i)
        std::swap(kinds[i], kinds[Random() % (i + 1)]);
    std::vector<unsigned long long> sizes;
    unsigned long long small = 0, large = 0;
    for (int kind : kinds) {
        unsigned long long low = kind == 0 ? 1000 : kind == 1 ? 50000 : 3000000;
        unsigned long long high = kind == 0 ? 20000 : kind == 1 ? 300000 : 5000000;
        sizes.push_back(low + Random() % (high - low + 1));
        (kind == 2 ? large : small) += sizes.back();
    }
    double scale = static_cast<double>(kTotalBytes - small) / static_cast<double>(large);
    unsigned long long total = small;
    for (size_t i = 0; i < sizes.size(); ++i) {
        if (kinds[i] != 2)
            continue;
        unsigned long long scaled = static_cast<unsigned long long>(sizes[i] * scale);
        sizes[i] = scaled < 3000000 ? 3000000 : scaled > 5000000 ? 5000000 : scaled;
        total += sizes[i];
    }
    for (size_t i = 0; i < sizes.size() && total != kTotalBytes; ++i)
        if (kinds[i] == 2 && total < kTotalBytes && sizes[i] < 5000000) {
            unsigned long long add = std::min<unsigned long long>(kTotalBytes - total, 5000000 - sizes[i]);
            sizes[i] += add;
            total += add;
        } else if (kinds[i] == 2 && total > kTotalBytes && sizes[i] > 3000000) {
            unsigned long long cut = std::min<unsigned long long>(total - kTotalBytes, sizes[i] - 3000000);
            sizes[i] -= cut;
            total -= cut;
        }
    return sizes;
}

bool WriteText(const std::string& path, const std::string& text, DWORD disposition = CREATE_ALWAYS)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, disposition, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    if (disposition == OPEN_EXISTING)
        SetFilePointer(file, 0, NULL, FILE_END);
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
    CloseHandle(file);
    return ok && written == text.size();
}

int Generate(const std::string& root)
{
    std::string dist = root + "\\dist";
    // Incompressible contents, so that no installer gains by packing.
    std::vector<char> noise(5000000 + 4096);
    for (char& byte : noise)
        byte = static_cast<char>(Random());
    std::string list, lines;
    unsigned long long total = 0;
    std::vector<unsigned long long> sizes = PayloadSizes();
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        snprintf(name, sizeof name, "pay%05d.dat", i);
        unsigned long long size = sizes[i];
        if (!WriteText(dist + "\\" + name, std::string(noise.data() + (i * 97) % 4096, size))) {
            fprintf(stderr, "cannot write %s (error %lu)\n", name, GetLastError());
            return 1;
        }
        std::string line = std::string(name) + ", " + std::to_string(size) + "\r\n";
        list += line;
        total += size;
    }
    std::string inf = "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[Files]\r\n" + list;
    if (!WriteText(root + "\\payload.txt", list) || !WriteText(root + "\\payload.inf", inf)
        || !WriteText(dist + "\\setup.inf", list, OPEN_EXISTING)) {
        fprintf(stderr, "cannot write the payload's lists (error %lu)\n", GetLastError());
        return 1;
    }
    printf("payload: %d files, %.0f MB\n", kFiles, total / 1e6);
    return 0;
}

// ---- running programs -------------------------------------------------

struct Run {
    double seconds = -1;
    DWORD exitCode = 0;
    SIZE_T peakWorkingSet = 0;
};

// Starts a program and waits for it; with until, waits for that instead
// and ends the program.
Run RunProgram(const std::string& command, const std::string& directory,
               const std::function<bool(DWORD)>& until = nullptr)
{
    Run run;
    // The programs' own output (setup's frame traces) would bury the figures.
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, NULL);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    double start = bench::Now();
    BOOL started = CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, 0, NULL,
                                  directory.empty() ? NULL : directory.c_str(), &startup, &process);
    CloseHandle(nul);
    if (!started) {
        fprintf(stderr, "cannot start %s (error %lu)\n", command.c_str(), GetLastError());
        return run;
    }
    // The working set is read while the program runs: once it has ended
    // there is nothing left to ask about.
    bool seen = false, ended = false;
    while (!seen && bench::Now() - start < kTimeoutMs / 1000.0) {
        ended = WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0;
        if (ended)
            break;
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
            run.peakWorkingSet = std::max(run.peakWorkingSet, std::max(memory.PeakWorkingSetSize, memory.WorkingSetSize));
        if (until)
            seen = until(process.dwProcessId);
    }
    if (ended || seen)
        run.seconds = bench::Now() - start;
    if (!ended) {
        TerminateProcess(process.hProcess, until ? 0 : 1);
        WaitForSingleObject(process.hProcess, kTimeoutMs);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

struct WelcomeSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK FindWelcome(HWND window, LPARAM data)
{
    WelcomeSearch* search = reinterpret_cast<WelcomeSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && GetDlgItem(window, kWelcomeTextId) != NULL) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool WelcomePageShown(DWORD processId)
{
    WelcomeSearch search = { processId, false };
    EnumWindows(FindWelcome, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- the figures ------------------------------------------------------

struct Figure {
    std::string name;
    std::string unit;           // "s" or "MB"
    std::vector<double> values;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Print(const std::vector<Figure>& figures, int rounds)
{
    double plain = Median(figures[0].values);
    double plainMemory = 0;
    for (const Figure& figure : figures)
        if (figure.name.find("CopyFileA loop") != std::string::npos && figure.unit == "MB")
            plainMemory = Median(figure.values);
    printf("\n%-62s %10s %8s   %s\n", "figure", "median", "ratio", "rounds");
    for (const Figure& figure : figures) {
        if (figure.values.empty()) {
            printf("%-62s %10s %8s   (failed in every round)\n", figure.name.c_str(), "-", "-");
            continue;
        }
        double median = Median(figure.values);
        double base = figure.unit == "MB" ? plainMemory : plain;
        char value[32], ratio[32];
        snprintf(value, sizeof value, figure.unit == "MB" ? "%.1f MB" : "%.2f s", median);
        snprintf(ratio, sizeof ratio, base > 0 ? "%.2f" : "-", median / base);
        printf("%-62s %10s %8s  ", figure.name.c_str(), value, ratio);
        for (double v : figure.values)
            printf(figure.unit == "MB" ? " %.1f" : " %.2f", v);
        if (figure.values.size() != static_cast<size_t>(rounds))
            printf("  (failed in %zu of %d rounds)", static_cast<size_t>(rounds) - figure.values.size(), rounds);
        printf("\n");
    }
}

double Seconds(const Run& run)
{
    return run.exitCode == 0 ? run.seconds : -1;
}

const std::vector<std::pair<std::string, std::string>> kFigures = {
    { "plain CopyFileA loop, payload", "s" },
    { "GrcCopyFilesInCopyList, payload (gauge, temporary names)", "s" },
    { "  why: ReadFile/WriteFile, 256 KB, final names, one thread", "s" },
    { "setup SMSINSTALL with the payload", "s" },
    { "NSIS 3 /S, the payload (no compression)", "s" },
    { "msiexec /i /qn, the payload", "s" },
    { "setup SMSINSTALL, the product alone", "s" },
    { "setup SMSUNINSTALL, the product alone", "s" },
    { "setup start-up to the welcome page", "s" },
    { "start and end of an empty program", "s" },
    { "peak working set: the CopyFileA loop's process", "MB" },
    { "peak working set: setup.exe, SMSINSTALL with the payload", "MB" },
    { "setup SMSINSTALL with the payload, before the install record", "s" },
    { "rollback of the payload's install (run killed after its last step)", "s" },
};

// A run of setup with a step of its own to stop after (0: none).
Run RunSetupStoppedAfter(const std::string& dist, int step)
{
    SetEnvironmentVariableA("SETUP_STOP_AFTER_STEP", step ? std::to_string(step).c_str() : NULL);
    Run run = RunProgram(dist + "\\setup.exe SMSINSTALL", dist);
    SetEnvironmentVariableA("SETUP_STOP_AFTER_STEP", NULL);
    return run;
}

void WriteConfiguration(const std::string& dist, const std::string& target)
{
    WriteText(dist + "\\SETUP.ICF", "[Settings]\r\nInstallPath=" + target + "\r\n[SQL Account Info]\r\nID=sa\r\nPassword=\r\n");
}

// The payload installed by the setup built before the install record
// (bench.sh builds it beside this one), then removed.
double InstallBefore(const std::string& root, const std::string& r)
{
    std::string before = root + "\\dist-before", target = root + "\\out\\before" + r + "\\";
    if (!Exists(before + "\\setup.exe"))
        return -1;
    WriteConfiguration(before, target);
    Run run = RunProgram(before + "\\setup.exe SMSINSTALL", before);
    double seconds = Exists(target + "pay01999.dat") ? Seconds(run) : -1;
    RunProgram(before + "\\setup.exe SMSUNINSTALL", before);
    return seconds;
}

// The payload's install killed after its last step, then undone by the next
// run, which stops once it has done that: the time of that run.
double RollBack(const std::string& dist, const std::string& target)
{
    const int lastStep = 11, earlierRunFinished = 1;
    RunSetupStoppedAfter(dist, lastStep);
    if (!Exists(target + "pay01999.dat"))
        return -1;
    Run undo = RunSetupStoppedAfter(dist, earlierRunFinished);
    return Exists(target + "pay01999.dat") ? -1 : undo.seconds;
}

double CopySeconds(const Run& run)
{
    return run.exitCode != 0xFFFFFFFF && run.seconds >= 0 ? run.exitCode / 1000.0 : -1;
}

int RunRound(const std::string& root, int round)
{
    std::string out = root + "\\out", dist = root + "\\dist", product = root + "\\product";
    CreateDirectoryA(out.c_str(), NULL);
    std::vector<double> figure(kFigures.size(), -1);
    std::string me = root + "\\bench_copy.exe";
    std::string r = "-r" + std::to_string(round);

    Run plain = RunProgram(me + " plain " + root + "\\payload.txt " + dist + " " + out + "\\plain" + r, "");
    figure[0] = CopySeconds(plain);
    figure[10] = plain.peakWorkingSet / 1048576.0;
    figure[1] = CopySeconds(RunProgram(me + " toolkit " + root + "\\payload.inf " + dist + " " + out + "\\toolkit" + r, ""));
    figure[2] = CopySeconds(RunProgram(me + " loop " + root + "\\payload.txt " + dist + " " + out + "\\loop" + r, ""));

    // The setup before the install record goes first in odd rounds and
    // second in even ones, so that neither always follows the copies above.
    if (round % 2 == 1)
        figure[12] = InstallBefore(root, r);
    std::string target = out + "\\setup" + r + "\\";
    WriteConfiguration(dist, target);
    Run setup = RunProgram(dist + "\\setup.exe SMSINSTALL", dist);
    if (Exists(target + "pay01999.dat") && Exists(target + "KVASVR.EXE")) {
        figure[3] = Seconds(setup);
        figure[11] = setup.peakWorkingSet / 1048576.0;
    }
    RunProgram(dist + "\\setup.exe SMSUNINSTALL", dist);
    if (round % 2 == 0)
        figure[12] = InstallBefore(root, r);
    std::string undone = out + "\\rollback" + r + "\\";
    WriteConfiguration(dist, undone);
    figure[13] = RollBack(dist, undone);

    std::string nsisDir = out + "\\nsis" + r;
    Run nsis = RunProgram(root + "\\payload-nsis.exe /S /D=" + nsisDir, "");
    if (Exists(nsisDir + "\\pay01999.dat"))
        figure[4] = Seconds(nsis);

    std::string msiDir = out + "\\msi" + r;
    Run msi = RunProgram("msiexec.exe /i " + root + "\\payload.msi /qn INSTALLDIR=" + msiDir + "\\", "");
    if (Exists(msiDir + "\\pay01999.dat"))
        figure[5] = Seconds(msi);
    // Out of the way first, so that the removal has nothing to delete.
    MoveFileA(msiDir.c_str(), (msiDir + "-kept").c_str());
    RunProgram("msiexec.exe /x " + root + "\\payload.msi /qn", "");

    Run alone = RunProgram(product + "\\setup.exe SMSINSTALL", product);
    if (Exists("C:\\DORURE\\KVASVR.EXE"))
        figure[6] = Seconds(alone);
    Run removal = RunProgram(product + "\\setup.exe SMSUNINSTALL", product);
    if (!Exists("C:\\DORURE\\KVASVR.EXE"))
        figure[7] = Seconds(removal);

    figure[8] = RunProgram(product + "\\setup.exe", product, WelcomePageShown).seconds;
    figure[9] = RunProgram(me, "").seconds;   // answers its usage and ends

    std::string lines;
    for (size_t i = 0; i < figure.size(); ++i)
        if (figure[i] >= 0)
            lines += std::to_string(i) + " " + std::to_string(figure[i]) + "\r\n";
    std::string path = root + "\\figures.txt";
    bool added = Exists(path) ? WriteText(path, lines, OPEN_EXISTING) : WriteText(path, lines);
    return added ? 0 : 1;
}

int Report(const std::string& root)
{
    std::vector<Figure> figures;
    for (const auto& named : kFigures)
        figures.push_back(Figure{ named.first, named.second, {} });
    FILE* file = fopen((root + "\\figures.txt").c_str(), "r");
    if (file == NULL) {
        fprintf(stderr, "no figures in %s\n", root.c_str());
        return 1;
    }
    int rounds = 0;
    unsigned index;
    double value;
    while (fscanf(file, "%u %lf", &index, &value) == 2)
        if (index < figures.size()) {
            figures[index].values.push_back(value);
            rounds = std::max(rounds, static_cast<int>(figures[index].values.size()));
        }
    fclose(file);
    Print(figures, rounds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "generate" && argc == 3)
        return Generate(argv[2]);
    if (command == "round" && argc == 4)
        return RunRound(argv[2], atoi(argv[3]));
    if (command == "report" && argc == 3)
        return Report(argv[2]);
    fprintf(stderr, "usage: bench_install generate ROOT | round ROOT N | report ROOT\n");
    return 2;
}

// One copy of the payload, timed inside the process so that only the copy
// counts; the exit code is the time in milliseconds (0xFFFFFFFF: it failed).
//   bench_copy plain   LIST SOURCE DEST   CopyFileA, file after file
//   bench_copy loop    LIST SOURCE DEST   ReadFile/WriteFile through a 256 KB
//                                          buffer straight to the final names
//   bench_copy toolkit INF  SOURCE DEST   GrcCopyFilesInCopyList, with gauge
// The loop is there to show where the time goes: it looks each new name up
// once, as the toolkit does, where CopyFileA looks it up twice; but on the
// thread that writes, where the toolkit renames on a second one.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_common.h"
#include "setuptk.h"

namespace {

const DWORD kFailed = 0xFFFFFFFF;

bool PlainCopy(const std::vector<bench::PayloadFile>& files, const std::string& source, const std::string& dest)
{
    for (const bench::PayloadFile& file : files)
        if (!CopyFileA((source + "\\" + file.name).c_str(), (dest + "\\" + file.name).c_str(), FALSE)) {
            fprintf(stderr, "CopyFileA %s: error %lu\n", file.name.c_str(), GetLastError());
            return false;
        }
    return true;
}

bool LoopCopy(const std::vector<bench::PayloadFile>& files, const std::string& source, const std::string& dest)
{
    std::vector<char> buffer(256 * 1024);
    for (const bench::PayloadFile& file : files) {
        HANDLE in = CreateFileA((source + "\\" + file.name).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        HANDLE out = CreateFileA((dest + "\\" + file.name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, NULL);
        bool ok = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE;
        DWORD got = 0, written = 0;
        while (ok && ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, NULL) && got > 0)
            ok = WriteFile(out, buffer.data(), got, &written, NULL) && written == got;
        if (in != INVALID_HANDLE_VALUE)
            CloseHandle(in);
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
        if (!ok) {
            fprintf(stderr, "loop copy %s: error %lu\n", file.name.c_str(), GetLastError());
            return false;
        }
    }
    return true;
}

bool ToolkitCopy(const std::string& inf, const std::string& source, const std::string& dest, double* started)
{
    FInitializeInstall(GetModuleHandleA(NULL), NULL);
    ResetCopyList();
    if (!FOpenInf(inf.c_str(), 1, 0) || !FAddSectionFilesToCopyList("Files", source.c_str(), dest.c_str())) {
        fprintf(stderr, "the copy list cannot be made from %s\n", inf.c_str());
        return false;
    }
    SetCopyMode(1);
    *started = bench::Now();
    int result = GrcCopyFilesInCopyList(GetModuleHandleA(NULL));
    if (result != 0)
        fprintf(stderr, "GrcCopyFilesInCopyList answered %d\n", result);
    return result == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: bench_copy plain|loop|toolkit LIST SOURCE DEST\n");
        return static_cast<int>(kFailed);
    }
    std::string mode = argv[1], list = argv[2], source = argv[3], dest = argv[4];
    std::vector<bench::PayloadFile> files;
    if (mode != "toolkit" && !bench::ReadPayloadList(list, &files)) {
        fprintf(stderr, "cannot read %s\n", list.c_str());
        return static_cast<int>(kFailed);
    }
    double start = bench::Now();
    bool ok;
    if (mode == "plain")
        ok = CreateDirectoryA(dest.c_str(), NULL) && PlainCopy(files, source, dest);
    else if (mode == "loop")
        ok = CreateDirectoryA(dest.c_str(), NULL) && LoopCopy(files, source, dest);
    else
        ok = ToolkitCopy(list, source, dest, &start);
    double elapsed = bench::Now() - start;
    return ok ? static_cast<int>(elapsed * 1000 + 0.5) : static_cast<int>(kFailed);
}

// Shared by the benchmark programs: a clock and the payload's file list.
#ifndef BENCH_COMMON_H
#define BENCH_COMMON_H

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

double Now();

struct PayloadFile {
    std::string name;
    unsigned long long size;
};
// Reads "name, size" lines (the [Files] lines of a setup.inf).
bool ReadPayloadList(const std::string& path, std::vector<PayloadFile>* files);

} // namespace bench

#endif

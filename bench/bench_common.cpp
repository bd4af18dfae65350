#include "bench_common.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

double Now()
{
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool ReadPayloadList(const std::string& path, std::vector<PayloadFile>* files)
{
    FILE* list = fopen(path.c_str(), "r");
    if (list == NULL)
        return false;
    char line[512];
    while (fgets(line, sizeof line, list) != NULL) {
        char* comma = strchr(line, ',');
        if (comma == NULL)
            continue;
        *comma = '\0';
        files->push_back(PayloadFile{ line, strtoull(comma + 1, NULL, 10) });
    }
    fclose(list);
    return !files->empty();
}

} // namespace bench

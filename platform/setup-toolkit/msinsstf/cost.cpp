// Disk cost of the copy list, per destination drive. Each file takes its
// size rounded up to the drive's cluster size, less what an existing file of
// the same name takes already (never below nothing per file). Every
// destination directory is listed once, not queried file by file.
#include "internal.h"
#include "setuptk.h"

#include <climits>
#include <new>
#include <unordered_map>

namespace {

struct DriveFigures {
    unsigned long long cost;    // bytes the copy adds
    unsigned long long extra;   // room a replaced file needs while both copies exist
    bool used;
};

unsigned long long RoundUp(unsigned long long size, unsigned long long cluster)
{
    if (cluster <= 1 || size == 0)
        return size;
    unsigned long long rest = size % cluster;
    return rest == 0 ? size : size + (cluster - rest);
}

// Drive index 0..25 of a path "X:...", or -1 (a UNC path, for one).
int DriveIndex(const std::string& path)
{
    if (path.size() < 2 || path[1] != ':')
        return -1;
    char letter = path[0];
    if (letter >= 'a' && letter <= 'z')
        return letter - 'a';
    if (letter >= 'A' && letter <= 'Z')
        return letter - 'A';
    return -1;
}

unsigned long long ClusterSize(int drive)
{
    char root[4] = { static_cast<char>('A' + drive), ':', '\\', '\0' };
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return 1;   // an unknown drive: sizes are counted as they are
    unsigned long long cluster = static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
    return cluster == 0 ? 1 : cluster;
}

unsigned long long FreeBytes(int drive)
{
    char root[4] = { static_cast<char>('A' + drive), ':', '\\', '\0' };
    ULARGE_INTEGER available, total, totalFree;
    if (!GetDiskFreeSpaceExA(root, &available, &total, &totalFree))
        return 0;
    return available.QuadPart;
}

typedef std::unordered_map<std::string, unsigned long long> ExistingFiles;

// Sizes of the files already in a directory, by upper-case name.
void ListExisting(const std::string& dir, ExistingFiles* files)
{
    if (dir.size() + 1 >= MAX_PATH)
        return;
    std::string pattern = dir + "*";
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, NULL,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        unsigned long long size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        files->emplace(UpperName(found.cFileName, lstrlenA(found.cFileName)), size);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

void CountCosts(DriveFigures drives[26], unsigned long long* total)
{
    const std::vector<CopyDirs>& dirs = CopyListDirs();
    // One listing per distinct destination directory.
    std::vector<int> listingOf(dirs.size(), -1);
    std::vector<ExistingFiles> listings;
    for (size_t i = 0; i < dirs.size(); ++i) {
        for (size_t j = 0; j < i; ++j)
            if (dirs[j].destUpper == dirs[i].destUpper) {
                listingOf[i] = listingOf[j];
                break;
            }
        if (listingOf[i] < 0) {
            listings.emplace_back();
            ListExisting(dirs[i].dest, &listings.back());
            listingOf[i] = static_cast<int>(listings.size() - 1);
        }
    }
    unsigned long long cluster[26] = {};
    *total = 0;
    for (const CopyItem& item : CopyListItems()) {
        const CopyDirs& pair = dirs[item.dirs];
        int drive = DriveIndex(pair.dest);
        unsigned long long unit = 1;
        if (drive >= 0) {
            if (cluster[drive] == 0)
                cluster[drive] = ClusterSize(drive);
            unit = cluster[drive];
        }
        unsigned long long needed = RoundUp(item.size, unit);
        unsigned long long existing = 0;
        const ExistingFiles& listing = listings[static_cast<size_t>(listingOf[item.dirs])];
        auto found = listing.find(item.upper);
        // An earlier version kept aside until the copy is final holds its room.
        if (found != listing.end() && !CopyKeepsEarlierVersions())
            existing = RoundUp(found->second, unit);
        unsigned long long cost = needed > existing ? needed - existing : 0;
        *total += cost;
        if (drive < 0)
            continue;
        drives[drive].used = true;
        drives[drive].cost += cost;
        if (existing > drives[drive].extra)
            drives[drive].extra = existing;
    }
}

bool FillList(LPCSTR list, const unsigned long long values[26])
{
    FRemoveSymbol(list);
    for (int drive = 0; drive < 26; ++drive) {
        char text[24];
        FormatCount(values[drive], text, sizeof text);
        if (!FAddListItem(list, text))
            return false;
    }
    return true;
}

bool ValidListName(LPCSTR name)
{
    return name != NULL && name[0] != '\0';
}

} // namespace

extern "C" TK_INS LONG WINAPI LcbGetCopyListCost(LPCSTR extrasList, LPCSTR costsList, LPCSTR neededList)
{
    if (!ValidListName(extrasList) || !ValidListName(costsList) || !ValidListName(neededList)) {
        LogLine("The copy list cost needs three list names.");
        return -1;
    }
    DriveFigures drives[26] = {};
    unsigned long long total = 0;
    try {
        CountCosts(drives, &total);
    } catch (const std::bad_alloc&) {
        LogLine("Not enough memory to compute the cost of the copy list.");
        return -1;
    }
    unsigned long long extras[26], costs[26], needed[26];
    for (int drive = 0; drive < 26; ++drive) {
        extras[drive] = drives[drive].extra;
        costs[drive] = drives[drive].cost;
        needed[drive] = 0;
        unsigned long long wanted = drives[drive].cost + drives[drive].extra;
        if (drives[drive].used && wanted > 0) {
            unsigned long long available = FreeBytes(drive);
            needed[drive] = wanted > available ? wanted - available : 0;
        }
    }
    if (!FillList(extrasList, extras) || !FillList(costsList, costs) || !FillList(neededList, needed)) {
        LogLine("Cannot store the copy list cost in the lists %s, %s and %s.", extrasList, costsList, neededList);
        return -1;
    }
    return total > static_cast<unsigned long long>(LONG_MAX) ? LONG_MAX : static_cast<LONG>(total);
}

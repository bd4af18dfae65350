// The copy list: files of .inf sections with their source and destination
// directories. A file that is added twice for the same destination keeps
// its last entry, so adding a section again does not double its cost.
#include "internal.h"
#include "setuptk.h"

#include <cstring>
#include <new>
#include <unordered_map>

namespace {

std::vector<CopyDirs> g_dirs;
std::vector<CopyItem> g_items;
// Per destination directory (index into g_destNames): upper-case name -> item.
std::vector<std::unordered_map<std::string, size_t>> g_destNames;
std::vector<std::string> g_destKeys;     // upper-case destination of each map
int g_copyMode = 1;

// The directory with exactly one trailing backslash, or false when it is
// missing or leaves no room for a file name.
bool NormaliseDir(const char* dir, std::string* out)
{
    if (dir == NULL || dir[0] == '\0')
        return false;
    size_t length = std::strlen(dir);
    if (length >= MAX_PATH - 1)
        return false;
    out->assign(dir, length);
    if (!EndsInBackslash(dir))
        out->push_back('\\');
    return true;
}

size_t DestIndex(const std::string& destUpper)
{
    for (size_t i = 0; i < g_destKeys.size(); ++i)
        if (g_destKeys[i] == destUpper)
            return i;
    g_destKeys.push_back(destUpper);
    g_destNames.emplace_back();
    return g_destKeys.size() - 1;
}

unsigned DirsIndex(const std::string& source, const std::string& dest, const std::string& destUpper)
{
    for (size_t i = 0; i < g_dirs.size(); ++i)
        if (g_dirs[i].destUpper == destUpper && lstrcmpiA(g_dirs[i].source.c_str(), source.c_str()) == 0)
            return static_cast<unsigned>(i);
    g_dirs.push_back(CopyDirs{ source, dest, destUpper });
    return static_cast<unsigned>(g_dirs.size() - 1);
}

bool AddSection(const InfDocument& inf, const InfSection& section, const std::string& source,
                const std::string& dest)
{
    std::string destUpper = UpperName(dest.data(), dest.size());
    unsigned dirs = DirsIndex(source, dest, destUpper);
    std::unordered_map<std::string, size_t>& names = g_destNames[DestIndex(destUpper)];
    size_t longestDir = source.size() > dest.size() ? source.size() : dest.size();
    g_items.reserve(g_items.size() + section.files.size());
    for (const InfFileEntry& file : section.files) {
        if (longestDir + file.name.size() >= MAX_PATH) {
            LogLine("%s, section [%s]: the path of %s in %s is longer than %d characters.", inf.path.c_str(),
                    section.name.c_str(), file.name.c_str(), dest.c_str(), MAX_PATH - 1);
            return false;
        }
        CopyItem item{ dirs, file.name, UpperName(file.name.data(), file.name.size()), file.size };
        auto found = names.find(item.upper);
        if (found != names.end()) {
            g_items[found->second] = std::move(item);
            continue;
        }
        names.emplace(item.upper, g_items.size());
        g_items.push_back(std::move(item));
    }
    return true;
}

} // namespace

const std::vector<CopyDirs>& CopyListDirs()
{
    return g_dirs;
}

const std::vector<CopyItem>& CopyListItems()
{
    return g_items;
}

void ClearCopyList()
{
    g_dirs.clear();
    g_items.clear();
    g_destNames.clear();
    g_destKeys.clear();
}

int CopyMode()
{
    return g_copyMode;
}

extern "C" {

TK_INS VOID WINAPI ResetCopyList(void)
{
    ClearCopyList();
}

TK_INS VOID WINAPI SetCopyMode(int mode)
{
    g_copyMode = mode;
}

TK_INS BOOL WINAPI FAddSectionFilesToCopyList(LPCSTR section, LPCSTR sourceDir, LPCSTR destDir)
{
    const InfDocument* inf = OpenInf();
    if (inf == NULL) {
        LogLine("Cannot add section [%s] to the copy list: no setup information file is open.",
                section != NULL ? section : "");
        return FALSE;
    }
    if (section == NULL || section[0] == '\0') {
        LogLine("%s: no section was named for the copy list.", inf->path.c_str());
        return FALSE;
    }
    const InfSection* found = FindInfSection(*inf, section);
    if (found == NULL) {
        LogLine("%s: the section [%s] is missing.", inf->path.c_str(), section);
        return FALSE;
    }
    if (!found->fileList) {
        LogLine("%s: the section [%s] is not a list of files.", inf->path.c_str(), section);
        return FALSE;
    }
    std::string source, dest;
    if (!NormaliseDir(sourceDir, &source) || !NormaliseDir(destDir, &dest)) {
        LogLine("%s, section [%s]: the source or destination directory is empty or too long.",
                inf->path.c_str(), section);
        return FALSE;
    }
    try {
        return AddSection(*inf, *found, source, dest);
    } catch (const std::bad_alloc&) {
        LogLine("Not enough memory for the copy list of section [%s].", section);
        return FALSE;
    }
}

TK_INS LONGLONG WINAPI LcbGetCopyListSize(void)
{
    unsigned long long total = 0;
    for (const CopyItem& item : g_items)
        total += item.size;
    return total > 0x7FFFFFFFFFFFFFFFULL ? 0x7FFFFFFFFFFFFFFFLL : static_cast<LONGLONG>(total);
}

} // extern "C"

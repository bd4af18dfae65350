// Program Manager groups and items, kept as they are on Windows NT 4 and
// later: a group is a folder of the all-users Start Menu "Programs" folder,
// an item a shortcut (.lnk) in it.
#include "internal.h"
#include "setuptk.h"

#include <objbase.h>
#include <shlobj.h>
#include <cstring>

namespace {

const size_t kMaxName = 200;

// Group and item names become file names: no separators or reserved characters.
bool IsUsableName(const char* name, size_t length)
{
    return IsPlainFileName(name, length, kMaxName);
}

bool GroupFolder(const char* group, std::string* folder)
{
    if (group == NULL || !IsUsableName(group, std::strlen(group))) {
        LogLine("The Program Manager group name \"%s\" cannot be used as a folder name.", group ? group : "");
        return false;
    }
    char programs[MAX_PATH];
    HRESULT hr = SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT,
                                  programs);
    if (FAILED(hr)) {
        LogLine("The all-users Programs folder cannot be found (error 0x%08lX).", static_cast<unsigned long>(hr));
        return false;
    }
    folder->assign(programs);
    if (!EndsInBackslash(programs))
        folder->push_back('\\');
    folder->append(group);
    if (folder->size() >= MAX_PATH - 1) {
        LogLine("The folder of the Program Manager group \"%s\" would be too long.", group);
        return false;
    }
    return true;
}

bool EnsureFolder(const std::string& folder)
{
    if (CreateDirectoryA(folder.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    LogLine("Cannot create the Program Manager group folder %s (error %lu).", folder.c_str(),
            static_cast<unsigned long>(GetLastError()));
    return false;
}

// An item text may carry ",icon file" after the name.
struct ItemText {
    std::string name;
    std::string icon;
};

bool SplitItemText(const char* text, ItemText* item)
{
    if (text == NULL)
        return false;
    const char* comma = NULL;
    for (const char* p = text; *p != '\0'; p = CharNextA(p))
        if (*p == ',') {
            comma = p;
            break;
        }
    size_t length = comma != NULL ? static_cast<size_t>(comma - text) : std::strlen(text);
    while (length > 0 && text[length - 1] == ' ')
        --length;
    item->name.assign(text, length);
    item->icon = comma != NULL ? comma + 1 : "";
    return IsUsableName(item->name.data(), item->name.size());
}

bool ShortcutPath(const char* group, const char* itemText, std::string* path, std::string* folder, ItemText* item)
{
    if (!GroupFolder(group, folder))
        return false;
    if (!SplitItemText(itemText, item)) {
        LogLine("The Program Manager item name \"%s\" cannot be used as a file name.", itemText ? itemText : "");
        return false;
    }
    *path = *folder + "\\" + item->name + ".lnk";
    if (path->size() >= MAX_PATH) {
        LogLine("The shortcut path for \"%s\" would be too long.", item->name.c_str());
        return false;
    }
    return true;
}

// A command is a program path, in quotation marks when it holds blanks,
// optionally followed by arguments.
void SplitCommand(const char* command, std::string* target, std::string* arguments)
{
    while (*command == ' ')
        ++command;
    if (*command == '"') {
        const char* close = std::strchr(command + 1, '"');
        if (close != NULL) {
            target->assign(command + 1, static_cast<size_t>(close - command - 1));
            const char* rest = close + 1;
            while (*rest == ' ')
                ++rest;
            arguments->assign(rest);
            return;
        }
        ++command;
    }
    target->assign(command);
    arguments->clear();
}

std::string DirectoryOf(const std::string& path)
{
    const char* text = path.c_str();
    const char* last = NULL;
    for (const char* p = text; *p != '\0'; p = CharNextA(p))
        if (*p == '\\')
            last = p;
    return last != NULL ? std::string(text, static_cast<size_t>(last - text)) : std::string();
}

bool ToWide(const std::string& text, WCHAR* wide, int size)
{
    return MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, size) > 0;
}

HRESULT SaveShortcut(const std::string& path, const std::string& target, const std::string& arguments,
                     const std::string& icon)
{
    IShellLinkA* link = NULL;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link));
    if (FAILED(hr))
        return hr;
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    link->SetWorkingDirectory(DirectoryOf(target).c_str());
    link->SetShowCmd(SW_SHOWNORMAL);
    if (!icon.empty())
        link->SetIconLocation(icon.c_str(), 0);
    IPersistFile* file = NULL;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) {
        WCHAR widePath[MAX_PATH];
        hr = ToWide(path, widePath, MAX_PATH) ? file->Save(widePath, TRUE) : E_INVALIDARG;
        file->Release();
    }
    link->Release();
    return hr;
}

// Whether the folder holds nothing but "." and "..".
bool FolderIsEmpty(const std::string& folder)
{
    std::string pattern = folder + "\\*";
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool empty = true;
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            empty = false;
    } while (empty && FindNextFileA(find, &found));
    FindClose(find);
    return empty;
}

bool FolderExists(const std::string& folder)
{
    DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

extern "C" {

TK_INS BOOL WINAPI FCreateProgManGroup(LPCSTR group, LPCSTR text, int mode)
{
    std::string folder;
    return GroupFolder(group, &folder) && EnsureFolder(folder);
}

TK_INS BOOL WINAPI FShowProgManGroup(LPCSTR group, LPCSTR command, int mode)
{
    std::string folder;
    return GroupFolder(group, &folder) && FolderExists(folder);
}

TK_INS BOOL WINAPI FCreateProgManItem(LPCSTR group, LPCSTR item, LPCSTR command, int mode)
{
    std::string path, folder;
    ItemText text;
    if (command == NULL || command[0] == '\0') {
        LogLine("The Program Manager item \"%s\" has no command.", item ? item : "");
        return FALSE;
    }
    if (!ShortcutPath(group, item, &path, &folder, &text) || !EnsureFolder(folder))
        return FALSE;
    std::string target, arguments;
    SplitCommand(command, &target, &arguments);
    HRESULT init = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    HRESULT hr = SaveShortcut(path, target, arguments, text.icon);
    if (SUCCEEDED(init))
        CoUninitialize();
    if (FAILED(hr)) {
        LogLine("Cannot create the shortcut %s for %s (error 0x%08lX).", path.c_str(), command,
                static_cast<unsigned long>(hr));
        return FALSE;
    }
    return TRUE;
}

TK_INS BOOL WINAPI FRemoveProgManItem(LPCSTR group, LPCSTR item, LPCSTR command)
{
    std::string path, folder;
    ItemText text;
    if (!ShortcutPath(group, item, &path, &folder, &text))
        return FALSE;
    if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND
        && GetLastError() != ERROR_PATH_NOT_FOUND) {
        LogLine("Cannot delete the shortcut %s (error %lu).", path.c_str(), static_cast<unsigned long>(GetLastError()));
        return FALSE;
    }
    if (FolderExists(folder) && FolderIsEmpty(folder))
        RemoveDirectoryA(folder.c_str());
    return TRUE;
}

} // extern "C"

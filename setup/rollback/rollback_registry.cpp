// The record's registry pieces: a whole key (values, subkeys, class and
// access list), one value, and a small file's bytes, each noted under a name
// of the record and put back from there.
#include <shlwapi.h>

#include <vector>

#include "setup/rollback/rollback.h"

static const DWORD kLargestFile = 1024 * 1024;

DWORD ReadRecordNumber(HKEY record, LPCSTR name)
{
    DWORD number = 0, size = sizeof(number);
    if (RegGetValueA(record, NULL, name, RRF_RT_REG_DWORD, NULL, &number, &size) != ERROR_SUCCESS)
        return 0;
    return number;
}

void WriteRecordNumber(HKEY record, LPCSTR name, DWORD number)
{
    RegSetValueExA(record, name, 0, REG_DWORD, (const BYTE *)&number, sizeof(number));
}

// "name" + suffix, cut to the registry's longest value name.
static void NameWith(LPCSTR name, LPCSTR suffix, LPSTR out, int size)
{
    wnsprintfA(out, size, "%s.%s", name, suffix);
    out[size - 1] = '\0';
}

static void WriteRecordBytes(HKEY record, LPCSTR name, const std::vector<BYTE> &bytes)
{
    RegSetValueExA(record, name, 0, REG_BINARY, bytes.empty() ? NULL : bytes.data(), (DWORD)bytes.size());
}

static std::vector<BYTE> ReadRecordBytes(HKEY record, LPCSTR name)
{
    DWORD size = 0;
    if (RegQueryValueExA(record, name, NULL, NULL, NULL, &size) != ERROR_SUCCESS)
        return std::vector<BYTE>();
    std::vector<BYTE> bytes(size);
    if (size && RegQueryValueExA(record, name, NULL, NULL, bytes.data(), &size) != ERROR_SUCCESS)
        bytes.clear();
    bytes.resize(size);
    return bytes;
}

void RecordKey(HKEY record, LPCSTR name, LPCSTR keyPath)
{
    char copyName[128], securityName[128], className[128];
    NameWith(name, "copy", copyName, sizeof(copyName));
    NameWith(name, "security", securityName, sizeof(securityName));
    NameWith(name, "class", className, sizeof(className));
    HKEY key;
    RegDeleteTreeA(record, copyName);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ | READ_CONTROL, &key) != ERROR_SUCCESS) {
        WriteRecordNumber(record, name, 0);
        return;
    }
    HKEY copy;
    if (RegCreateKeyExA(record, copyName, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &copy, NULL) == ERROR_SUCCESS) {
        RegCopyTreeA(key, NULL, copy);
        RegCloseKey(copy);
    }
    char keyClass[256] = "";
    DWORD classLength = sizeof(keyClass);
    RegQueryInfoKeyA(key, keyClass, &classLength, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    RegSetValueExA(record, className, 0, REG_SZ, (const BYTE *)keyClass, (DWORD)lstrlenA(keyClass) + 1);
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, NULL, &size);
    std::vector<BYTE> security(size);
    if (size == 0 || RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, security.data(), &size) != ERROR_SUCCESS)
        security.clear();
    WriteRecordBytes(record, securityName, security);
    RegCloseKey(key);
    WriteRecordNumber(record, name, 1);
}

void RestoreKey(HKEY record, LPCSTR name, LPCSTR keyPath)
{
    char copyName[128], securityName[128], className[128];
    NameWith(name, "copy", copyName, sizeof(copyName));
    NameWith(name, "security", securityName, sizeof(securityName));
    NameWith(name, "class", className, sizeof(className));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyPath);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
    if (!ReadRecordNumber(record, name))
        return;
    char keyClass[256] = "";
    DWORD classSize = sizeof(keyClass);
    RegGetValueA(record, NULL, className, RRF_RT_REG_SZ, NULL, keyClass, &classSize);
    // Made with its list before any value is copied back: a password in it
    // is never open to others.
    std::vector<BYTE> security = ReadRecordBytes(record, securityName);
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), security.empty() ? NULL : security.data(), FALSE};
    HKEY key, copy;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, keyClass, 0, KEY_ALL_ACCESS, &attributes, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    if (!security.empty()) {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(security.data(), &control, &revision);
        SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
        if (control & SE_DACL_PROTECTED)
            what |= PROTECTED_DACL_SECURITY_INFORMATION;
        RegSetKeySecurity(key, what, security.data());
    }
    if (RegOpenKeyExA(record, copyName, 0, KEY_READ, &copy) == ERROR_SUCCESS) {
        RegCopyTreeA(copy, NULL, key);
        RegCloseKey(copy);
    }
    RegCloseKey(key);
}

void RecordValue(HKEY record, LPCSTR name, LPCSTR keyPath, LPCSTR valueName)
{
    char dataName[128], typeName[128];
    NameWith(name, "data", dataName, sizeof(dataName));
    NameWith(name, "type", typeName, sizeof(typeName));
    DWORD type = 0, size = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, keyPath, valueName, RRF_RT_ANY | RRF_NOEXPAND, &type, NULL, &size) !=
        ERROR_SUCCESS) {
        WriteRecordNumber(record, name, 0);
        return;
    }
    std::vector<BYTE> data(size);
    RegGetValueA(HKEY_LOCAL_MACHINE, keyPath, valueName, RRF_RT_ANY | RRF_NOEXPAND, &type,
                 size ? data.data() : NULL, &size);
    data.resize(size);
    WriteRecordBytes(record, dataName, data);
    WriteRecordNumber(record, typeName, type);
    WriteRecordNumber(record, name, 1);
}

void RestoreValue(HKEY record, LPCSTR name, LPCSTR keyPath, LPCSTR valueName)
{
    char dataName[128], typeName[128];
    NameWith(name, "data", dataName, sizeof(dataName));
    NameWith(name, "type", typeName, sizeof(typeName));
    HKEY key;
    if (!ReadRecordNumber(record, name)) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, valueName);
            RegCloseKey(key);
        }
        return;
    }
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    std::vector<BYTE> data = ReadRecordBytes(record, dataName);
    RegSetValueExA(key, valueName, 0, ReadRecordNumber(record, typeName), data.empty() ? NULL : data.data(),
                   (DWORD)data.size());
    RegCloseKey(key);
}

void RecordFileBytes(HKEY record, LPCSTR name, LPCSTR path)
{
    char dataName[128];
    NameWith(name, "data", dataName, sizeof(dataName));
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD size = file != INVALID_HANDLE_VALUE ? GetFileSize(file, NULL) : 0;
    std::vector<BYTE> bytes(size <= kLargestFile ? size : 0);
    DWORD got = 0;
    bool read = file != INVALID_HANDLE_VALUE && size <= kLargestFile &&
                (size == 0 || (ReadFile(file, bytes.data(), size, &got, NULL) && got == size));
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (read) {
        WriteRecordBytes(record, dataName, bytes);
        WIN32_FILE_ATTRIBUTE_DATA facts;
        std::vector<BYTE> time(sizeof(FILETIME));
        if (GetFileAttributesExA(path, GetFileExInfoStandard, &facts))
            CopyMemory(time.data(), &facts.ftLastWriteTime, sizeof(FILETIME));
        NameWith(name, "time", dataName, sizeof(dataName));
        WriteRecordBytes(record, dataName, time);
    }
    WriteRecordNumber(record, name, read ? 1 : 0);
}

void RestoreFileBytes(HKEY record, LPCSTR name, LPCSTR path)
{
    char dataName[128];
    NameWith(name, "data", dataName, sizeof(dataName));
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (!ReadRecordNumber(record, name)) {
        DeleteFileA(path);
        return;
    }
    std::vector<BYTE> bytes = ReadRecordBytes(record, dataName);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    NameWith(name, "time", dataName, sizeof(dataName));
    std::vector<BYTE> time = ReadRecordBytes(record, dataName);
    if (time.size() == sizeof(FILETIME))
        SetFileTime(file, NULL, NULL, (const FILETIME *)time.data());
    CloseHandle(file);
}

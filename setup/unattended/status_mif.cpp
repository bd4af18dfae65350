#include <shlwapi.h>

#include "setup/agent_rules/agent_rules.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"
#include "setup/toolkit/toolkit.h"
#include "setup/unattended/unattended.h"

static const char MifHeader[] =
    "START COMPONENT\r\n"
    "NAME = \"WORKSTATION\"\r\n"
    "START GROUP\r\n"
    "NAME = \"ComponentID\"\r\n"
    "ID = 1\r\n"
    "CLASS = \"DMTF|ComponentID|1.0\"\r\n"
    "START ATTRIBUTE\r\n"
    "NAME = \"Manufacturer\"\r\n"
    "ID = 1\r\n"
    "ACCESS = READ-ONLY\r\n"
    "STORAGE = SPECIFIC\r\n"
    "TYPE = STRING(100)\r\n"
    "VALUE = \"" PRODUCT_PUBLISHER "\"\r\n"
    "END ATTRIBUTE\r\n"
    "START ATTRIBUTE\r\n"
    "NAME = \"Product\"\r\n"
    "ID = 2\r\n"
    "ACCESS = READ-ONLY\r\n"
    "STORAGE = SPECIFIC\r\n"
    "TYPE = STRING(100)\r\n"
    "VALUE = \"%s\"\r\n"
    "END ATTRIBUTE\r\n"
    "START ATTRIBUTE\r\n"
    "NAME = \"Version\"\r\n"
    "ID = 3\r\n"
    "ACCESS = READ-ONLY\r\n"
    "STORAGE = SPECIFIC\r\n"
    "TYPE = STRING(15)\r\n"
    "VALUE = \"%s\"\r\n"
    "END ATTRIBUTE\r\n";

static const char MifStatus[] =
    "START ATTRIBUTE\r\n"
    "NAME = \"Serial Number\"\r\n"
    "ID = 4\r\n"
    "ACCESS = READ-ONLY\r\n"
    "STORAGE = SPECIFIC\r\n"
    "TYPE = STRING(100)\r\n"
    "VALUE = \"%s\"\r\n"
    "END ATTRIBUTE\r\n"
    "START ATTRIBUTE\r\n"
    "NAME = \"Installation\"\r\n"
    "ID = 5\r\n"
    "ACCESS = READ-ONLY\r\n"
    "STORAGE = SPECIFIC\r\n"
    "TYPE = STRING(100)\r\n"
    "VALUE = \"%s %s\"\r\n"
    "END ATTRIBUTE\r\n"
    "END GROUP\r\n"
    "START GROUP\r\n"
    "NAME = \"InstallStatus\"\r\n"
    "ID = 2\r\n"
    "CLASS = \"MICROSOFT|JOBSTATUS|1.0\"\r\n"
    "START ATTRIBUTE\r\n"
    "NAME = \"Status\"\r\n"
    "ID = 1\r\n"
    "ACCESS = READ-ONLY\r\n"
    "STORAGE = SPECIFIC\r\n"
    "TYPE = STRING(100)\r\n"
    "VALUE = \"%s\"\r\n"
    "END ATTRIBUTE\r\n"
    "START ATTRIBUTE\r\n"
    "NAME = \"Description\"\r\n"
    "ID = 2\r\n"
    "ACCESS = READ-ONLY\r\n"
    "STORAGE = SPECIFIC\r\n"
    "TYPE = STRING(255)\r\n"
    "VALUE = \"%s\"\r\n"
    "END ATTRIBUTE\r\n"
    "END GROUP\r\n"
    "END COMPONENT\r\n";

static HANDLE OpenMifFile(DWORD disposition)
{
    char windowsDir[261];
    UINT length = GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
    if (length == 0 || length >= sizeof(windowsDir))
        return INVALID_HANDLE_VALUE;
    char path[sizeof(windowsDir) + sizeof(MIF_FILE_NAME)];
    JoinPath(path, sizeof(path), windowsDir, MIF_FILE_NAME);
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, disposition, FILE_ATTRIBUTE_NORMAL,
                       NULL);
}

static void WriteText(HANDLE file, LPCSTR text)
{
    DWORD written;
    WriteFile(file, text, (DWORD)lstrlenA(text), &written, NULL);
}

// The file and a formatting buffer, both or neither.
struct MifWriter {
    HANDLE file;
    char *buffer;
};

static bool OpenMifWriter(DWORD disposition, MifWriter *writer)
{
    writer->file = OpenMifFile(disposition);
    if (writer->file == INVALID_HANDLE_VALUE)
        return false;
    writer->buffer = (char *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, MIF_BUFFER_SIZE);
    if (!writer->buffer) {
        CloseHandle(writer->file);
        return false;
    }
    return true;
}

static void CloseMifWriter(MifWriter *writer)
{
    WriteText(writer->file, writer->buffer);
    HeapFree(GetProcessHeap(), 0, writer->buffer);
    CloseHandle(writer->file);
}

bool CreateStatusMif(void)
{
    MifWriter writer;
    if (!OpenMifWriter(CREATE_ALWAYS, &writer))
        return false;
    wnsprintfA(writer.buffer, MIF_BUFFER_SIZE, MifHeader, PRODUCT_NAME, PRODUCT_VERSION);
    CloseMifWriter(&writer);
    SetupState.StatusMifCreated = 1;
    return true;
}

// A value stands between quotation marks on one line: a quotation mark or a
// line break inside would end it early. Whole characters only, and no more
// than the attribute holds.
static void MifValueText(LPCSTR text, LPSTR value, int size)
{
    int length = 0;
    for (LPCSTR p = text; *p; p = CharNextA(p)) {
        int width = (int)(CharNextA(p) - p);
        if (length + width >= size)
            break;
        for (int i = 0; i < width; i++) {
            char c = p[i];
            if (width == 1 && c == '"')
                c = '\'';
            else if (width == 1 && (unsigned char)c < ' ')
                c = ' ';
            value[length++] = c;
        }
    }
    value[length] = '\0';
}

bool AppendMifStatus(int success, LPCSTR description)
{
    // Only into the file this run made: a run refused by the instance check
    // must not write into the running run's.
    if (!(SetupState.RunFlags & RF_SMS))
        return true;
    if (!SetupState.StatusMifCreated)
        return false;
    MifWriter writer;
    if (!OpenMifWriter(OPEN_EXISTING, &writer))
        return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[16], time[16];
    wnsprintfA(date, sizeof(date), "%02d/%02d/%02d", now.wMonth, now.wDay, now.wYear % 100);
    wnsprintfA(time, sizeof(time), "%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
    char value[MIF_DESCRIPTION_SIZE];
    MifValueText(description ? description : "", value, sizeof(value));
    wnsprintfA(writer.buffer, MIF_BUFFER_SIZE, MifStatus, "", date, time, success ? "Success" : "Failed", value);
    SetFilePointer(writer.file, 0, NULL, FILE_END);
    CloseMifWriter(&writer);
    return true;
}

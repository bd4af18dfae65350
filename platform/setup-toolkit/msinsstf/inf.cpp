// The .inf reader. The format is written down in INF-FORMAT.md beside the
// toolkit's header; every refusal names the file and the line.
#include "internal.h"
#include "setuptk.h"

#include <cstring>
#include <new>

namespace {

const size_t kMaxLineLength = 511;
const size_t kMaxSectionName = 255;
const size_t kMaxFileName = MAX_PATH - 1;
const DWORD kMaxInfSize = 64u * 1024u * 1024u;
const int kMaxFields = 8;

InfDocument g_document;
bool g_documentOpen = false;

struct Field {
    const char* text;
    size_t length;
};

struct LineFields {
    Field field[kMaxFields];
    int count;
    int equalsAfter;            // fields before the '=', or -1 without one
    char scratch[kMaxLineLength + 1];   // unquoted copies of quoted fields
};

// Where a refusal happened, for the log line.
struct Position {
    const char* path;
    unsigned line;
};

bool Refuse(const Position& at, const char* what, const char* detail = "")
{
    LogLine("%s, line %u: %s%s", at.path, at.line, what, detail);
    return false;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsLead(char c)
{
    return IsDBCSLeadByte(static_cast<unsigned char>(c)) != FALSE;
}

bool ReadWholeFile(const char* path, std::string* text)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    char reason[256];
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        DescribeError(error, reason, sizeof reason);
        LogLine("Cannot open the setup information file %s: %s (error %lu).", path, reason,
                static_cast<unsigned long>(error));
        return false;
    }
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) != FALSE;
    if (ok && size.QuadPart > kMaxInfSize) {
        LogLine("The setup information file %s is larger than %lu bytes.", path,
                static_cast<unsigned long>(kMaxInfSize));
        CloseHandle(file);
        return false;
    }
    DWORD read = 0;
    if (ok) {
        text->resize(static_cast<size_t>(size.QuadPart));
        ok = size.QuadPart == 0 || (ReadFile(file, &(*text)[0], static_cast<DWORD>(size.QuadPart), &read, NULL)
                                    && read == static_cast<DWORD>(size.QuadPart));
    }
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok) {
        DescribeError(error, reason, sizeof reason);
        LogLine("Cannot read the setup information file %s: %s (error %lu).", path, reason,
                static_cast<unsigned long>(error));
    }
    return ok;
}

// A quoted field: "" stands for one quotation mark. p is on the opening quote.
bool TakeQuoted(const char*& p, const char* end, LineFields* fields, size_t* used, Field* out)
{
    char* copy = fields->scratch + *used;
    size_t n = 0;
    ++p;
    for (;;) {
        if (p == end)
            return false;
        if (*p == '"') {
            if (p + 1 < end && p[1] == '"') {
                copy[n++] = '"';
                p += 2;
                continue;
            }
            ++p;
            break;
        }
        copy[n++] = *p++;
    }
    out->text = copy;
    out->length = n;
    *used += n;
    return true;
}

// A plain field runs to the next ',', '=' or ';', blanks around it dropped.
void TakePlain(const char*& p, const char* end, Field* out)
{
    const char* start = p;
    const char* lastNonBlank = p;
    while (p < end && *p != ',' && *p != '=' && *p != ';') {
        if (IsLead(*p) && p + 1 < end) {
            p += 2;
            lastNonBlank = p;
            continue;
        }
        if (!IsBlank(*p))
            lastNonBlank = p + 1;
        ++p;
    }
    out->text = start;
    out->length = static_cast<size_t>(lastNonBlank - start);
}

// Splits a content line into fields. Answers an error text, or NULL.
const char* SplitFields(const char* p, const char* end, LineFields* fields)
{
    fields->count = 0;
    fields->equalsAfter = -1;
    size_t used = 0;
    for (;;) {
        while (p < end && IsBlank(*p))
            ++p;
        if (fields->count == kMaxFields)
            return "the line has too many fields";
        Field& field = fields->field[fields->count];
        if (p < end && *p == '"') {
            if (!TakeQuoted(p, end, fields, &used, &field))
                return "a quotation mark is not closed";
            while (p < end && IsBlank(*p))
                ++p;
            if (p < end && *p != ',' && *p != '=' && *p != ';')
                return "text follows a closing quotation mark";
        } else {
            TakePlain(p, end, &field);
        }
        ++fields->count;
        if (p == end || *p == ';')
            return NULL;
        if (*p == '=') {
            if (fields->equalsAfter >= 0)
                return "the line has more than one equals sign";
            fields->equalsAfter = fields->count;
        }
        ++p;
    }
}

bool IsValidFileName(const Field& name)
{
    return IsPlainFileName(name.text, name.length, kMaxFileName);
}

bool ParseSize(const Field& text, unsigned long long* size)
{
    if (text.length == 0)
        return false;
    unsigned long long value = 0;
    for (size_t i = 0; i < text.length; ++i) {
        char c = text.text[i];
        if (c < '0' || c > '9')
            return false;
        unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (0x7FFFFFFFFFFFFFFFull - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    *size = value;
    return true;
}

std::string Quoted(const Field& field)
{
    return std::string(field.text, field.length);
}

bool AddFileEntry(const Position& at, const LineFields& fields, InfSection* section)
{
    if (fields.equalsAfter >= 0 || fields.count > 2)
        return Refuse(at, "unknown line; a file entry is written \"name, size in bytes\"");
    const Field& name = fields.field[0];
    if (!IsValidFileName(name))
        return Refuse(at, "not a valid file name: ", Quoted(name).c_str());
    if (fields.count < 2)
        return Refuse(at, "the entry has no size in bytes: ", Quoted(name).c_str());
    unsigned long long size = 0;
    if (!ParseSize(fields.field[1], &size)) {
        std::string detail = Quoted(fields.field[1]) + " (file " + Quoted(name) + ")";
        return Refuse(at, "the size is not a number of bytes: ", detail.c_str());
    }
    section->files.push_back(InfFileEntry{ Quoted(name), size });
    return true;
}

bool CheckValueLine(const Position& at, const LineFields& fields)
{
    if (fields.equalsAfter != 1 || fields.field[0].length == 0)
        return Refuse(at, "unknown line; this section holds lines written \"key = value\"");
    return true;
}

bool OpenSection(const Position& at, const char* p, const char* end, InfDocument* document)
{
    const char* name = p + 1;
    while (name < end && IsBlank(*name))
        ++name;
    // The name ends after its last character that is not a blank; a blank
    // byte that is the second half of a double-byte character belongs to it.
    const char* close = name;
    const char* nameEnd = name;
    while (close < end && *close != ']') {
        size_t step = (IsLead(*close) && close + 1 < end) ? 2 : 1;
        if (step == 2 || !IsBlank(*close))
            nameEnd = close + step;
        close += step;
    }
    if (close >= end)
        return Refuse(at, "the section header has no closing bracket");
    const char* after = close + 1;
    while (after < end && IsBlank(*after))
        ++after;
    if (after < end && *after != ';')
        return Refuse(at, "text follows the section header");
    size_t length = static_cast<size_t>(nameEnd - name);
    if (length == 0)
        return Refuse(at, "the section name is empty");
    if (length > kMaxSectionName)
        return Refuse(at, "the section name is longer than 255 characters");
    InfSection section;
    section.name.assign(name, length);
    section.upper = UpperName(name, length);
    if (FindInfSection(*document, section.name.c_str()) != NULL)
        return Refuse(at, "the section appears a second time: ", section.name.c_str());
    section.fileList = section.upper != "VERSION";
    document->sections.push_back(std::move(section));
    return true;
}

bool HasControlCharacter(const char* p, const char* end)
{
    for (; p < end; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32 && c != '\t')
            return true;
    }
    return false;
}

bool ParseLine(const Position& at, const char* p, const char* end, InfDocument* document, LineFields* fields)
{
    if (static_cast<size_t>(end - p) > kMaxLineLength)
        return Refuse(at, "the line is longer than 511 characters");
    if (HasControlCharacter(p, end))
        return Refuse(at, "the line holds a control character");
    while (p < end && IsBlank(*p))
        ++p;
    if (p == end || *p == ';')
        return true;
    if (*p == '[')
        return OpenSection(at, p, end, document);
    if (document->sections.empty())
        return Refuse(at, "the line stands before any section header");
    const char* error = SplitFields(p, end, fields);
    if (error != NULL)
        return Refuse(at, error);
    InfSection& section = document->sections.back();
    return section.fileList ? AddFileEntry(at, *fields, &section) : CheckValueLine(at, *fields);
}

bool ParseText(const char* path, const std::string& text, InfDocument* document)
{
    const char* p = text.data();
    const char* end = p + text.size();
    if (text.size() >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
        p += 3;     // an editor's byte order mark
    LineFields fields;
    Position at = { path, 0 };
    while (p < end) {
        ++at.line;
        const char* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* lineEnd = newline != NULL ? newline : end;
        const char* contentEnd = (lineEnd > p && lineEnd[-1] == '\r') ? lineEnd - 1 : lineEnd;
        if (!ParseLine(at, p, contentEnd, document, &fields))
            return false;
        p = newline != NULL ? newline + 1 : end;
    }
    return true;
}

} // namespace

bool ParseInfFile(const char* path, InfDocument* document)
{
    std::string text;
    if (!ReadWholeFile(path, &text))
        return false;
    document->path = path;
    document->sections.clear();
    return ParseText(path, text, document);
}

const InfDocument* OpenInf()
{
    return g_documentOpen ? &g_document : NULL;
}

void CloseInf()
{
    g_documentOpen = false;
    InfDocument empty;
    g_document = std::move(empty);
}

const InfSection* FindInfSection(const InfDocument& document, const char* name)
{
    std::string upper = UpperName(name, std::strlen(name));
    for (const InfSection& section : document.sections)
        if (section.upper == upper)
            return &section;
    return NULL;
}

extern "C" TK_INS BOOL WINAPI FOpenInf(LPCSTR path, int mode, int reserved)
{
    CloseInf();
    if (path == NULL || path[0] == '\0') {
        LogLine("No setup information file was named.");
        return FALSE;
    }
    try {
        InfDocument document;
        if (!ParseInfFile(path, &document))
            return FALSE;
        g_document = std::move(document);
        g_documentOpen = true;
        return TRUE;
    } catch (const std::bad_alloc&) {
        LogLine("Not enough memory to read the setup information file %s.", path);
        return FALSE;
    }
}

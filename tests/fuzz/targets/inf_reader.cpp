// The toolkit's .inf reader on any text. A file it accepts keeps what it
// says: every section is found again by its name, every entry is a plain
// file name with a size below 2^63 that stands in the text (with its
// quotation marks doubled, where it was quoted), and the file
// written back in its plain form reads the same. A file it refuses gets one
// log line naming the file and a line of it.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "internal.h"
#include "setuptk.h"

namespace {

const char InfPath[] = "C:\\DIST\\setup.inf";
const char RewrittenPath[] = "C:\\DIST\\again.inf";
std::vector<std::string> g_log;

unsigned LinesOf(const std::string &text)
{
    unsigned lines = 0;
    for (size_t start = 0; start < text.size(); lines++) {
        size_t newline = text.find('\n', start);
        start = newline == std::string::npos ? text.size() : newline + 1;
    }
    return lines;
}

void CheckRefusal(const std::string &text)
{
    FUZZ_CHECK(g_log.size() == 1, "one log line for a refusal, got %zu", g_log.size());
    const std::string &line = g_log[0];
    std::string head = std::string(InfPath) + ", line ";
    FUZZ_CHECK(line.compare(0, head.size(), head) == 0, "the refusal names the file and a line, got \"%s\"",
               line.c_str());
    char *end = nullptr;
    unsigned long number = strtoul(line.c_str() + head.size(), &end, 10);
    FUZZ_CHECK(end && *end == ':' && number >= 1 && number <= LinesOf(text),
               "a line number from 1 to %u, got \"%s\"", LinesOf(text), line.c_str());
}

// A name as a quoted field holds it: "" for each quotation mark.
std::string Quoted(const std::string &name)
{
    std::string quoted;
    for (char c : name)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted;
}

// The plain form: each name in quotation marks.
std::string Rewritten(const InfDocument &document)
{
    std::string text;
    for (const InfSection &section : document.sections) {
        text += "[" + section.name + "]\r\n";
        for (const InfFileEntry &file : section.files)
            text += "\"" + Quoted(file.name) + "\", " + std::to_string(file.size) + "\r\n";
    }
    return text;
}

void CheckSameDocument(const InfDocument &first, const InfDocument &second)
{
    FUZZ_CHECK(first.sections.size() == second.sections.size(), "%zu sections read back, got %zu",
               first.sections.size(), second.sections.size());
    for (size_t i = 0; i < first.sections.size(); i++) {
        const InfSection &a = first.sections[i], &b = second.sections[i];
        FUZZ_CHECK(a.name == b.name, "section [%s] read back, got [%s]", a.name.c_str(), b.name.c_str());
        FUZZ_CHECK(a.files.size() == b.files.size(), "%zu entries of [%s] read back, got %zu", a.files.size(),
                   a.name.c_str(), b.files.size());
        for (size_t j = 0; j < a.files.size(); j++)
            FUZZ_CHECK(a.files[j].name == b.files[j].name && a.files[j].size == b.files[j].size,
                       "entry %s, %llu read back, got %s, %llu", a.files[j].name.c_str(), a.files[j].size,
                       b.files[j].name.c_str(), b.files[j].size);
    }
}

void CheckAccepted(const std::string &text)
{
    const InfDocument *document = OpenInf();
    FUZZ_CHECK(document != nullptr, "an accepted file stays open");
    FUZZ_CHECK(g_log.empty(), "no log line for an accepted file, got \"%s\"", g_log[0].c_str());
    for (const InfSection &section : document->sections) {
        FUZZ_CHECK(FindInfSection(*document, section.name.c_str()) == &section, "section [%s] is found by its name",
                   section.name.c_str());
        FUZZ_CHECK(!section.name.empty() && section.name.size() <= 255, "a name of 1 to 255 characters, got %zu",
                   section.name.size());
        FUZZ_CHECK(section.fileList || section.files.empty(), "[%s] holds no files", section.name.c_str());
        for (const InfFileEntry &file : section.files) {
            FUZZ_CHECK(file.size < (1ull << 63), "a size below 2^63, got %llu", file.size);
            FUZZ_CHECK(IsPlainFileName(file.name.data(), file.name.size(), MAX_PATH - 1),
                       "a plain file name, got \"%s\"", file.name.c_str());
            FUZZ_CHECK(text.find(file.name) != std::string::npos || text.find(Quoted(file.name)) != std::string::npos,
                       "the name \"%s\" stands in the file", file.name.c_str());
        }
    }
    InfDocument first = *document;
    std::string again = Rewritten(first);
    fuzz::SetFile(RewrittenPath, again);
    FUZZ_CHECK(FOpenInf(RewrittenPath, 1, 0), "the plain form is read too: %s", g_log.empty() ? "" : g_log[0].c_str());
    CheckSameDocument(first, *OpenInf());
}

}  // namespace

extern "C" BOOL WINAPI FWriteToLogFile(LPCSTR text, int mode)
{
    g_log.push_back(text);
    return TRUE;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text((const char *)data, size);
    fuzz::ClearFiles();
    fuzz::SetFile(InfPath, text);
    g_log.clear();
    if (FOpenInf(InfPath, 1, 0))
        CheckAccepted(text);
    else {
        FUZZ_CHECK(OpenInf() == nullptr, "a refused file is not left open");
        CheckRefusal(text);
    }
    return 0;
}

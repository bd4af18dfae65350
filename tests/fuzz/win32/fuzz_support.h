/* What the fuzz targets share: the files and registry of the stand-in, and
 * a check that stops the run with its message when a property fails. */
#ifndef FUZZ_SUPPORT_H
#define FUZZ_SUPPORT_H

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace fuzz {

// Fails the run (libFuzzer keeps the input) with what was expected and got.
[[noreturn]] void Fail(const char *format, ...) __attribute__((format(printf, 1, 2)));
#define FUZZ_CHECK(condition, ...)          \
    do {                                    \
        if (!(condition))                   \
            ::fuzz::Fail(__VA_ARGS__);      \
    } while (0)

// Files that CreateFileA opens; any other name is missing.
void SetFile(const std::string &path, const std::string &content);
void ClearFiles();

// The registry: empty again; one value as stored (found false when missing).
void ClearRegistry();
struct StoredValue {
    bool found;
    uint32_t type;
    std::string data;
};
StoredValue RegistryValue(const std::string &keyPath, const std::string &name);

// The input as a NUL-terminated text of its own allocation (up to the first
// NUL byte), so that a read past its end is caught.
std::string TextOf(const uint8_t *data, size_t size);

}  // namespace fuzz

#endif

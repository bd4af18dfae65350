/* Puts a function of the test's own in place of a system call that the
 * program's code (linked into the test) imports, while the hook lives. The
 * cases see what the program asks of the system, or make a call fail. */
#ifndef IMPORT_HOOK_H
#define IMPORT_HOOK_H

#include <windows.h>

class ImportHook {
public:
    ImportHook(const char *library, const char *function, void *replacement);
    ~ImportHook();
    bool Installed() const { return slot_ != nullptr; }
    // The system's own function, for a replacement that passes the call on.
    void *Original() const { return original_; }

private:
    void **slot_ = nullptr;
    void *original_ = nullptr;
};

#endif

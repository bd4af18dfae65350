/* Reads and answers a message box that the test's own thread is showing. */
#ifndef TOOLKIT_MESSAGE_BOX_READER_H
#define TOOLKIT_MESSAGE_BOX_READER_H

#include <windows.h>

#include <string>

struct MessageBoxSeen {
    bool found = false;
    std::string caption;
    std::string text;
    HWND owner = NULL;
    HICON icon = NULL;
};

// Watches the calling thread from a second thread; the first message box
// that appears there within the time-out is read and answered with
// `button`. Result() waits for the watcher and answers what it saw.
class MessageBoxReader {
public:
    explicit MessageBoxReader(int button, DWORD timeoutMs = 5000);
    ~MessageBoxReader();
    MessageBoxReader(const MessageBoxReader &) = delete;
    MessageBoxReader &operator=(const MessageBoxReader &) = delete;
    MessageBoxSeen Result();

private:
    static DWORD WINAPI Watch(LPVOID self);
    DWORD watchedThread_;
    int button_;
    DWORD timeoutMs_;
    HANDLE thread_ = NULL;
    MessageBoxSeen seen_;
};

#endif

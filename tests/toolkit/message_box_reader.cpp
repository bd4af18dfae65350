#include "message_box_reader.h"

namespace {

const int kMessageTextId = 0xFFFF;
const int kMessageIconId = 0x0440;

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found)
{
    if (GetDlgItem(window, kMessageTextId) != NULL && IsWindowVisible(window)) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

std::string TextOf(HWND window)
{
    char text[2048] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

}  // namespace

MessageBoxReader::MessageBoxReader(int button, DWORD timeoutMs)
    : watchedThread_(GetCurrentThreadId()), button_(button), timeoutMs_(timeoutMs)
{
    thread_ = CreateThread(NULL, 0, Watch, this, 0, NULL);
}

MessageBoxReader::~MessageBoxReader()
{
    Result();
}

MessageBoxSeen MessageBoxReader::Result()
{
    if (thread_ != NULL) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = NULL;
    }
    return seen_;
}

DWORD WINAPI MessageBoxReader::Watch(LPVOID self)
{
    MessageBoxReader *reader = static_cast<MessageBoxReader *>(self);
    DWORD start = GetTickCount();
    HWND box = NULL;
    while (box == NULL && GetTickCount() - start < reader->timeoutMs_) {
        EnumThreadWindows(reader->watchedThread_, FindMessageBox, (LPARAM)&box);
        if (box == NULL)
            Sleep(20);
    }
    if (box == NULL)
        return 0;
    reader->seen_.found = true;
    reader->seen_.caption = TextOf(box);
    reader->seen_.text = TextOf(GetDlgItem(box, kMessageTextId));
    reader->seen_.owner = GetWindow(box, GW_OWNER);
    reader->seen_.icon = (HICON)SendDlgItemMessageA(box, kMessageIconId, STM_GETICON, 0, 0);
    PostMessageA(box, WM_COMMAND, reader->button_, 0);
    return 0;
}

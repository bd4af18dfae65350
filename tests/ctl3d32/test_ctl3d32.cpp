#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "test_ctl3d32_ids.h"

// Imported through the ordinal import library, as setup.exe does.
extern "C" {
__declspec(dllimport) BOOL WINAPI Ctl3dRegister(HINSTANCE instance);
__declspec(dllimport) BOOL WINAPI Ctl3dUnregister(HINSTANCE instance);
__declspec(dllimport) BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE instance);
}

namespace {

HBRUSH g_ownBrush = NULL;

INT_PTR CALLBACK TestDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_CTLCOLORSTATIC && GetDlgCtrlID((HWND)lParam) == IDC_CTL3D_OWN)
        return (INT_PTR)g_ownBrush;
    return FALSE;
}

HWND MakeDialog(void)
{
    return CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_CTL3D_TEST), NULL,
                              TestDlgProc, 0);
}

bool IsSubclassed(HWND dialog)
{
    return (ULONG_PTR)GetWindowLongPtrA(dialog, GWLP_WNDPROC) != GetClassLongPtrA(dialog, GCLP_WNDPROC);
}

class Ctl3d : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_ownBrush = CreateSolidBrush(RGB(200, 0, 0));
        instance = GetModuleHandleA(NULL);
    }
    void TearDown() override
    {
        Ctl3dUnregister(instance);
        DeleteObject(g_ownBrush);
    }
    HINSTANCE instance = NULL;
};

}  // namespace

TEST(Ctl3dLibrary, IsOursAndExportsByOrdinalOnly)
{
    HMODULE library = GetModuleHandleA("CTL3D32.DLL");
    ASSERT_NE(nullptr, library) << "the import by ordinal loads the library at start";
    char path[MAX_PATH] = "";
    GetModuleFileNameA(library, path, sizeof(path));
    std::string lower(path);
    for (char &c : lower)
        c = (char)tolower((unsigned char)c);
    EXPECT_EQ(std::string::npos, lower.find("system32")) << "Wine's own library was loaded: " << path;

    FARPROC registerProc = GetProcAddress(library, MAKEINTRESOURCEA(12));
    FARPROC unregisterProc = GetProcAddress(library, MAKEINTRESOURCEA(13));
    FARPROC subclassProc = GetProcAddress(library, MAKEINTRESOURCEA(16));
    EXPECT_EQ((FARPROC)Ctl3dRegister, registerProc);
    EXPECT_EQ((FARPROC)Ctl3dUnregister, unregisterProc);
    EXPECT_EQ((FARPROC)Ctl3dAutoSubclass, subclassProc);
    EXPECT_EQ(nullptr, GetProcAddress(library, "Ctl3dRegister"));
}

TEST_F(Ctl3d, AutoSubclassNeedsRegistration)
{
    EXPECT_FALSE(Ctl3dAutoSubclass(instance));
    EXPECT_FALSE(Ctl3dUnregister(instance));
}

TEST_F(Ctl3d, DialogsMadeAfterAutoSubclassGetTheLook)
{
    HWND before = MakeDialog();
    ASSERT_NE(nullptr, before);
    EXPECT_FALSE(IsSubclassed(before));

    ASSERT_TRUE(Ctl3dRegister(instance));
    ASSERT_TRUE(Ctl3dAutoSubclass(instance));
    HWND dialog = MakeDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(IsSubclassed(dialog));
    EXPECT_FALSE(IsSubclassed(before)) << "dialogs made earlier are left alone";

    HDC context = GetDC(dialog);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    SetBkColor(context, RGB(255, 255, 255));
    EXPECT_EQ((LRESULT)face, SendMessageA(dialog, WM_CTLCOLORDLG, (WPARAM)context, (LPARAM)dialog));
    HWND label = GetDlgItem(dialog, IDC_CTL3D_LABEL);
    EXPECT_EQ((LRESULT)face, SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)context, (LPARAM)label));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetBkColor(context));
    HWND button = GetDlgItem(dialog, IDC_CTL3D_BUTTON);
    EXPECT_EQ((LRESULT)face, SendMessageA(dialog, WM_CTLCOLORBTN, (WPARAM)context, (LPARAM)button));
    HWND own = GetDlgItem(dialog, IDC_CTL3D_OWN);
    EXPECT_EQ((LRESULT)g_ownBrush, SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)context, (LPARAM)own))
        << "a colour the dialog chooses itself wins";
    ReleaseDC(dialog, context);

    HWND field = GetDlgItem(dialog, IDC_CTL3D_FIELD);
    EXPECT_TRUE(GetWindowLongPtrA(field, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(GetWindowLongPtrA(field, GWL_STYLE) & WS_BORDER) << "sunken, not a flat border";

    DestroyWindow(dialog);
    DestroyWindow(before);
}

TEST_F(Ctl3d, MessageBoxesAreDialogsToo)
{
    ASSERT_TRUE(Ctl3dRegister(instance));
    ASSERT_TRUE(Ctl3dAutoSubclass(instance));
    // A message box is a dialog of the thread; close it as soon as it is up.
    struct Closer {
        static DWORD WINAPI Run(LPVOID thread)
        {
            for (int i = 0; i < 250; ++i) {
                HWND box = NULL;
                EnumThreadWindows((DWORD)(ULONG_PTR)thread, [](HWND w, LPARAM found) -> BOOL {
                    if (GetDlgItem(w, 0xFFFF)) {
                        *(HWND *)found = w;
                        return FALSE;
                    }
                    return TRUE;
                }, (LPARAM)&box);
                if (box) {
                    LRESULT subclassed = IsSubclassed(box) ? 1 : 0;
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                    return (DWORD)subclassed + 1;
                }
                Sleep(20);
            }
            return 0;
        }
    };
    HANDLE closer = CreateThread(NULL, 0, Closer::Run, (LPVOID)(ULONG_PTR)GetCurrentThreadId(), 0, NULL);
    MessageBoxA(NULL, "Three-dimensional message", "Setup", MB_OK);
    WaitForSingleObject(closer, INFINITE);
    DWORD seen = 0;
    GetExitCodeThread(closer, &seen);
    CloseHandle(closer);
    EXPECT_EQ(2u, seen) << "0: no box seen, 1: box not subclassed";
}

TEST_F(Ctl3d, UnregisterStopsTheHook)
{
    ASSERT_TRUE(Ctl3dRegister(instance));
    ASSERT_TRUE(Ctl3dAutoSubclass(instance));
    HWND during = MakeDialog();
    EXPECT_TRUE(Ctl3dUnregister(instance));
    HWND after = MakeDialog();
    EXPECT_TRUE(IsSubclassed(during));
    EXPECT_FALSE(IsSubclassed(after));
    // The dialog made while registered still works after the hook is gone.
    EXPECT_TRUE(SetDlgItemTextA(during, IDC_CTL3D_FIELD, "C:\\AGENT\\"));
    DestroyWindow(during);
    DestroyWindow(after);
}


namespace {

INT_PTR CALLBACK PlainUnicodeProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

}  // namespace

// A Unicode dialog's procedure is reached through CallWindowProc, not called
// straight: message boxes are such dialogs, and drew black before.
TEST_F(Ctl3d, UnicodeDialogsGetTheButtonFace)
{
    ASSERT_TRUE(Ctl3dRegister(instance));
    ASSERT_TRUE(Ctl3dAutoSubclass(instance));
    HWND dialog = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_CTL3D_TEST), NULL,
                                     PlainUnicodeProc, 0);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(IsSubclassed(dialog));
    HDC context = GetDC(dialog);
    LRESULT brush = SendMessageW(dialog, WM_CTLCOLORDLG, (WPARAM)context, (LPARAM)dialog);
    ReleaseDC(dialog, context);
    EXPECT_EQ((LRESULT)GetSysColorBrush(COLOR_BTNFACE), brush);
    DestroyWindow(dialog);
}

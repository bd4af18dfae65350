#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/setup-toolkit/setuptk.h"
#include "resources/resource_ids.h"
#include "setup/pages/pages.h"
#include "unit/test_support.h"

namespace {

// Finds the licence dialog among the windows of this process.
HWND FindLicenseDialog()
{
    HWND found = NULL;
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(window) && GetDlgItem(window, IDC_LICENSE_ACCEPT)) {
                *(HWND *)context = window;
                return FALSE;
            }
            return TRUE;
        },
        (LPARAM)&found);
    return found;
}

TEST(LicenseAgreement, ContinueGoesOnAndRemovesTheOneDialog)
{
    support::FreshState();
    // The agreement is a resource of the program itself.
    SetupState.ProgramInstance =
        LoadLibraryExA((robot::DistDirectory() + "\\setup.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, SetupState.ProgramInstance);
    std::string shown;
    std::atomic<bool> done(false);
    std::thread reader([&] {
        for (int i = 0; i < 400 && !done; i++) {
            HWND dialog = FindLicenseDialog();
            if (dialog) {
                char text[256] = "";
                SendMessageA(GetDlgItem(dialog, IDC_LICENSE_TEXT), WM_GETTEXT, sizeof(text), (LPARAM)text);
                shown = text;
                PostMessageA(dialog, WM_COMMAND, IDC_LICENSE_ACCEPT, (LPARAM)GetDlgItem(dialog, IDC_LICENSE_ACCEPT));
                return;
            }
            Sleep(25);
        }
    });
    ShowLicenseAgreement();
    done = true;
    reader.join();
    EXPECT_EQ(0, CDialogsOnStack()) << "exactly the licence dialog was removed";
    EXPECT_NE(std::string::npos, shown.find("LICENSE")) << shown;
    FreeLibrary(SetupState.ProgramInstance);
    support::ReleaseState();
}

}  // namespace

#include <shlwapi.h>
#include <string.h>

#include "resources/resource_ids.h"
#include "setup/messages/messages.h"
#include "setup/pages/page_common.h"
#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/shell/shell.h"

#define ACCOUNT_FIELD_READ_SIZE 260

static void ReadField(HWND page, int id, char (&text)[ACCOUNT_FIELD_READ_SIZE])
{
    text[0] = '\0';
    GetDlgItemTextA(page, id, text, ACCOUNT_FIELD_READ_SIZE);
}

static void ShowFormattedRefusal(HWND page, UINT id, LPCSTR argumentText, int argumentNumber)
{
    char format[256], text[256];
    LoadSetupString(id, format, sizeof(format));
    if (argumentText)
        wnsprintfA(text, sizeof(text), format, argumentText);
    else
        wnsprintfA(text, sizeof(text), format, argumentNumber);
    text[sizeof(text) - 1] = '\0';
    ShowSetupMessage(page, MB_ICONEXCLAMATION, "%s", text);
}

// A text that does not fit the state's field, or that the agent could not
// read back, is refused with the page left as typed.
static bool AcceptableAccountText(HWND page, const char *text, const char *fieldName)
{
    if (lstrlenA(text) >= SETUP_ACCOUNT_SIZE) {
        ShowFormattedRefusal(page, IDS_FIELD_TOO_LONG, NULL, SETUP_ACCOUNT_SIZE - 1);
        return false;
    }
    if (!IsStorableCredential(text)) {
        ShowFormattedRefusal(page, IDS_CREDENTIAL_UNUSABLE, fieldName, 0);
        return false;
    }
    return true;
}

// Neither typed password can be told from the other: both are typed again,
// from the first.
static void RefuseMismatch(HWND page)
{
    LoadSetupString(IDS_PASSWORD_MISMATCH, SetupState.Scratch, 256);
    ShowSetupMessage(page, MB_ICONEXCLAMATION, SetupState.Scratch);
    SetDlgItemTextA(page, IDC_SQL_PASSWORD, "");
    SetDlgItemTextA(page, IDC_SQL_CONFIRM, "");
    SendMessageA(page, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(page, IDC_SQL_PASSWORD), TRUE);
}

// An empty login is asked about once a run: a Yes stands.
static bool EmptyLoginMeant(HWND page, LPCSTR login)
{
    if (login[0] || SetupState.EmptyLoginAccepted)
        return true;
    LoadSetupString(IDS_EMPTY_LOGIN_QUESTION, SetupState.Scratch, 256);
    if (ShowSetupMessage(page, MB_YESNO | MB_ICONQUESTION, "%s", SetupState.Scratch) == IDNO) {
        SendMessageA(page, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(page, IDC_SQL_LOGIN), TRUE);
        return false;
    }
    SetupState.EmptyLoginAccepted = 1;
    return true;
}

static void TakeAccount(HWND page)
{
    char password[ACCOUNT_FIELD_READ_SIZE], confirmation[ACCOUNT_FIELD_READ_SIZE];
    char login[ACCOUNT_FIELD_READ_SIZE];
    ReadField(page, IDC_SQL_PASSWORD, password);
    ReadField(page, IDC_SQL_CONFIRM, confirmation);
    if (strcmp(password, confirmation) != 0) {
        RefuseMismatch(page);
        return;
    }
    ReadField(page, IDC_SQL_LOGIN, login);
    if (!AcceptableAccountText(page, login, "login") || !AcceptableAccountText(page, password, "password"))
        return;
    if (!EmptyLoginMeant(page, login))
        return;
    lstrcpynA(SetupState.SqlLogin, login, SETUP_ACCOUNT_SIZE);
    lstrcpynA(SetupState.SqlPassword, password, SETUP_ACCOUNT_SIZE);
    EndDialog(page, 1);
}

static INT_PTR AccountCommand(HWND page, WPARAM wParam)
{
    if (LOWORD(wParam) != IDC_NEXT)
        return FALSE;
    TakeAccount(page);
    return TRUE;
}

INT_PTR CALLBACK SqlAccountDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result;
    if (HandleCommonPageMessage(page, message, wParam, IDB_SQL_ACCOUNT, AccountCommand, &result))
        return result;
    if (message == WM_INITDIALOG) {
        EnterPage(page);
        SetDlgItemTextA(page, IDC_SQL_LOGIN, SetupState.SqlLogin);
        SetDlgItemTextA(page, IDC_SQL_PASSWORD, SetupState.SqlPassword);
        SetDlgItemTextA(page, IDC_SQL_CONFIRM, SetupState.SqlPassword);
        return TRUE;
    }
    return FALSE;
}

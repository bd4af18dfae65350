// HFNTSET.DLL as the program sees it: strings with the right conversions,
// dialog templates with every control the program drives, laid out so that
// nothing is cut off, the pictures, and the licence dialog procedure.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "resource_ids.h"
#include "setuptk.h"
#include "product.h"

namespace {

HMODULE Library()
{
    static HMODULE library = LoadLibraryA("HFNTSET.DLL");
    return library;
}

std::string LoadText(UINT id)
{
    char text[1024] = "";
    int length = LoadStringA(Library(), id, text, sizeof(text));
    return std::string(text, length > 0 ? length : 0);
}

// The printf conversions of a text, in order: "%s%d" gives "sd".
std::string Conversions(const std::string &text)
{
    std::string found;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        ++i;
        while (i < text.size() && strchr("-+ #0123456789.lh", text[i]))
            ++i;
        if (i < text.size())
            found += text[i];
    }
    return found;
}

enum Reach {
    Shown,   // in a box, a dialog or the log
    InMif,   // also in the status file, where a value is one line in quotation marks
};

struct StringRule {
    UINT id;
    const char *conversions;  // what the program passes when it is the format
    size_t longest;           // the buffer the program loads it into, less one
    Reach reach;
};

// 255: loaded into 256-byte buffers; 254: the status file's description;
// 259: the message buffer of the fatal box; 511: the licence dialog's own.
const StringRule kStrings[] = {
    {IDS_GENERAL_FAILURE, "", 254, InMif},        {IDS_QUIT_DURING_TOOLKIT, "", 254, InMif},
    {IDS_SERVICE_DELETE_FAILED, "", 255, Shown},  {IDS_SERVICE_CREATE_FAILED, "", 255, InMif},
    {IDS_CONFIG_WRITE_FAILED, "", 254, InMif},    {IDS_ALREADY_RUNNING, "", 255, InMif},
    {IDS_CONFIG_FILE_BAD, "", 255, InMif},        {IDS_FATAL_ERROR, "", 259, Shown},
    {IDS_PROGMAN_GROUP, "", 255, Shown},          {IDS_FRAME_TITLE, "", 255, Shown},
    {IDS_NOT_ADMINISTRATOR, "", 255, InMif},      {IDS_BOX_TITLE, "", 127, Shown},
    {IDS_STOP_SERVICES, "s", 255, Shown},         {IDS_PASSWORD_MISMATCH, "", 255, Shown},
    {IDS_EXIT_QUESTION, "", 255, Shown},          {IDS_DEST_EMPTY, "", 255, Shown},
    {IDS_DEST_BAD_PATH, "s", 255, Shown},         {IDS_DEST_BAD_DRIVE, "s", 255, Shown},
    {IDS_DEST_NOT_FULL, "s", 255, Shown},         {IDS_DEST_NO_DRIVE, "ss", 255, Shown},
    {IDS_DEST_BAD_NAME, "ss", 255, Shown},        {IDS_DEST_EMPTY_NAME, "s", 255, Shown},
    {IDS_COPY_STOPPED, "", 255, InMif},           {IDS_COPY_FAILED, "sss", 255, Shown},
    {IDS_COPY_LEFT, "s", 255, Shown},             {IDS_STOP_SERVICES_REMOVE, "s", 255, Shown},
    {IDS_REMOVE_CANCELLED, "", 255, Shown},       {IDS_EXIT_QUESTION_REINSTALL, "", 255, Shown},
    {IDS_DONE_SERVICE_STARTED, "", 127, Shown},   {IDS_DONE_SERVICE_STOPPED, "", 127, Shown},
    {IDS_EMPTY_LOGIN_QUESTION, "", 255, Shown},
    {IDS_DEST_NO_SPACE, "", 255, Shown},          {IDS_DEST_CREATE, "", 255, Shown},
    {IDS_DEST_IS_SOURCE, "", 255, Shown},         {IDS_INSTALL_DONE, "ss", 255, Shown},
    {IDS_CONFIRM_SUMMARY, "ssss", 255, Shown},    {IDS_CONFIRM_NO_LOGIN, "", 63, Shown},
    {IDS_CONFIRM_SERVICE_NEW, "", 255, Shown},    {IDS_CONFIRM_SERVICE_REPLACED, "", 255, Shown},
    {IDS_RPC_SERVICE_TITLE, "", 255, Shown},      {IDS_PROGMAN_ITEM, "", 255, Shown},
    {IDS_REMOVE_QUESTION, "", 255, Shown},        {IDS_REMOVE_DONE, "", 255, Shown},
    {IDS_REMOVE_NO_SERVICE, "", 254, InMif},      {IDS_REMOVE_FILES_LEFT, "", 255, Shown},
    {IDS_REMOVE_NOT_INSTALLED, "", 254, InMif},   {IDS_BRD_SERVICE_TITLE, "", 255, Shown},
    {IDS_REGISTER_FAILED, "", 255, Shown},        {IDS_START_SERVICE, "", 255, Shown},
    {IDS_CREDENTIAL_UNUSABLE, "s", 254, InMif},   {IDS_CONFIG_NAME_TOO_LONG, "", 255, Shown},
    {IDS_SOURCE_DIR_TOO_LONG, "", 255, Shown},    {IDS_FIELD_TOO_LONG, "d", 255, Shown},
    {IDS_LICENSE_UNAVAILABLE, "", 511, Shown},
    {IDS_SETUP_INF_MISSING, "s", 255, InMif},     {IDS_DISTRIBUTION_TOO_DEEP, "", 255, InMif},
    {IDS_INSTALL_PATH_UNUSABLE, "ss%", 255, InMif}, {IDS_CONFIG_VALUE_TOO_LONG, "sds", 255, InMif},
    {IDS_SERVICE_WILL_NOT_STOP, "sd", 255, InMif}, {IDS_AGENT_DIR_UNKNOWN, "", 255, InMif},
    {IDS_OTHER_AGENT_UNKNOWN, "ss", 255, InMif},  {IDS_SERVICE_DIR_UNKNOWN, "ss", 255, InMif},
    {IDS_HANDOVER_NO_PROGRAM, "ss", 255, InMif},  {IDS_HANDOVER_FAILED, "sds", 255, InMif},
    {IDS_FILES_LEFT, "dsds", 255, InMif},         {IDS_REGISTRY_LEFT, "s", 255, InMif},
    {IDS_SERVICE_NOT_RESTARTED, "sd", 255, InMif}, {IDS_MORE_PROBLEMS, "d", 47, InMif},
    {IDS_SHORTCUT_LEFT, "s", 255, InMif},         {IDS_REMOVAL_NOT_REGISTERED, "d", 255, InMif},
    {IDS_DIRECTORY_LEFT, "sd", 255, InMif},       {IDS_SERVICE_REFUSED_STOP, "sd", 255, InMif},
    {IDS_DIRECTORY_NOT_SAFE, "ss", 255, InMif},
};

TEST(StringTable, EveryTextExistsWithinItsBuffer)
{
    ASSERT_NE(nullptr, Library()) << "HFNTSET.DLL did not load, error " << GetLastError();
    for (const StringRule &rule : kStrings) {
        std::string text = LoadText(rule.id);
        EXPECT_FALSE(text.empty()) << "string " << rule.id << " is missing";
        EXPECT_LE(text.size(), rule.longest) << "string " << rule.id << " would be cut: " << text;
    }
}

TEST(StringTable, FormatsTakeExactlyTheProgramsArguments)
{
    for (const StringRule &rule : kStrings)
        EXPECT_EQ(rule.conversions, Conversions(LoadText(rule.id)))
            << "string " << rule.id << ": " << LoadText(rule.id);
}

TEST(StringTable, StatusFileTextsAreOneLineWithoutQuotationMarks)
{
    for (const StringRule &rule : kStrings) {
        if (rule.reach != InMif)
            continue;
        std::string text = LoadText(rule.id);
        EXPECT_EQ(std::string::npos, text.find_first_of("\r\n\"")) << "string " << rule.id << ": " << text;
    }
}

// A message box breaks its lines where it likes, even inside a path: a
// path or command given as an example stands on a line of its own.
TEST(StringTable, ExamplesStandOnLinesOfTheirOwn)
{
    for (const StringRule &rule : kStrings) {
        if (rule.reach != Shown)
            continue;
        std::string text = LoadText(rule.id) + "\n";
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = text.substr(start, end - start);
            bool example = line.find(":\\") != std::string::npos || line.find("setup I:") != std::string::npos;
            EXPECT_TRUE(!example || line.find(' ') == std::string::npos || line == "setup I:")
                << "string " << rule.id << " has an example inside the line \"" << line << "\"";
        }
    }
}

// wvsprintfA with the arguments of each call site: the result must fit the
// program's 260-byte message buffer and show what was inserted.
std::string Format(const char *format, ...)
{
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(text, format, arguments);
    va_end(arguments);
    return text;
}

TEST(StringTable, FormattedMessagesFitTheMessageBuffer)
{
    std::string caption = LoadText(IDS_BOX_TITLE);
    std::string stop = Format(LoadText(IDS_STOP_SERVICES).c_str(), caption.c_str(), 0);
    EXPECT_NE(std::string::npos, stop.find(caption)) << stop;
    std::vector<std::string> shown = {
        stop,
        Format("%s %s", LoadText(IDS_SERVICE_DELETE_FAILED).c_str(), BRD_SERVICE_NAME),
        Format("%s SQL ZEduziz : %d", LoadText(IDS_SERVICE_CREATE_FAILED).c_str(), 1073741824),
        Format("%s = %d", LoadText(IDS_CONFIG_WRITE_FAILED).c_str(), 1073741824),
        Format("%s, T=%s,EC=%d", LoadText(IDS_REGISTER_FAILED).c_str(), "C:\\windows\\system32", 1073741824),
        Format("%s input from file %s", LoadText(IDS_CONFIG_FILE_BAD).c_str(), "C:\\SETUP\\SETUP.ICF"),
        Format(LoadText(IDS_CREDENTIAL_UNUSABLE).c_str(), "password"),
        Format(LoadText(IDS_FIELD_TOO_LONG).c_str(), 255),
        Format(LoadText(IDS_DEST_BAD_NAME).c_str(), "ABCDEFGHIJKLM", "C:\\AGENTS\\ABCDEFGHIJKLM\\"),
        Format(LoadText(IDS_INSTALL_DONE).c_str(), LoadText(IDS_DONE_SERVICE_STOPPED).c_str(), "C:\\DORURE\\"),
        Format(LoadText(IDS_COPY_FAILED).c_str(), "C:", "There is not enough space on the disk",
               "C:\\DORURE\\KVASVR.EXE") + "\n\n" + Format(LoadText(IDS_COPY_LEFT).c_str(), "C:\\DORURE\\"),
    };
    for (const std::string &text : shown)
        EXPECT_LE(text.size(), 259u) << text;
    EXPECT_NE(std::string::npos, shown[6].find("password")) << shown[6];
    EXPECT_NE(std::string::npos, shown[7].find("255")) << shown[7];
}

TEST(StringTable, DirectoryQuestionHasALineForTheDirectory)
{
    std::string text = LoadText(IDS_DEST_CREATE);
    size_t lineBreak = text.find('\n');
    ASSERT_NE(std::string::npos, lineBreak) << text;
    EXPECT_GT(lineBreak, 0u) << "nothing before the directory";
    EXPECT_LT(lineBreak + 1, text.size()) << "nothing after the directory";
}

TEST(StringTable, FrameTitleContinuesTheFirstHalf)
{
    std::string title = LoadText(IDS_FRAME_TITLE);
    ASSERT_FALSE(title.empty());
    EXPECT_EQ(' ', title[0]) << "joined to the first half without a separator: '" << title << "'";
    EXPECT_NE(std::string::npos, title.find("Zezerero Ruvez ari Ziruvidor EVO Dozoro 6.0")) << title;
}

// ---- dialog templates ---------------------------------------------------

INT_PTR CALLBACK PlainDlgProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

struct Dialog {
    HWND window;
    explicit Dialog(UINT id) : window(CreateDialogParamA(Library(), MAKEINTRESOURCEA(id), NULL, PlainDlgProc, 0)) {}
    ~Dialog() { if (window) DestroyWindow(window); }
    HWND Item(int id) const { return GetDlgItem(window, id); }
};

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string TextOf(HWND window)
{
    std::vector<char> text(GetWindowTextLengthA(window) + 1, '\0');
    GetWindowTextA(window, text.data(), (int)text.size());
    return text.data();
}

LONG StyleOf(HWND window) { return GetWindowLongA(window, GWL_STYLE); }

RECT RectInDialog(HWND dialog, HWND control)
{
    RECT box;
    GetWindowRect(control, &box);
    MapWindowPoints(NULL, dialog, (POINT *)&box, 2);
    return box;
}

std::string Describe(HWND control)
{
    char text[160];
    snprintf(text, sizeof(text), "control %d (%s \"%.60s\")", GetDlgCtrlID(control), ClassOf(control).c_str(),
             TextOf(control).c_str());
    return text;
}

std::vector<HWND> Children(HWND dialog)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

struct ExpectedControl {
    int id;
    const char *className;
};

struct TemplateRule {
    UINT id;
    bool page;  // wizard page: picture, Next as the default button
    std::vector<ExpectedControl> controls;
};

const std::vector<TemplateRule> &Templates()
{
    static const std::vector<TemplateRule> rules = {
        {IDD_WELCOME, true, {{IDC_INSTALL_CHOICE, "Button"}, {IDC_REMOVE_CHOICE, "Button"}, {IDC_NEXT, "Button"},
                             {IDC_CANCEL, "Button"}, {IDC_PICTURE, "Static"}}},
        {IDD_DESTINATION, true, {{IDC_DRIVE_LIST, "ComboBox"}, {IDC_DEST_DIR, "Edit"}, {IDC_FREE_SPACE, "Static"},
                                 {IDC_REQUIRED_SPACE, "Static"}, {IDC_DRIVE_LABEL, "Static"}, {IDC_BACK, "Button"},
                                 {IDC_NEXT, "Button"}, {IDC_CANCEL, "Button"}, {IDC_PICTURE, "Static"}}},
        {IDD_SQL_ACCOUNT, true, {{IDC_SQL_LOGIN, "Edit"}, {IDC_SQL_PASSWORD, "Edit"}, {IDC_SQL_CONFIRM, "Edit"},
                                 {IDC_BACK, "Button"}, {IDC_NEXT, "Button"}, {IDC_CANCEL, "Button"},
                                 {IDC_PICTURE, "Static"}}},
        {IDD_CONFIRM, true, {{IDC_BACK, "Button"}, {IDC_NEXT, "Button"}, {IDC_CANCEL, "Button"},
                             {IDC_PICTURE, "Static"}}},
        {IDD_SOURCE_PROMPT, false, {{IDC_SOURCE_DIR, "Edit"}, {IDOK, "Button"}, {IDCANCEL, "Button"}}},
        {IDD_LICENSE, false, {{IDC_LICENSE_TEXT, "Edit"}, {IDC_LICENSE_ACCEPT, "Button"},
                              {IDC_LICENSE_DECLINE, "Button"}, {IDC_LICENSE_PROMPT, "Static"}}},
        {IDD_SERVICE_STOP, false, {{IDC_SERVICE_STATUS, "Static"}}},
        {IDD_SERVICE_CREATE, false, {{IDC_SERVICE_STATUS, "Static"}}},
        {IDD_SERVICE_REMOVE, false, {{IDC_SERVICE_STATUS, "Static"}}},
        {IDD_SERVICE_START, false, {{IDC_START_STATUS, "Static"}}},
    };
    return rules;
}

TEST(DialogTemplates, HaveEveryControlTheProgramUses)
{
    for (const TemplateRule &rule : Templates()) {
        Dialog dialog(rule.id);
        ASSERT_NE(nullptr, dialog.window) << "template " << rule.id << " cannot be created";
        for (const ExpectedControl &expected : rule.controls) {
            HWND control = dialog.Item(expected.id);
            ASSERT_NE(nullptr, control) << "template " << rule.id << " lacks control " << expected.id;
            EXPECT_STRCASEEQ(expected.className, ClassOf(control).c_str())
                << "template " << rule.id << ", control " << expected.id;
        }
    }
}

TEST(DialogTemplates, ControlsHaveTheStylesTheProgramNeeds)
{
    {
        Dialog welcome(IDD_WELCOME);
        EXPECT_EQ(BS_AUTORADIOBUTTON, StyleOf(welcome.Item(IDC_INSTALL_CHOICE)) & BS_TYPEMASK);
        EXPECT_EQ(BS_AUTORADIOBUTTON, StyleOf(welcome.Item(IDC_REMOVE_CHOICE)) & BS_TYPEMASK);
    }
    {
        Dialog account(IDD_SQL_ACCOUNT);
        EXPECT_FALSE(StyleOf(account.Item(IDC_SQL_LOGIN)) & ES_PASSWORD) << "the login is shown";
        EXPECT_TRUE(StyleOf(account.Item(IDC_SQL_PASSWORD)) & ES_PASSWORD);
        EXPECT_TRUE(StyleOf(account.Item(IDC_SQL_CONFIRM)) & ES_PASSWORD);
    }
    {
        Dialog destination(IDD_DESTINATION);
        EXPECT_EQ(CBS_DROPDOWNLIST, StyleOf(destination.Item(IDC_DRIVE_LIST)) & 3);
    }
    {
        Dialog license(IDD_LICENSE);
        LONG style = StyleOf(license.Item(IDC_LICENSE_TEXT));
        EXPECT_TRUE(style & ES_MULTILINE);
        EXPECT_TRUE(style & ES_READONLY);
        EXPECT_TRUE(style & WS_VSCROLL);
    }
    Dialog prompt(IDD_SOURCE_PROMPT);
    EXPECT_EQ(BS_DEFPUSHBUTTON, StyleOf(prompt.Item(IDOK)) & BS_TYPEMASK);
}

TEST(DialogTemplates, PagesShareOneSizeAndTheirFrame)
{
    SIZE first = {0, 0};
    for (const TemplateRule &rule : Templates()) {
        if (!rule.page)
            continue;
        Dialog page(rule.id);
        RECT client;
        GetClientRect(page.window, &client);
        if (first.cx == 0)
            first = {client.right, client.bottom};
        EXPECT_EQ(first.cx, client.right) << "page " << rule.id;
        EXPECT_EQ(first.cy, client.bottom) << "page " << rule.id;
        LONG style = StyleOf(page.window);
        EXPECT_EQ((LONG)(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
                  style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME))
            << "page " << rule.id;
        EXPECT_EQ(BS_DEFPUSHBUTTON, StyleOf(page.Item(IDC_NEXT)) & BS_TYPEMASK) << "Next is the default on " << rule.id;
        EXPECT_EQ(BS_PUSHBUTTON, StyleOf(page.Item(IDC_CANCEL)) & BS_TYPEMASK) << "page " << rule.id;
    }
}

// The page stretches its picture over control 1024 from a posted message,
// which arrives before the control's own WM_PAINT: a control that fills
// its background (any text static) would wipe the picture out again.
TEST(DialogTemplates, PictureControlsDrawNothingOfTheirOwn)
{
    for (const TemplateRule &rule : Templates()) {
        if (!rule.page)
            continue;
        Dialog page(rule.id);
        EXPECT_EQ(SS_OWNERDRAW, StyleOf(page.Item(IDC_PICTURE)) & SS_TYPEMASK) << "page " << rule.id;
        EXPECT_EQ("", TextOf(page.Item(IDC_PICTURE))) << "page " << rule.id;
    }
}

TEST(DialogTemplates, WorkDialogsHaveNoButtons)
{
    for (UINT id : {IDD_SERVICE_STOP, IDD_SERVICE_CREATE, IDD_SERVICE_REMOVE, IDD_SERVICE_START}) {
        Dialog work(id);
        for (HWND child : Children(work.window))
            EXPECT_STRCASENE("Button", ClassOf(child).c_str()) << "template " << id << ": " << Describe(child);
        EXPECT_FALSE(StyleOf(work.window) & WS_SYSMENU) << "template " << id << " offers a close box";
    }
}

// ---- the keyboard ------------------------------------------------------

// The letter after "&" in a control's text, upper-cased; 0 when none.
char Mnemonic(const std::string &text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] != '&')
            return (char)toupper((unsigned char)text[i + 1]);
        ++i;
    }
    return 0;
}

bool IsTabStop(HWND control)
{
    return (StyleOf(control) & WS_TABSTOP) && !(StyleOf(control) & WS_DISABLED);
}

// Alt and a letter reach one control: no letter twice on a dialog, and a
// label's letter leads to the field that follows it.
TEST(DialogKeyboard, MnemonicsAreUniqueAndLabelsLeadToTheirField)
{
    for (const TemplateRule &rule : Templates()) {
        Dialog dialog(rule.id);
        std::string seen;
        for (HWND child : Children(dialog.window)) {
            char letter = Mnemonic(TextOf(child));
            if (!letter)
                continue;
            EXPECT_EQ(std::string::npos, seen.find(letter))
                << "template " << rule.id << ": " << Describe(child) << " repeats the mnemonic " << letter;
            seen += letter;
            if (lstrcmpiA(ClassOf(child).c_str(), "Static") != 0)
                continue;
            HWND field = GetWindow(child, GW_HWNDNEXT);
            EXPECT_TRUE(field && IsTabStop(field) && lstrcmpiA(ClassOf(field).c_str(), "Button") != 0)
                << "template " << rule.id << ": the label " << Describe(child) << " leads to "
                << (field ? Describe(field) : std::string("nothing"));
        }
    }
}

// Every field of a page that a person fills in or reads has a label with
// a mnemonic just before it.
TEST(DialogKeyboard, FieldsOfThePagesHaveLabels)
{
    for (const TemplateRule &rule : Templates()) {
        if (!rule.page)
            continue;
        Dialog dialog(rule.id);
        for (HWND child : Children(dialog.window)) {
            std::string className = ClassOf(child);
            if (lstrcmpiA(className.c_str(), "Edit") && lstrcmpiA(className.c_str(), "ComboBox"))
                continue;
            HWND label = GetWindow(child, GW_HWNDPREV);
            EXPECT_TRUE(label && !lstrcmpiA(ClassOf(label).c_str(), "Static") && Mnemonic(TextOf(label)))
                << "template " << rule.id << ": " << Describe(child) << " has no label with a mnemonic";
        }
    }
}

TEST(DialogKeyboard, WelcomeChoicesAreOneGroup)
{
    Dialog welcome(IDD_WELCOME);
    HWND install = welcome.Item(IDC_INSTALL_CHOICE), remove = welcome.Item(IDC_REMOVE_CHOICE);
    EXPECT_EQ(remove, GetNextDlgGroupItem(welcome.window, install, FALSE)) << "Down from the install choice";
    EXPECT_EQ(install, GetNextDlgGroupItem(welcome.window, remove, FALSE)) << "Down from the removal choice";
    EXPECT_TRUE(IsTabStop(install)) << "Tab reaches the group";
    SendMessageA(install, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(remove, BM_CLICK, 0, 0);
    EXPECT_EQ(BST_CHECKED, SendMessageA(remove, BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(install, BM_GETCHECK, 0, 0)) << "a click on one clears the other";
}

bool Overlap(const RECT &a, const RECT &b)
{
    RECT common;
    return IntersectRect(&common, &a, &b) != 0;
}

TEST(DialogLayout, ControlsLieInsideAndDoNotOverlap)
{
    for (const TemplateRule &rule : Templates()) {
        Dialog dialog(rule.id);
        RECT client;
        GetClientRect(dialog.window, &client);
        std::vector<HWND> children = Children(dialog.window);
        for (size_t i = 0; i < children.size(); ++i) {
            RECT box = RectInDialog(dialog.window, children[i]);
            EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= client.right && box.bottom <= client.bottom)
                << "template " << rule.id << ": " << Describe(children[i]) << " reaches outside the dialog";
            for (size_t j = i + 1; j < children.size(); ++j)
                EXPECT_FALSE(Overlap(box, RectInDialog(dialog.window, children[j])))
                    << "template " << rule.id << ": " << Describe(children[i]) << " overlaps "
                    << Describe(children[j]);
        }
    }
}

// The height a text needs in a control of that width, drawn as the static
// control draws it (word wrap, & as the mnemonic prefix).
int NeededHeight(HWND control, const std::string &text, int width)
{
    HDC dc = GetDC(control);
    HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageA(control, WM_GETFONT, 0, 0));
    RECT box = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(dc, oldFont);
    ReleaseDC(control, dc);
    return box.bottom;
}

int NeededWidth(HWND control, const std::string &text)
{
    HDC dc = GetDC(control);
    HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageA(control, WM_GETFONT, 0, 0));
    RECT box = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &box, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    ReleaseDC(control, dc);
    return box.right;
}

// What the program writes into the controls that the templates leave empty.
std::string SampleContent(UINT dialogId, int controlId)
{
    switch (controlId) {
    case IDC_FREE_SPACE:
    case IDC_REQUIRED_SPACE:
        return "4294967295";
    case IDC_DRIVE_LABEL:
        return "C:";
    case IDC_SERVICE_STATUS:
    case IDC_START_STATUS: {
        std::string rpc = LoadText(IDS_RPC_SERVICE_TITLE), brd = LoadText(IDS_BRD_SERVICE_TITLE);
        return rpc.size() > brd.size() ? rpc : brd;
    }
    }
    return "";
}

TEST(DialogLayout, NoTextIsCutOff)
{
    for (const TemplateRule &rule : Templates()) {
        Dialog dialog(rule.id);
        for (HWND child : Children(dialog.window)) {
            std::string className = ClassOf(child);
            std::string text = TextOf(child);
            if (text.empty())
                text = SampleContent(rule.id, GetDlgCtrlID(child));
            if (text.empty())
                continue;
            RECT client;
            GetClientRect(child, &client);
            LONG style = StyleOf(child);
            if (!lstrcmpiA(className.c_str(), "Static")) {
                EXPECT_LE(NeededHeight(child, text, client.right), client.bottom)
                    << "template " << rule.id << ": " << Describe(child) << " needs more lines";
            } else if (!lstrcmpiA(className.c_str(), "Button")) {
                int room = client.right - 2 * GetSystemMetrics(SM_CXEDGE) - 4;
                if ((style & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
                    room = client.right - GetSystemMetrics(SM_CXMENUCHECK) - 6;
                EXPECT_LE(NeededWidth(child, text), room)
                    << "template " << rule.id << ": " << Describe(child) << " is too narrow";
            }
        }
    }
}

TEST(Bitmaps, LoadWithThePictureShapes)
{
    struct Picture { UINT id; bool backdrop; } pictures[] = {
        {IDB_FRAME, true}, {IDB_WELCOME, false}, {IDB_DESTINATION, false}, {IDB_CONFIRM, false}, {IDB_SQL_ACCOUNT, false}};
    for (const Picture &picture : pictures) {
        HBITMAP bitmap = LoadBitmapA(Library(), MAKEINTRESOURCEA(picture.id));
        ASSERT_NE(nullptr, bitmap) << "bitmap " << picture.id;
        BITMAP info;
        ASSERT_EQ((int)sizeof(info), GetObjectA(bitmap, sizeof(info), &info));
        if (picture.backdrop)
            EXPECT_GT(info.bmWidth, info.bmHeight) << "the screen backdrop is landscape";
        else
            EXPECT_GT(info.bmHeight, info.bmWidth) << "page picture " << picture.id << " fills a tall control";
        EXPECT_GE(info.bmWidth, 100) << "bitmap " << picture.id;
        DeleteObject(bitmap);
    }
}

// ---- the licence dialog -------------------------------------------------

typedef INT_PTR(CALLBACK *LicenseProc)(HWND, UINT, WPARAM, LPARAM);

LicenseProc LicenseProcedure()
{
    return (LicenseProc)(void *)GetProcAddress(Library(), "FLicenseDlgProc");
}

std::string Event()
{
    char event[32] = "";
    CbGetSymbolValue("DLGEVENT", event, sizeof(event));
    return event;
}

void SetHandle(const void *text)
{
    char handle[32];
    snprintf(handle, sizeof(handle), "%lld", (long long)(LONG_PTR)text);
    FSetSymbolValue("LicenseHandle", handle);
}

// A default push button is drawn inside a frame of the window-frame colour.
bool DrawnAsDefault(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    RECT box;
    GetClientRect(button, &box);
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, CreateCompatibleBitmap(screen, box.right, box.bottom));
    SendMessageA(button, WM_PRINTCLIENT, (WPARAM)memory, PRF_CLIENT);
    COLORREF edge = GetPixel(memory, 0, box.bottom / 2);
    DeleteObject(SelectObject(memory, old));
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return edge == GetSysColor(COLOR_WINDOWFRAME);
}

class LicenseDialog : public ::testing::Test {
protected:
    HWND dialog = NULL;
    void Open()
    {
        FRemoveSymbol("DLGEVENT");
        LicenseProc procedure = LicenseProcedure();
        ASSERT_NE(nullptr, procedure) << "FLicenseDlgProc is not exported";
        dialog = CreateDialogParamA(Library(), MAKEINTRESOURCEA(IDD_LICENSE), NULL, (DLGPROC)procedure, 0);
        ASSERT_NE(nullptr, dialog);
    }
    std::string Shown() const { return TextOf(GetDlgItem(dialog, IDC_LICENSE_TEXT)); }
    bool AcceptEnabled() const { return IsWindowEnabled(GetDlgItem(dialog, IDC_LICENSE_ACCEPT)) != 0; }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
    }
};

TEST_F(LicenseDialog, ShowsTheTextAtTheGivenAddress)
{
    static const char text[] = "First line of the agreement.\r\nSecond line.\r\n";
    SetHandle(text);
    Open();
    EXPECT_EQ(text, Shown());
    EXPECT_TRUE(AcceptEnabled());
    EXPECT_EQ("", Event()) << "nothing is answered before a button is pressed";
}

TEST_F(LicenseDialog, BreaksLinesEndedByLineFeedAlone)
{
    static const char text[] = "one\ntwo\r\nthree";
    SetHandle(text);
    Open();
    EXPECT_EQ("one\r\ntwo\r\nthree", Shown());
}

TEST_F(LicenseDialog, AcceptContinues)
{
    static const char text[] = "Terms.";
    SetHandle(text);
    Open();
    EXPECT_TRUE(DrawnAsDefault(dialog, IDC_LICENSE_ACCEPT) && !DrawnAsDefault(dialog, IDC_LICENSE_DECLINE))
        << "I Accept is drawn as the default";
    SendMessageA(GetDlgItem(dialog, IDC_LICENSE_ACCEPT), BM_CLICK, 0, 0);
    EXPECT_EQ("CONTINUE", Event());
}

TEST_F(LicenseDialog, DeclineEscapeAndCloseBoxCancel)
{
    static const char text[] = "Terms.";
    SetHandle(text);
    Open();
    SendMessageA(GetDlgItem(dialog, IDC_LICENSE_DECLINE), BM_CLICK, 0, 0);
    EXPECT_EQ("CANCEL", Event()) << "decline";
    FRemoveSymbol("DLGEVENT");
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ("CANCEL", Event()) << "escape";
    FRemoveSymbol("DLGEVENT");
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ("CANCEL", Event()) << "close box";
    EXPECT_TRUE(IsWindow(dialog)) << "the toolkit removes the dialog, not the procedure";
}

TEST_F(LicenseDialog, RefusesUnusableHandlesWithAnExplanation)
{
    std::string explanation = LoadText(IDS_LICENSE_UNAVAILABLE);
    const char *handles[] = {"0", "", "abc", "12ab", "-4096", "99999999999999999999999"};
    for (const char *handle : handles) {
        FSetSymbolValue("LicenseHandle", handle);
        Open();
        EXPECT_EQ(explanation, Shown()) << "handle '" << handle << "'";
        EXPECT_FALSE(AcceptEnabled()) << "an agreement not shown cannot be accepted, handle '" << handle << "'";
        EXPECT_TRUE(DrawnAsDefault(dialog, IDC_LICENSE_DECLINE)) << "the way out is the default";
        DestroyWindow(dialog);
        dialog = NULL;
    }
}

TEST_F(LicenseDialog, SurvivesAnAddressOfNoAccessibleMemory)
{
    char *reserved = (char *)VirtualAlloc(NULL, 65536, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(nullptr, reserved);
    SetHandle(reserved);
    Open();
    EXPECT_EQ(LoadText(IDS_LICENSE_UNAVAILABLE), Shown());
    DestroyWindow(dialog);
    dialog = NULL;
    VirtualFree(reserved, 0, MEM_RELEASE);
}

TEST_F(LicenseDialog, StopsAtTheEndOfReadableMemory)
{
    // One committed page full of text with no terminator, then reserved memory.
    char *block = (char *)VirtualAlloc(NULL, 65536, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(nullptr, block);
    ASSERT_NE(nullptr, VirtualAlloc(block, 4096, MEM_COMMIT, PAGE_READWRITE));
    memset(block, 'x', 4096);
    SetHandle(block);
    Open();
    EXPECT_EQ(std::string(4096, 'x'), Shown());
    DestroyWindow(dialog);
    dialog = NULL;
    VirtualFree(block, 0, MEM_RELEASE);
}

// The program's own "LICENSE" resource: this test program carries the
// same file, so the whole agreement must come through as it is.
std::string LicenseResource(const char **address)
{
    HRSRC resource = FindResourceA(NULL, MAKEINTRESOURCEA(IDR_LICENSE), "LICENSE");
    if (!resource)
        return "";
    *address = (const char *)LockResource(LoadResource(NULL, resource));
    return std::string(*address, SizeofResource(NULL, resource));
}

TEST_F(LicenseDialog, ShowsTheWholeAgreementResource)
{
    const char *address = NULL;
    std::string agreement = LicenseResource(&address);
    ASSERT_FALSE(agreement.empty()) << "the test program carries no LICENSE resource";
    SetHandle(address);
    Open();
    EXPECT_EQ(agreement, Shown());
}

TEST(LicenseText, IsAPlainAnsiAgreementWithCrLfLines)
{
    const char *address = NULL;
    std::string text = LicenseResource(&address);
    ASSERT_FALSE(text.empty());
    size_t lines = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = (unsigned char)text[i];
        ASSERT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c < 127)) << "byte " << (int)c << " at " << i;
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "line " << lines + 1 << " does not end in CR LF";
            ++lines;
        }
    }
    EXPECT_GE(lines, 40u);
    EXPECT_EQ(std::string::npos, text.find('\0'));
    for (const char *part : {"Tamarack Software Inc.", "Zezerero Ruvez ari Ziruvidor EVO Dozoro 6.0", "version 2.0",
                             "GRANT OF LICENSE", "RESTRICTIONS", "DISCLAIMER OF WARRANTY", "LIMITATION OF LIABILITY",
                             "TERMINATION"})
        EXPECT_NE(std::string::npos, text.find(part)) << part;
}

// ---- through the toolkit's dialog loop, when the toolkit has it ---------

typedef BOOL(WINAPI *DoDialogProc)(HWND, LPCSTR, int, LPCSTR, LPCSTR, LONG_PTR, LONG_PTR);
typedef BOOL(WINAPI *KillDialogsProc)(int);

int g_pressButton;
std::string g_shownText;

BOOL CALLBACK PressInLicenseDialog(HWND window, LPARAM)
{
    HWND button = GetDlgItem(window, g_pressButton);
    if (button && GetDlgItem(window, IDC_LICENSE_TEXT)) {
        g_shownText = TextOf(GetDlgItem(window, IDC_LICENSE_TEXT));
        PostMessageA(button, BM_CLICK, 0, 0);
        return FALSE;
    }
    return TRUE;
}

void CALLBACK PressTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    EnumThreadWindows(GetCurrentThreadId(), PressInLicenseDialog, 0);
}

TEST(LicenseDialogInToolkit, AnswersTheToolkitsLoop)
{
    HMODULE toolkit = LoadLibraryA("MSUILSTF.DLL");
    if (!toolkit)
        GTEST_SKIP() << "MSUILSTF.DLL is not built";
    DoDialogProc doDialog = (DoDialogProc)(void *)GetProcAddress(toolkit, "FDoDialogExt");
    KillDialogsProc killDialogs = (KillDialogsProc)(void *)GetProcAddress(toolkit, "FKillNDialogs");
    ASSERT_TRUE(doDialog && killDialogs);
    static const char text[] = "Agreement shown through the toolkit.\r\n";
    SetHandle(text);
    struct Case { int button; const char *event; } cases[] = {
        {IDC_LICENSE_DECLINE, "CANCEL"}, {IDC_LICENSE_ACCEPT, "CONTINUE"}};
    for (const Case &c : cases) {
        FRemoveSymbol("DLGEVENT");
        g_pressButton = c.button;
        g_shownText.clear();
        SetTimer(NULL, 0, 50, PressTimer);
        ASSERT_TRUE(doDialog(NULL, "hfntset.dll", IDD_LICENSE, "FLicenseDlgProc", "hfntset.dll", 0, 0));
        EXPECT_EQ(c.event, Event());
        EXPECT_EQ(text, g_shownText) << "pressing " << c.button;
    }
    EXPECT_TRUE(killDialogs(1));
    FreeLibrary(toolkit);
}

}  // namespace

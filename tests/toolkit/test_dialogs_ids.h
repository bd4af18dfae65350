/* Dialogs and commands of the test dialog library tkdialogs.dll. */
#ifndef TOOLKIT_TEST_DIALOGS_IDS_H
#define TOOLKIT_TEST_DIALOGS_IDS_H

#define IDD_TEST_FIRST    100
#define IDD_TEST_SECOND   101

/* Commands: buttons of both dialogs, and codes to post at WM_INITDIALOG. */
#define IDC_TEST_CONTINUE 1001 /* DLGEVENT = CONTINUE */
#define IDC_TEST_EXIT     1002 /* DLGEVENT = EXIT */
#define IDC_TEST_DESTROY  1003 /* the dialog destroys itself */
#define IDC_TEST_QUIT     1004 /* a quit message is posted */
#define IDC_TEST_BACK     1005 /* DLGEVENT = BACK */
#define IDC_TEST_FIELD    1010

#endif

/*
 * Identifiers of the resource library HFNTSET.DLL: dialog templates, their
 * controls, bitmaps and strings. Shared by the .rc files and the program;
 * the numbers are the contract between them and never change.
 */
#ifndef RESOURCE_IDS_H
#define RESOURCE_IDS_H

/* Dialog templates */
#define IDD_WELCOME          130
#define IDD_DESTINATION      135
#define IDD_SERVICE_STOP     137
#define IDD_SOURCE_PROMPT    141
#define IDD_CONFIRM          143
#define IDD_SERVICE_CREATE   144
#define IDD_SERVICE_REMOVE   145
#define IDD_SQL_ACCOUNT      147
#define IDD_LICENSE          4800
#define IDD_SERVICE_START    7204

/* Bitmaps */
#define IDB_FRAME            102
#define IDB_WELCOME          103
#define IDB_DESTINATION      108
#define IDB_CONFIRM          115
#define IDB_SQL_ACCOUNT      116

/* Controls shared by the pages */
#define IDC_CANCEL           2
#define IDC_PICTURE          1024
#define IDC_BACK             1043
#define IDC_NEXT             1044

/* Welcome page */
#define IDC_REMOVE_CHOICE    1029
#define IDC_INSTALL_CHOICE   1045
#define IDC_WELCOME_TEXT     1100

/* Source prompt */
#define IDC_SOURCE_DIR       1003
#define IDC_SOURCE_TEXT      1101

/* Work dialogs */
#define IDC_SERVICE_STATUS   1006
#define IDC_START_STATUS     1048

/* Destination page */
#define IDC_DRIVE_LIST       1009
#define IDC_FREE_SPACE       1017
#define IDC_REQUIRED_SPACE   1020
#define IDC_DRIVE_LABEL      1023
#define IDC_DEST_DIR         1027
#define IDC_DEST_TEXT        1102

/* SQL account page */
#define IDC_SQL_LOGIN        1040
#define IDC_SQL_PASSWORD     1041
#define IDC_SQL_CONFIRM      1042
#define IDC_SQL_TEXT         1103

/* Confirmation page */
#define IDC_CONFIRM_TEXT     1104
#define IDC_CONFIRM_SUMMARY  1105
/* Its summary of what will be done: a format taking the directory, the
 * login, the service's display name and one of the two service texts. */
#define IDS_CONFIRM_SUMMARY          10150
#define IDS_CONFIRM_NO_LOGIN         10151
#define IDS_CONFIRM_SERVICE_NEW      10152
#define IDS_CONFIRM_SERVICE_REPLACED 10153

/* Licence dialog */
#define IDC_LICENSE_TEXT     4801
#define IDC_LICENSE_ACCEPT   4802
#define IDC_LICENSE_DECLINE  4803
#define IDC_LICENSE_PROMPT   4804

/* Strings */
#define IDS_GENERAL_FAILURE        1024
#define IDS_QUIT_DURING_TOOLKIT    1025
#define IDS_SERVICE_DELETE_FAILED  10002
#define IDS_SERVICE_CREATE_FAILED  10003
#define IDS_CONFIG_WRITE_FAILED    10005
#define IDS_ALREADY_RUNNING        10009
#define IDS_CONFIG_FILE_BAD        10011
#define IDS_FATAL_ERROR            10019
#define IDS_PROGMAN_GROUP          10024
#define IDS_FRAME_TITLE            10025
#define IDS_NOT_ADMINISTRATOR      10026
/* The title of every box, and the name the stop question gives setup. */
#define IDS_BOX_TITLE              10027
#define IDS_STOP_SERVICES          10029
#define IDS_PASSWORD_MISMATCH      10045
#define IDS_EXIT_QUESTION          10052
#define IDS_DEST_EMPTY             10053
#define IDS_DEST_BAD_PATH          10054
#define IDS_DEST_BAD_DRIVE         10055
#define IDS_DEST_NO_SPACE          10056
#define IDS_DEST_CREATE            10057
#define IDS_DEST_IS_SOURCE         10058
#define IDS_INSTALL_DONE           10059
#define IDS_RPC_SERVICE_TITLE      10061
#define IDS_PROGMAN_ITEM           10062
#define IDS_REMOVE_QUESTION        10063
#define IDS_REMOVE_DONE            10064
#define IDS_REMOVE_NO_SERVICE      10065
#define IDS_REMOVE_FILES_LEFT      10067
#define IDS_REMOVE_NOT_INSTALLED   10068
#define IDS_BRD_SERVICE_TITLE      10074
#define IDS_REGISTER_FAILED        10075
#define IDS_START_SERVICE          10076
/* Texts for refusals the program makes of its own. */
#define IDS_CREDENTIAL_UNUSABLE    10080
#define IDS_CONFIG_NAME_TOO_LONG   10081
#define IDS_SOURCE_DIR_TOO_LONG    10082
#define IDS_FIELD_TOO_LONG         10083
/* Outcomes of unattended runs and the removal's leftovers. */
#define IDS_SETUP_INF_MISSING      10085
#define IDS_DISTRIBUTION_TOO_DEEP  10086
#define IDS_INSTALL_PATH_UNUSABLE  10087
#define IDS_CONFIG_VALUE_TOO_LONG  10088
#define IDS_SERVICE_WILL_NOT_STOP  10089
#define IDS_AGENT_DIR_UNKNOWN      10090
#define IDS_OTHER_AGENT_UNKNOWN    10091
#define IDS_SERVICE_DIR_UNKNOWN    10092
#define IDS_HANDOVER_NO_PROGRAM    10093
#define IDS_HANDOVER_FAILED        10094
#define IDS_FILES_LEFT             10095
#define IDS_REGISTRY_LEFT          10096
#define IDS_SERVICE_NOT_RESTARTED  10097
#define IDS_MORE_PROBLEMS          10098
#define IDS_SHORTCUT_LEFT          10099
#define IDS_REMOVAL_NOT_REGISTERED 10100
/* The library's own: the licence dialog could not find its text. */
#define IDS_LICENSE_UNAVAILABLE    10084
#define IDS_CONFIG_KEY_UNPROTECTED 10110
/* setup /?: the command lines. */
#define IDS_USAGE                  10111
/* What a refused destination breaks, naming what was typed. */
#define IDS_DEST_NOT_FULL          10120
#define IDS_DEST_NO_DRIVE          10121
#define IDS_DEST_BAD_NAME          10122
#define IDS_DEST_EMPTY_NAME        10123
/* A copy that ended early, and what it left. */
#define IDS_COPY_STOPPED           10124
#define IDS_COPY_FAILED            10125
#define IDS_COPY_LEFT              10126
/* The removal alone, as Programs and Features starts it. */
#define IDS_STOP_SERVICES_REMOVE   10127
#define IDS_REMOVE_CANCELLED       10128
#define IDS_EXIT_QUESTION_REINSTALL 10129
/* The end of an install: whether the service runs. */
#define IDS_DONE_SERVICE_STARTED   10130
#define IDS_DONE_SERVICE_STOPPED   10131
#define IDS_EMPTY_LOGIN_QUESTION   10132
/* What a removal leaves and what a run that lost the instance check says. */
#define IDS_DIRECTORY_LEFT         10140
#define IDS_SERVICE_REFUSED_STOP   10141
#define IDS_DIRECTORY_NOT_SAFE     10142
#define IDS_ROLLBACK_EARLIER_KEPT  10170
#define IDS_ROLLBACK_NOTHING_LEFT  10171
#define IDS_ROLLBACK_INCOMPLETE    10172
#define IDS_INSTALL_FAILED_AT      10173
#define IDS_INSTALL_CANCELLED_AT   10174
#define IDS_STEP_STOP_SERVICES     10175
#define IDS_STEP_DIRECTORY         10176
#define IDS_STEP_COPY              10177
#define IDS_STEP_CONFIGURATION     10178
#define IDS_STEP_PRODUCT           10179
#define IDS_STEP_SHORTCUT          10180
#define IDS_STEP_SERVICES          10181
#define IDS_STEP_START             10182
#define IDS_STEP_ENTRY             10183
#define IDS_REASON_IN_LOG          10184
#define IDS_RESTART_COMPLETES      10185
#define IDS_UNATTENDED_NO_SPACE    10186

/* The program's own licence resource (in setup.exe, not in the library). */
#define IDR_LICENSE                256
/* The program's icon, its first: Programs and Features shows it too. */
#define IDI_SETUP                  1

#endif

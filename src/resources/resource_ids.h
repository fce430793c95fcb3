// Resource identifiers shared by the resource scripts and the code. Plain
// macros so that the resource compiler can read them too. Every page and
// dialog has a left-to-right template and a mirrored twin, except About,
// which mirrors itself at run time.
#pragma once

// ---- Templates -------------------------------------------------------------
#define IDD_PRINT_AND_HOLD 3006
#define IDD_PRINT_AND_HOLD_RTL 3500
#define IDD_TROUBLESHOOTING 3023
#define IDD_TROUBLESHOOTING_RTL 3501
#define IDD_ABOUT 3026
#define IDD_OUTRIDER_SETTINGS 3027
#define IDD_OUTRIDER_SETTINGS_RTL 3502
#define IDD_COPIES_SETTING 3042
#define IDD_COPIES_SETTING_RTL 3503
#define IDD_JOB_ACCOUNTING 3044
#define IDD_JOB_ACCOUNTING_RTL 3505

// Buttons every job-option dialog has besides IDOK (1) and IDCANCEL (2).
#define IDC_HELP_BUTTON 9

// ---- Print and Hold (3006/3500) ---------------------------------------------
#define IDC_PH_OPTIONS_GROUP 1085
#define IDC_PH_MODE_LABEL 1073
#define IDC_PH_MODE_LIST 1074
#define IDC_PH_STORE_JOB 1169
#define IDC_PH_STORE_PUBLIC 1000
#define IDC_PH_PRINT_AT_LABEL 1131
#define IDC_PH_DATE_PICKER 1143
#define IDC_PH_TIME_PICKER 1132
#define IDC_PH_USER_ID_LABEL 1189
#define IDC_PH_USER_ID 1191
#define IDC_PH_USER_ID_HINT 1190
#define IDC_PH_JOB_NAME_LABEL 1064
#define IDC_PH_JOB_NAME 1066
#define IDC_PH_JOB_NAME_HINT 1065
#define IDC_PH_PASSCODE_LABEL 1018
#define IDC_PH_PASSCODE 1020
#define IDC_PH_PASSCODE_HINT_EQUAL 1019
#define IDC_PH_PASSCODE_HINT_RANGE 1353
#define IDC_PH_CONFIRM_LABEL 1348
#define IDC_PH_CONFIRM 1349
#define IDC_PH_CONFIRM_HINT_EQUAL 1021
#define IDC_PH_CONFIRM_HINT_RANGE 1354

// ---- Copies Setting (3042/3503) ---------------------------------------------
#define IDC_CP_GROUP 1022
#define IDC_CP_COLOR_LABEL 1356
#define IDC_CP_COLOR 1257
#define IDC_CP_OF_LABEL 1261
#define IDC_CP_TOTAL 1262
#define IDC_CP_GRAY_LABEL 1358
#define IDC_CP_GRAY 1259
#define IDC_CP_GRAY_UPDOWN 1260

// ---- Job Accounting (3044/3505) ---------------------------------------------
#define IDC_JA_OPTIONS_GROUP 1085
#define IDC_JA_USER_ID_LABEL 1189
#define IDC_JA_USER_ID 1191
#define IDC_JA_USER_ID_HINT 1190
#define IDC_JA_PASSWORD_LABEL 1018
#define IDC_JA_PASSWORD 1020
#define IDC_JA_PASSWORD_HINT 1400
#define IDC_JA_CONFIRM_LABEL 1348
#define IDC_JA_CONFIRM 1349
#define IDC_JA_CONFIRM_HINT 1401

// ---- Troubleshooting page (3023/3501) ---------------------------------------
#define IDC_TS_OUTRIDER_GROUP 1241
#define IDC_TS_OUTRIDER_TEXT 1242
#define IDC_TS_OUTRIDER_LAST_TOPIC 1243
#define IDC_TS_OUTRIDER_SETTINGS 1225
#define IDC_TS_DIAG_GROUP 1131
#define IDC_TS_DIAG_TEXT 1239
#define IDC_TS_DIAG_LIST 1238
#define IDC_TS_DIAG_PRINT 1223
#define IDC_TS_LINK_GROUP 1224
#define IDC_TS_LINK_1 1212
#define IDC_TS_LINK_2 1213
#define IDC_TS_LINK_3 1214
#define IDC_TS_LINK_4 1215
#define IDC_TS_LINK_5 1216
#define IDC_TS_LINK_6 1217
#define IDC_TS_ABOUT 1229
#define IDC_TS_LOGO 1071
#define IDC_TS_HELP 1001

// ---- Job-status alert settings (3027/3502) ---------------------------------
#define IDC_OR_ENABLE 1246
#define IDC_OR_INTERVAL 1244
#define IDC_OR_INTERVAL_UPDOWN 1245
#define IDC_OR_INTERVAL_LABEL 1242

// ---- About (3026) -----------------------------------------------------------
#define IDC_AB_DETAILS 1002

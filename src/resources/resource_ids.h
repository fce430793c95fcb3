// Resource identifiers shared by the resource scripts and the code. Plain
// macros so that the resource compiler can read them too.
#pragma once

// Troubleshooting page: left-to-right template and its mirrored twin.
#define IDD_TROUBLESHOOTING 3023
#define IDD_TROUBLESHOOTING_RTL 3501

// Troubleshooting page controls.
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

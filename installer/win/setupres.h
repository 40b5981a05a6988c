// Control ids of the installer's dialogs.
#ifndef QUIL_INSTALLER_WIN_SETUPRES_H
#define QUIL_INSTALLER_WIN_SETUPRES_H

// SETUP1
#define IDC_S1_DRIVE 101
#define IDC_S1_TEXT 102
#define IDC_S1_NEWFOLDER 3

// SETUP2
#define IDC_S2_TEXT 107
#define IDC_S2_BACK 111
#define IDC_S2_CLEAR 2003
#define IDC_S2_INSTALL0 200
#define IDC_S2_ICON0 400

// SETUP3
#define IDC_S3_PATH 1036
#define IDC_S3_TITLE 1037
#define IDC_S3_TEXT 1038
#define IDC_S3_BROWSE 1039

// DISPLAY
#define IDC_D_COUNT 110
#define IDC_D_LINE 111
#define IDC_D_GROUP 112
#define IDC_D_LIST 1034

#endif

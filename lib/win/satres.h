// Control ids of the common dialogs of the satellite programs (shared by
// the resource scripts and the code).
#ifndef QUIL_LIB_WIN_SATRES_H
#define QUIL_LIB_WIN_SATRES_H

#define IDC_MSG_TEXT 1240
#define IDC_MSG_YES 6
#define IDC_MSG_NO 7

#define IDC_RUN_APP 400
#define IDC_RUN_FILE 401
#define IDC_RUN_CLEANAPPS 402
#define IDC_RUN_CLEANFILES 403
#define IDC_RUN_DELAPP 406
#define IDC_RUN_DELFILE 407
#define IDC_RUN_BROWSEAPP 450
#define IDC_RUN_BROWSEFILE 451

#define IDC_ANYLIST 1000
#define IDC_DISPLAY_LIST 1012

#define ID_HELP_CMD 10
#define ID_RUN_CMD 11
#define ID_SETUP_CMD 12

#endif

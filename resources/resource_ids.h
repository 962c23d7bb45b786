/* Resource and control ids shared by MivoCompile.rc and the code.
   Templates 1xx, controls 1xxx, menu commands 4xxxx. Kept to the preprocessor
   subset that the resource compiler understands. */
#ifndef MIVOCOMPILE_RESOURCE_IDS_H
#define MIVOCOMPILE_RESOURCE_IDS_H

#define IDD_ABOUT 102
#define IDD_MAIN_PANEL 103
#define IDD_DEBUG_WINDOW 104
#define IDI_PROGRAM 105

/* Main panel */
#define IDC_COMPILE 1000
#define IDC_RUN_AFTER_COMPILE 1001
#define IDC_RUN_EXE 1002
#define IDC_SELECT_RC 1007
#define IDC_RC_PATH 1008
#define IDC_RUN_PARAMETERS 1010

/* Debug window */
#define IDC_DEBUG_LIST 1009

/* About box */
#define IDC_ABOUT_NAME 1002
#define IDC_ABOUT_VERSION 1003
#define IDC_ABOUT_AUTHOR 1004
#define IDC_ABOUT_DATE 1005

/* Menu "Menu" */
#define IDM_EXIT 40001
#define IDM_ABOUT 40002
#define IDM_DEBUG 40003
#define IDM_OPEN 40004
#define IDM_BACKUP 40005

/* Version record and build constants shared by the title, the About box and the .rc */
#define MIVO_VERSION_TEXT "A1.00.04"
#define MIVO_AUTHOR_CREDIT "The VORN Mivo tools team"
#define MIVO_FILE_VERSION 1, 0, 0, 1
#define MIVO_FILE_VERSION_TEXT "1, 0, 0, 1"

#endif

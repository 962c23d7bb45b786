/* Ids of the driver's target program, shared by target.rc and the driver's tests. */
#ifndef E2E_TARGET_IDS_H
#define E2E_TARGET_IDS_H

#define IDD_TARGET_PANEL 201
#define IDD_TARGET_LOG 202

#define IDC_T_SHOW_BOX 1101
#define IDC_T_DISABLED 1102
#define IDC_T_OPTION 1103
#define IDC_T_DIRECTORY 1104
#define IDC_T_VARIABLE 1105
#define IDC_T_ADD_LINES 1106
#define IDC_T_HANG 1107
#define IDC_T_OPEN 1108
#define IDC_T_STATUS 1109
#define IDC_T_LOG_LIST 1201

#define IDM_T_SHOW_BOX 501
#define IDM_T_OPEN 502
#define IDM_T_EXIT 503
#define IDM_T_LOG 510
#define IDM_T_HELP 520

#define TARGET_CLASS "E2E Target"
#define TARGET_TITLE "E2E Target Window"
#define TARGET_LOG_CAPTION "E2E Target Log"
#define TARGET_BOX_CAPTION "Target Box"
#define TARGET_EXIT_CODE 7

#endif

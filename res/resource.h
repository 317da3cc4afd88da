// Resource and control ids shared by the .rc files and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_KSINSTALLER_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_CHOOSE_DIRECTORY 130
#define IDI_FOLDER_CLOSED 134
#define IDI_FOLDER_OPEN 135

#define IDC_CHANGE_PATH 1001
#define IDC_GAME_PATH 1002
#define IDC_INSTALL 1003
#define IDC_RESET_DEFAULT 1004
#define IDC_FOLDER_LIST 1006
#define IDC_DIRECTORY_NAME 1007
#define IDC_PICTURE 1008

// System-menu command of the About box; the low four bits are the system's own.
#define IDM_ABOUTBOX 0x0010
// System-menu command that puts the kept game files back.
#define IDM_RESTORE 0x0020

#define KS_VERSION_NUMBERS 1, 2, 0, 4
#define KS_VERSION_TEXT "1.2.0.4"

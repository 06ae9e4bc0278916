#pragma once
// Resource and command identifiers, shared by the resource script and the code.

#define IDD_ABOUTBOX 100
#define IDD_MAINDIALOG 102
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 130
#define IDI_NORMAL 131
#define IDI_ERROR_MARK 136
#define IDI_RECEIVING_FIRST 143  // 143-150
#define IDI_NEWMAIL_FIRST 153    // 153-157

#define IDM_ABOUTBOX 16
#define ID_SHOW_LIST 32771
#define ID_CHECK_NOW 32773
#define ID_SETTINGS 32880
#define ID_START_MAILER 32881
#define ID_APP_EXIT 57665

#define IDC_VERSION_TEXT 1000
#define IDC_HOMEPAGE 1001

// The list window's commands: its context menu with the pictures of its items, and the
// attachment dialog.
#define IDB_MENU_IMAGES 140  // one 16-pixel picture per command, magenta transparent
#define IDR_CONTEXT_MENU 142
#define IDD_ATTACHMENT 142
#define IDC_ATTACH_QUESTION 1012
#define IDC_ATTACH_SAVE 1028
#define ID_LIST_DELETE 32772
#define ID_READ_UNREAD 32774
#define ID_OPEN_IN_EDITOR 32775
#define ID_OPEN_LINK 32879
#define ID_EDIT_COPY 57634
#define ID_EDIT_SELECT_ALL 57642

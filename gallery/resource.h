// Resource and control identifiers of the gallery.
#pragma once

#define IDI_GALLERY 1
#define IDD_GALLERY 100
#define IDR_GALLERY_MENU 101
#define IDR_GALLERY_KEYS 102

// Menu commands. The Theme menu's items are numbered from IDM_FIRST_THEME, one a file.
#define IDM_DISABLE_ALL 200
#define IDM_EXIT 201
#define IDM_FIRST_THEME 0x1000

// Controls, in the order the dialog lays them out.
#define IDC_TOOLBAR 1000
#define IDC_BUTTONS_GROUP 1001
#define IDC_PUSH 1002
#define IDC_PUSH_DEFAULT 1003
#define IDC_PUSH_DISABLED 1004
#define IDC_CHECK_OFF 1005
#define IDC_CHECK_ON 1006
#define IDC_CHECK_MIXED 1007
#define IDC_CHECK_DISABLED 1008
#define IDC_RADIO_ON 1009
#define IDC_RADIO_OFF 1010
#define IDC_RADIO_DISABLED 1011
#define IDC_STATIC_TEXT 1012
#define IDC_EDITS_GROUP 1013
#define IDC_EDIT 1014
#define IDC_EDIT_MULTI 1015
#define IDC_EDIT_READONLY 1016
#define IDC_EDIT_DISABLED 1017
#define IDC_LIST_SELECTED 1018
#define IDC_LIST_LONG 1019
#define IDC_LISTS_GROUP 1020
#define IDC_COMBO_SIMPLE 1021
#define IDC_COMBO_DROPDOWN 1022
#define IDC_COMBO_LIST 1023
#define IDC_SCROLLBAR 1024
#define IDC_PROGRESS 1025
#define IDC_TRACKBAR 1026
#define IDC_UPDOWN_BUDDY 1027
#define IDC_UPDOWN 1028
#define IDC_TAB 1029
#define IDC_LISTVIEW 1030
#define IDC_TREEVIEW 1031
#define IDC_STATUS 1032
#define IDC_LABEL 1033

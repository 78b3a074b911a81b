/* Control ids of the options dialog, its six pages and the font dialog. Plain C preprocessor
   only: windres reads this file too. The language files name controls by these numbers. */
#pragma once

/* The hand shown over the link line. */
#define IDC_LINK_HAND 105

/* Options dialog (IDD_OPTIONS). */
#define IDC_OPTIONS_ICON 1038
#define IDC_PRODUCT_NAME 1039
#define IDC_VERSION_LINE 1040
#define IDC_LEGAL_LINE 1041
#define IDC_MAKER_LINK 1042
#define IDC_PAGE_TABS 1043
#define IDC_SHOW_TRAY_ICON 1044
#define IDC_RUN_AT_LOGON 1045
#define IDC_LANGUAGE_BUTTON 1101

/* Under each page's hotkey control: what the control puts in place of a key that types. */
#define IDC_HOTKEY_NOTE 1105

/* Zoom page. */
#define IDC_ZOOM_HELP 1001
#define IDC_ZOOM_HOTKEY_LABEL 1002
#define IDC_ZOOM_HOTKEY 1003
#define IDC_ANIMATE_ZOOM 1004
#define IDC_ZOOM_LEVEL_LABEL 1005
#define IDC_ZOOM_LEVEL 1006

/* LiveZoom page. */
#define IDC_LIVEZOOM_HELP1 1007
#define IDC_LIVEZOOM_HELP2 1008
#define IDC_LIVEZOOM_HELP3 1009
#define IDC_LIVEZOOM_HELP4 1010
#define IDC_LIVEZOOM_HOTKEY_LABEL 1011
#define IDC_LIVEZOOM_HOTKEY 1012

/* Draw page: help texts 1013 to 1019. */
#define IDC_DRAW_HELP1 1013
#define IDC_DRAW_HELP2 1014
#define IDC_DRAW_HELP3 1015
#define IDC_DRAW_HELP4 1016
#define IDC_DRAW_HELP5 1017
#define IDC_DRAW_HELP6 1018
#define IDC_DRAW_HELP7 1019
#define IDC_DRAW_HOTKEY_LABEL 1020
#define IDC_DRAW_HOTKEY 1021
#define IDC_DRAW_ADVANCED 1102

/* Type page. */
#define IDC_SET_FONT 1022
#define IDC_FONT_GROUP 1023
#define IDC_TYPE_HELP1 1024
#define IDC_TYPE_HELP2 1025

/* Break page. */
#define IDC_BREAK_HOTKEY 1026
#define IDC_BREAK_HELP 1027
#define IDC_BREAK_MINUTES 1028
#define IDC_BREAK_MINUTES_SPIN 1029
#define IDC_BREAK_ADVANCED 1030
#define IDC_BREAK_TIMER_LABEL 1031
#define IDC_BREAK_MINUTES_LABEL 1032
#define IDC_BREAK_HOTKEY_LABEL 1033
#define IDC_BREAK_HELP2 1034
#define IDC_SHOW_EXPIRED_TIME 1035
#define IDC_BREAK_COLOR 1036
#define IDC_BREAK_COLOR_LABEL 1037
#define IDC_BREAK_USE_PEN_COLOR 1103
#define IDC_BREAK_USE_COLOR 1104

/* Donate page; its link reuses IDC_MAKER_LINK. */
#define IDC_DONATE_TEXT1 1095
#define IDC_DONATE_TEXT2 1096
#define IDC_DONATE_TEXT3 1097
#define IDC_DONATE_TEXT4 1098
#define IDC_DONATE_PICTURE 1099
#define IDC_DONATE_THANKS 1100

/* Font dialog (IDD_FONT): the ids the system font chooser fills. */
#define IDC_FONT_SAMPLE_GROUP 1073
#define IDC_FONT_NAME_LABEL 1088
#define IDC_FONT_STYLE_LABEL 1089
#define IDC_FONT_SIZE_LABEL 1090
#define IDC_FONT_SAMPLE_TEXT 1092
#define IDC_FONT_NAMES 1136
#define IDC_FONT_STYLES 1137
#define IDC_FONT_SIZES 1138

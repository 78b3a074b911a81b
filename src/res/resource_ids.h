/* Resource numbers of the program. Plain C preprocessor only: windres reads this file too. */
#pragma once

#define IDR_ACCELERATORS 101
#define IDI_VISTREL 102
#define IDC_TRANSPARENT 104

/* Dialog templates: the options pages in tab order (Donate is the sixth), the options dialog, the
   advanced break options, the font dialog and the advanced draw options. */
#define IDD_ZOOM_PAGE 106
#define IDD_LIVEZOOM_PAGE 107
#define IDD_DRAW_PAGE 108
#define IDD_TYPE_PAGE 109
#define IDD_BREAK_PAGE 110
#define IDD_OPTIONS 111
#define IDD_ADVANCED_BREAK 112
#define IDD_FONT 113
#define IDD_ADVANCED_DRAW 114
#define IDD_DONATE_PAGE 116

/* The options dialog's language button. */
#define IDI_LANGUAGE 115
/* The built-in Simplified Chinese document, resource type "LANG". */
#define IDR_LANG_CHINESE_SIMPLIFIED 117
/* The Donate page's picture. */
#define IDB_DONATE 118

#define IDM_SAVE 40001
#define IDM_COPY 40002

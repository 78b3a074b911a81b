/* Resource numbers of the program. Plain C preprocessor only: windres reads this file too. */
#pragma once

#define IDR_ACCELERATORS 101
#define IDI_VISTREL 102
#define IDC_TRANSPARENT 104

#define IDM_SAVE 40001
#define IDM_COPY 40002

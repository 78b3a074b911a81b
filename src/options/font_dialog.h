// The typing font chooser of the Type page (template IDD_FONT, "Vistrel Font"): face and style
// only, the size stays at 16 points because typing mode sizes the text itself. The choice lands
// in the options dialog's working copy and is stored only by the dialog's OK.
#pragma once

#include <windows.h>

// Command 1022 of the Type page.
void ChooseTypingFont(HWND page);
// The Type page's WM_PAINT: "Sample" in the working font, centred in the "Text Font" group.
void PaintTypingSample(HWND page);

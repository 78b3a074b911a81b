// The options dialog (see options_dialog.h).
#include "options/options_dialog.h"

#include "zoom/hotkeys.h"

// Until the dialog itself is built, opening it does what its Cancel does: the in-memory hotkeys
// are registered again without reports. A first run therefore still ends with working hotkeys,
// and a second start's hand-over re-registers hotkeys that were taken at start-up.
void OpenOptionsDialog(HWND mainWindow) { RegisterStoredHotkeysQuietly(mainWindow); }

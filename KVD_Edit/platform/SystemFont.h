#pragma once

#include "KVD_Edit/platform/LogFont.h"

// The toolkit's side of the program font: the system font and the font dialog. Both need the
// windowing toolkit to be up (a display opened by the application); before that, and in tests
// that run without a window, they fail instead of touching the toolkit.

// The record of the toolkit's system font; false when it cannot be taken.
bool GetSystemFontRecord(SLogFont &out);
// Shows the font dialog (screen fonts with effects) once; true and the chosen record on OK,
// false on Cancel or when no dialog can be shown.
bool PickFontRecord(SLogFont &out);
// Sounds the warning beep when the toolkit is up.
void WarningBeep();

#pragma once

#include <QPalette>

// The light palette the form is drawn in, whatever palette the desktop
// chooses. The form's colours are fixed (its light background, the grey,
// blue and red of its texts), so the colours they stand on or beside must
// be fixed too: on a dark desktop palette the grey captions would sit on
// dark buttons and the Info tab's palette-coloured texts on the light
// background. Dialogs are windows of their own and follow the desktop.
QPalette formPalette();

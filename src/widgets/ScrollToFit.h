#pragma once

class QWidget;

// A window of fixed size that is taller than the screen's free height gets
// its contents in a scroll area and becomes that high, so every control can
// still be scrolled to (at a large display scale a 540-pixel form does not
// fit a 720-pixel screen). A window that fits is left exactly as it is.
// Call it before the window is shown.
void scrollToFit(QWidget& window, int availableHeight);

#include "widgets/FormPalette.h"

#include <QColor>

// Fusion's light palette, the one the form's colours were chosen against,
// with the form's own light grey as the window's background; every role of
// every group is set, so no role falls through to the desktop's palette.
QPalette formPalette() {
    const QColor formBackground(0xF4, 0xF4, 0xF4);
    const QColor windowText(Qt::black);
    const QColor background(239, 239, 239);
    const QColor light = background.lighter(150);
    const QColor mid = background.darker(130);
    const QColor dark = background.darker(150);
    const QColor base(Qt::white);
    const QColor shadow = dark.darker(135);
    const QColor disabledText(190, 190, 190);
    QColor placeholder = windowText;
    placeholder.setAlpha(128);

    QPalette palette(windowText, background, light, dark, mid, windowText, base);
    palette.setColor(QPalette::Midlight, mid.lighter(110));
    palette.setColor(QPalette::Window, formBackground);
    palette.setColor(QPalette::Button, background);
    palette.setColor(QPalette::Shadow, shadow);
    palette.setColor(QPalette::Highlight, QColor(48, 140, 198));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0, 0, 255));
    palette.setColor(QPalette::LinkVisited, QColor(255, 0, 255));
    palette.setColor(QPalette::AlternateBase, QColor(247, 247, 247));
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::PlaceholderText, placeholder);

    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Base, background);
    palette.setColor(QPalette::Disabled, QPalette::Window, formBackground);
    palette.setColor(QPalette::Disabled, QPalette::Dark, QColor(209, 209, 209).darker(110));
    palette.setColor(QPalette::Disabled, QPalette::Shadow, shadow.lighter(150));
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));
    return palette;
}

#pragma once

#include <QColor>
#include <QPalette>

namespace quarnel::testing {

// A desktop's dark colour scheme as a platform theme hands it to the program
// (the colours of KDE's Breeze Dark): near-white texts, a blue-grey window,
// darker fields.
inline QPalette darkDesktopPalette() {
    QPalette dark(QColor(49, 54, 59));
    dark.setColor(QPalette::Window, QColor(32, 35, 38));
    dark.setColor(QPalette::WindowText, QColor(252, 252, 252));
    dark.setColor(QPalette::Base, QColor(20, 22, 24));
    dark.setColor(QPalette::Text, QColor(252, 252, 252));
    dark.setColor(QPalette::Button, QColor(41, 44, 48));
    dark.setColor(QPalette::ButtonText, QColor(252, 252, 252));
    dark.setColor(QPalette::Highlight, QColor(61, 174, 233));
    dark.setColor(QPalette::HighlightedText, QColor(252, 252, 252));
    return dark;
}

}  // namespace quarnel::testing

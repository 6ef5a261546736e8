#include "widgets/ToggleSwitch.h"

#include <QPainter>

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
}

QSize ToggleSwitch::sizeHint() const {
    return {45, 26};
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF track = QRectF(rect()).adjusted(2, 4, -2, -4);
    const qreal radius = track.height() / 2;
    const QPalette& colours = palette();
    const QColor trackColour =
        isChecked() ? colours.color(QPalette::Highlight) : colours.color(QPalette::Mid);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isEnabled() ? trackColour : colours.color(QPalette::Disabled, QPalette::Mid));
    painter.drawRoundedRect(track, radius, radius);

    const qreal knobSize = track.height() + 4;
    const qreal knobX = isChecked() ? track.right() - knobSize + 2 : track.left() - 2;
    const QRectF knob(knobX, track.center().y() - knobSize / 2, knobSize, knobSize);
    painter.setBrush(colours.color(QPalette::Base));
    painter.setPen(QPen(colours.color(QPalette::Dark), 1));
    painter.drawEllipse(knob);

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(colours.color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRoundedRect(track.adjusted(-1, -1, 1, 1), radius, radius);
    }
}

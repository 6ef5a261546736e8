#include "widgets/ClickableImage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <cmath>

void ClickableImage::setFitted(bool fitted) {
    m_fitted = fitted;
    update();
}

void ClickableImage::setWholePixels(bool wholePixels) {
    m_wholePixels = wholePixels;
    update();
}

ClickableImage::Placement ClickableImage::place(const QPixmap& picture) const {
    const QRect space = contentsRect();
    const QSizeF natural = picture.deviceIndependentSize();
    if (!m_fitted) {
        return {QStyle::alignedRect(layoutDirection(),
                                    QStyle::visualAlignment(layoutDirection(), alignment()),
                                    natural.toSize(), space),
                true};
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = picture.size();
    const int wholeScale = std::min(static_cast<int>(space.width() * ratio) / pixels.width(),
                                    static_cast<int>(space.height() * ratio) / pixels.height());
    if (m_wholePixels && wholeScale >= 1) {
        const QSizeF size = QSizeF(pixels) * wholeScale / ratio;
        // The corner on a screen pixel, so no module is cut across one.
        const QPointF centred = QRectF(space).center() - QPointF(size.width(), size.height()) / 2;
        const QPointF corner(std::floor(centred.x() * ratio) / ratio,
                             std::floor(centred.y() * ratio) / ratio);
        return {{corner, size}, false};
    }
    QSizeF size = natural;
    size.scale(QSizeF(space.size()), Qt::KeepAspectRatio);
    QRectF area(QPointF(), size);
    area.moveCenter(QRectF(space).center());
    return {area, true};
}

void ClickableImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

void ClickableImage::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit clicked();
            return;
        default:
            QLabel::keyPressEvent(event);
    }
}

void ClickableImage::paintEvent(QPaintEvent* event) {
    const QPixmap picture = pixmap();
    if (picture.isNull()) {
        QLabel::paintEvent(event);
    } else {
        QPainter painter(this);
        const Placement placement = place(picture);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, placement.smooth);
        painter.drawPixmap(placement.area, picture, QRectF(picture.rect()));
    }
    // A picture has no look of its own for the focus.
    if (hasFocus()) {
        QPainter painter(this);
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
    }
}

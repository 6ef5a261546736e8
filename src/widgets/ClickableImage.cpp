#include "widgets/ClickableImage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

void ClickableImage::setFitted(bool fitted) {
    m_fitted = fitted;
    update();
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
    if (!m_fitted || picture.isNull()) {
        QLabel::paintEvent(event);
    } else {
        QSize size = picture.size();
        size.scale(contentsRect().size(), Qt::KeepAspectRatio);
        QRect target(QPoint(), size);
        target.moveCenter(contentsRect().center());
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target, picture);
    }
    // A picture has no look of its own for the focus.
    if (hasFocus()) {
        QPainter painter(this);
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
    }
}

#include "widgets/ClickableImage.h"

#include <QMouseEvent>
#include <QPainter>

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

void ClickableImage::paintEvent(QPaintEvent* event) {
    const QPixmap picture = pixmap();
    if (!m_fitted || picture.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QSize size = picture.size();
    size.scale(contentsRect().size(), Qt::KeepAspectRatio);
    QRect target(QPoint(), size);
    target.moveCenter(contentsRect().center());
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, picture);
}

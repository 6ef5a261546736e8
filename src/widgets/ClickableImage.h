#pragma once

#include <QLabel>

// A picture that reports clicks, for images that act as buttons.
class ClickableImage : public QLabel {
    Q_OBJECT

  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

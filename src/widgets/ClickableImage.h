#pragma once

#include <QLabel>

// A picture that reports clicks, for images that act as buttons. With
// `fitted` on, the picture is scaled into the control keeping its proportions
// (a square QR code stays square in a control that is not). A picture that
// takes the focus is pressed with Space, Return or Enter as a button is.
class ClickableImage : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool fitted READ isFitted WRITE setFitted)

  public:
    using QLabel::QLabel;

    bool isFitted() const { return m_fitted; }
    void setFitted(bool fitted);

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool m_fitted = false;
};

#pragma once

#include <QLabel>

// A picture that reports clicks, for images that act as buttons. With
// `fitted` on, the picture is scaled into the control keeping its proportions
// (a square QR code stays square in a control that is not). With
// `wholePixels` on as well, each pixel of the picture becomes a square of
// whole screen pixels, drawn without smoothing: a QR code drawn one pixel
// per module keeps sharp, even modules at every display scale. Other
// pictures are scaled smoothly where the display scale enlarges them. A
// picture that takes the focus is pressed with Space, Return or Enter as a
// button is.
class ClickableImage : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool fitted READ isFitted WRITE setFitted)
    Q_PROPERTY(bool wholePixels READ hasWholePixels WRITE setWholePixels)

  public:
    using QLabel::QLabel;

    bool isFitted() const { return m_fitted; }
    void setFitted(bool fitted);
    bool hasWholePixels() const { return m_wholePixels; }
    void setWholePixels(bool wholePixels);

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // Where the picture goes, in the control's own (logical) pixels, and
    // whether it is smoothed there.
    struct Placement {
        QRectF area;
        bool smooth;
    };
    Placement place(const QPixmap& picture) const;

    bool m_fitted = false;
    bool m_wholePixels = false;
};

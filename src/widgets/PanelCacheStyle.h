#pragma once

#include <QHash>
#include <QPixmap>
#include <QProxyStyle>

// The Fusion style, with the panels of single-line edits drawn once and then
// copied. Fusion strokes an edit's rounded, antialiased frame on every repaint,
// which costs twice as much as the text inside, and the clock displays repaint
// on every tick. The copy is Fusion's own drawing of a panel of the same size,
// state and colours, so it looks the same to the pixel.
class PanelCacheStyle : public QProxyStyle {
    Q_OBJECT

  public:
    PanelCacheStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    // What a panel's pixels depend on.
    struct PanelKey {
        QSize size;
        qreal pixelRatio;
        int state;
        int lineWidth;
        QRgb base;
        QRgb window;
        QRgb highlight;

        bool operator==(const PanelKey&) const = default;
    };

  private:
    mutable QHash<PanelKey, QPixmap> m_panels;
};

size_t qHash(const PanelCacheStyle::PanelKey& key, size_t seed = 0);

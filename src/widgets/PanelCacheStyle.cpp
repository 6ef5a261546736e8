#include "widgets/PanelCacheStyle.h"

#include <QPainter>
#include <QStyleOption>

namespace {

// A window has a handful of panels (sizes times focus and activation states);
// the bound only keeps an unusual caller from growing the cache without end.
constexpr qsizetype kMostPanels = 64;

}  // namespace

size_t qHash(const PanelCacheStyle::PanelKey& key, size_t seed) {
    return qHashMulti(seed, key.size.width(), key.size.height(), key.pixelRatio, key.state,
                      key.lineWidth, key.base, key.window, key.highlight);
}

PanelCacheStyle::PanelCacheStyle() : QProxyStyle(QStringLiteral("Fusion")) {}

// Fusion draws an edit's panel from the option's size, state and line width and
// from three colours: base for the inside, window and highlight for the frame.
// A patterned base brush or a scaling painter would not survive the copy; they
// are drawn directly.
void PanelCacheStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != PE_PanelLineEdit || frame == nullptr ||
        option->palette.base().style() != Qt::SolidPattern ||
        painter->transform().type() > QTransform::TxTranslate) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QPalette& colours = option->palette;
    const PanelKey key{option->rect.size(),
                       painter->device()->devicePixelRatio(),
                       static_cast<int>(option->state),
                       frame->lineWidth,
                       colours.base().color().rgba(),
                       colours.window().color().rgba(),
                       colours.highlight().color().rgba()};
    auto found = m_panels.constFind(key);
    if (found == m_panels.constEnd()) {
        QPixmap panel(option->rect.size() * key.pixelRatio);
        panel.setDevicePixelRatio(key.pixelRatio);
        panel.fill(Qt::transparent);
        QStyleOptionFrame atOrigin(*frame);
        atOrigin.rect.moveTo(0, 0);
        QPainter panelPainter(&panel);
        QProxyStyle::drawPrimitive(element, &atOrigin, &panelPainter, widget);
        panelPainter.end();
        if (m_panels.size() >= kMostPanels) {
            m_panels.clear();
        }
        found = m_panels.insert(key, panel);
    }
    painter->drawPixmap(option->rect.topLeft(), *found);
}

#include <gmock/gmock.h>

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "widgets/PanelCacheStyle.h"

namespace {

struct PanelCase {
    const char* name;
    QStyle::State state;
    QColor base;
    QSize size;
    qreal pixelRatio;
};

const QColor kWindowBackground(0xF4, 0xF4, 0xF4);

QImage drawPanel(const QStyle& style, const PanelCase& panel, const QBrush& background) {
    QImage image(QSize(260, 60) * panel.pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(panel.pixelRatio);
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, 260, 60), background);

    QStyleOptionFrame option;
    option.rect = QRect(QPoint(13, 7), panel.size);
    option.state = panel.state;
    option.lineWidth = style.pixelMetric(QStyle::PM_DefaultFrameWidth);
    option.palette = style.standardPalette();
    option.palette.setColor(QPalette::Base, panel.base);
    style.drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter);
    return image;
}

// Several colours beneath, as the antialiased corners blend with them.
QBrush mixedBackground() {
    QLinearGradient gradient(0, 0, 260, 60);
    gradient.setColorAt(0, kWindowBackground);
    gradient.setColorAt(1, QColor(0x20, 0x60, 0xA0));
    return gradient;
}

int largestChannelDifference(const QImage& one, const QImage& other) {
    EXPECT_EQ(one.size(), other.size());
    int largest = 0;
    for (int y = 0; y < one.height(); ++y) {
        for (int x = 0; x < one.width(); ++x) {
            const QRgb a = one.pixel(x, y);
            const QRgb b = other.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(a) - qRed(b)),
                                std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
        }
    }
    return largest;
}

class PanelCacheStyleTest : public ::testing::TestWithParam<PanelCase> {};

// Blending the copy over a background rounds differently from drawing onto it:
// an antialiased corner pixel may be one level (of 255) off.
TEST_P(PanelCacheStyleTest, APanelLooksAsFusionDrawsItFirstAndFromTheCache) {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    PanelCacheStyle cached;
    const QImage expected = drawPanel(*fusion, GetParam(), mixedBackground());
    EXPECT_LE(largestChannelDifference(drawPanel(cached, GetParam(), mixedBackground()), expected),
              1)
        << "first drawing";
    EXPECT_LE(largestChannelDifference(drawPanel(cached, GetParam(), mixedBackground()), expected),
              1)
        << "copied from the cache";
}

constexpr QStyle::State kEnabled = QStyle::State_Enabled | QStyle::State_Active;

INSTANTIATE_TEST_SUITE_P(
    Panels, PanelCacheStyleTest,
    ::testing::Values(
        PanelCase{"clock", kEnabled | QStyle::State_ReadOnly, Qt::white, {217, 26}, 1},
        PanelCase{"focused", kEnabled | QStyle::State_HasFocus, Qt::white, {201, 26}, 1},
        PanelCase{"disabled", QStyle::State_None, QColor(0xE0, 0xE0, 0xE0), {81, 36}, 1},
        PanelCase{"coloured", kEnabled, QColor(0xFF, 0xF0, 0xC0), {113, 36}, 1},
        PanelCase{"high_density", kEnabled | QStyle::State_HasFocus, Qt::white, {217, 25}, 2}),
    [](const ::testing::TestParamInfo<PanelCase>& instance) {
        return std::string(instance.param.name);
    });

TEST(PanelCacheStyle, OnTheWindowsBackgroundTheClockPanelIsExact) {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    PanelCacheStyle cached;
    const PanelCase clock{"", kEnabled | QStyle::State_ReadOnly, Qt::white, {217, 26}, 1};
    const QImage expected = drawPanel(*fusion, clock, kWindowBackground);
    EXPECT_EQ(drawPanel(cached, clock, kWindowBackground), expected);
    EXPECT_EQ(drawPanel(cached, clock, kWindowBackground), expected);
}

// A panel of the same size in other colours or another state is drawn anew,
// not taken from the cache.
TEST(PanelCacheStyle, PanelsThatDifferOnlyInColourOrStateAreKeptApart) {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    PanelCacheStyle cached;
    PanelCase panel{"", kEnabled, Qt::white, {217, 26}, 1};
    drawPanel(cached, panel, kWindowBackground);

    panel.base = QColor(0xFF, 0xC0, 0xC0);
    EXPECT_EQ(drawPanel(cached, panel, kWindowBackground),
              drawPanel(*fusion, panel, kWindowBackground))
        << "another base colour";
    panel.state |= QStyle::State_HasFocus;
    EXPECT_EQ(drawPanel(cached, panel, kWindowBackground),
              drawPanel(*fusion, panel, kWindowBackground))
        << "focused";
}

// The whole edit, text included, as the window shows it.
TEST(PanelCacheStyle, AnEditLooksTheSame) {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    PanelCacheStyle cached;
    QLineEdit edit(QStringLiteral("31.12.2021 23.59.59,950"));
    edit.resize(217, 26);
    const auto render = [&edit](QStyle& style) {
        edit.setStyle(&style);
        QImage image(edit.size(), QImage::Format_RGB32);
        image.fill(kWindowBackground);
        edit.render(&image, {}, {}, QWidget::DrawChildren);
        return image;
    };
    const QImage expected = render(*fusion);
    EXPECT_EQ(render(cached), expected);
    EXPECT_EQ(render(cached), expected);
}

}  // namespace

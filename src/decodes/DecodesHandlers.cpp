// The decoders' reports: the Decodes line and the Use button of the Timeshift
// tab, the listening switch, address and port of the Setup tab, and their
// keys in the settings file.
#include <QHostAddress>
#include <QLocale>

#include "app/Tabbedtemplate.h"
#include "decodes/DecodesText.h"
#include "settings/IniDocument.h"

namespace {

constexpr std::string_view kSection = "Decodes";
constexpr std::string_view kDefaultAddress = "127.0.0.1";
constexpr std::int32_t kDefaultPort = 2237;

// Why the window cannot listen with these texts; nothing when it can.
QString listeningProblem(const QString& addressText, QHostAddress& address, const QString& portText,
                         quint16& port) {
    if (!address.setAddress(addressText)) {
        return QStringLiteral("'%1' is not an IP address").arg(addressText);
    }
    bool isNumber = false;
    const uint value = portText.toUInt(&isNumber);
    if (!isNumber || value < 1 || value > 65535) {
        return QStringLiteral("the port must be a number from 1 to 65535");
    }
    port = static_cast<quint16>(value);
    return {};
}

}  // namespace

// Opens, moves or closes the socket to match the Setup tab. A problem is
// shown in the Decodes line, where it stays until the settings change.
void TTabbedForm::ListenToDecoders() {
    if (!swListenDecoders->isChecked()) {
        Decodes.stop();
    } else {
        QHostAddress address;
        quint16 port = 0;
        const QString problem =
            listeningProblem(edDecodesAddress->text(), address, edDecodesPort->text(), port);
        if (problem.isEmpty()) {
            Decodes.listen(address, port);
        } else {
            Decodes.stop(problem);
        }
    }
    ShowDecodes();
}

void TTabbedForm::ShowDecodes() {
    std::optional<quarnel::DtEstimate> estimate;
    if (!Decodes.listening()) {
        const QString problem = Decodes.problem();
        lblDecodes->setText(QStringLiteral("Decodes: ") +
                            (problem.isEmpty() ? QStringLiteral("not listening") : problem));
    } else {
        const quarnel::DecodeSummary summary = Decodes.summary();
        estimate = summary.estimate;
        const QString separator = QLocale().decimalPoint();
        lblDecodes->setText(QString::fromStdString(quarnel::formatDecodesLine(
            summary, Decodes.estimator().settings().window, separator.toStdString())));
    }
    btnUseDecodes->setEnabled(estimate.has_value());
}

// The suggestion becomes the shift to set, as if chosen with + and -; the
// operator still presses SET.
void TTabbedForm::btnUseDecodesClick() {
    const std::optional<quarnel::DtEstimate> estimate = Decodes.summary().estimate;
    if (!estimate) {
        return;
    }
    unit.AlignShift = estimate->suggestedShift;
    unit.AlignSource = QStringLiteral("Use: decodes");
    showAlignShift();
}

void TTabbedForm::swListenDecodersClick() {
    ListenToDecoders();
}

void TTabbedForm::edDecodesAddressChange() {
    if (swListenDecoders->isChecked()) {
        ListenToDecoders();
    }
}

void TTabbedForm::edDecodesPortChange() {
    if (swListenDecoders->isChecked()) {
        ListenToDecoders();
    }
}

// The decodes gathered so far measured the clock before it moved.
void TTabbedForm::DecodesClockMoved(std::int64_t shift) {
    if (shift != 0) {
        Decodes.clockMoved();
    }
}

// A file without the section listens nowhere, as a first start does.
void TTabbedForm::LoadDecodeSettings(const quarnel::IniDocument& settings) {
    swListenDecoders->setChecked(settings.readBool(kSection, "Listen", false));
    edDecodesAddress->setText(QString::fromStdString(
        settings.read(kSection, "Address").value_or(std::string(kDefaultAddress))));
    const std::int32_t port = settings.readInteger(kSection, "Port", kDefaultPort);
    edDecodesPort->setText(QString::number(port >= 1 && port <= 65535 ? port : kDefaultPort));
    ListenToDecoders();
}

void TTabbedForm::SaveDecodeSettings(quarnel::IniDocument& settings) const {
    settings.writeBool(kSection, "Listen", swListenDecoders->isChecked());
    settings.write(kSection, "Address", edDecodesAddress->text().toStdString());
    settings.write(kSection, "Port", edDecodesPort->text().toStdString());
}

// The decoders' reports: the Decodes line and the Use button of the Timeshift
// tab, the listening switch, address and port of the Setup tab, and their
// keys in the settings file.
#include <QLocale>

#include "app/Tabbedtemplate.h"
#include "decodes/DecodesText.h"
#include "settings/IniDocument.h"

namespace {

constexpr std::string_view kSection = "Decodes";
constexpr std::string_view kDefaultAddress = "127.0.0.1";
constexpr std::string_view kDefaultPort = "2237";

// Why the window cannot listen on this port; nothing when it can.
QString portProblem(const QString& portText, quint16& port) {
    if (portText.isEmpty()) {
        return QStringLiteral("no port number given (1-65535)");
    }
    bool isNumber = false;
    const uint value = portText.toUInt(&isNumber);
    if (!isNumber || value < 1 || value > 65535) {
        return QStringLiteral("port %1 is not a port number (1-65535)").arg(portText);
    }
    port = static_cast<quint16>(value);
    return {};
}

}  // namespace

// Opens, moves or closes the socket to match the Setup tab. A problem is
// shown in the Decodes line, where it stays until the settings change.
void TTabbedForm::ListenToDecoders() {
    const QString address = edDecodesAddress->text().trimmed();
    quint16 port = 0;
    const QString problem = address.isEmpty() ? QStringLiteral("no address given")
                                              : portProblem(edDecodesPort->text().trimmed(), port);
    if (!swListenDecoders->isChecked()) {
        Decodes.stop();
    } else if (problem.isEmpty()) {
        Decodes.listen(address, port);
    } else {
        Decodes.stop(problem);
    }
    ShowDecodes();
}

void TTabbedForm::ShowDecodes() {
    std::optional<quarnel::DtEstimate> estimate;
    if (!Decodes.lookingUp().isEmpty()) {
        lblDecodes->setText(QStringLiteral("Decodes: looking up ") + Decodes.lookingUp());
    } else if (!Decodes.listening()) {
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
// The address and port are shown as the file has them, also where they
// cannot be used (the line says why), so that saving writes them back
// unchanged. They are set before the switch, so that nothing listens on a
// mix of the old and the new settings meanwhile.
void TTabbedForm::LoadDecodeSettings(const quarnel::IniDocument& settings) {
    swListenDecoders->setChecked(false);
    edDecodesAddress->setTextAsIs(QString::fromStdString(
        settings.read(kSection, "Address").value_or(std::string(kDefaultAddress))));
    edDecodesPort->setTextAsIs(QString::fromStdString(
        settings.read(kSection, "Port").value_or(std::string(kDefaultPort))));
    swListenDecoders->setChecked(settings.readBool(kSection, "Listen", false));
    ListenToDecoders();
}

void TTabbedForm::SaveDecodeSettings(quarnel::IniDocument& settings) const {
    settings.writeBool(kSection, "Listen", swListenDecoders->isChecked());
    settings.write(kSection, "Address", edDecodesAddress->text().toStdString());
    settings.write(kSection, "Port", edDecodesPort->text().toStdString());
}

#include "decodes/DecodesReference.h"

#include <QLocale>

#include "decodes/DecodesText.h"
#include "widgets/FilterEdit.h"
#include "widgets/ToggleSwitch.h"

namespace {

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

// A file without the section listens nowhere, as a first start does.
DecodesReference::DecodesReference(ToggleSwitch* listenSwitch, FilterEdit* addressField,
                                   FilterEdit* portField)
    : m_listen(listenSwitch),
      m_address(addressField),
      m_port(portField),
      m_settings{"Decodes",
                 {ReferenceSettings::Switch{"Listen", listenSwitch, false},
                  ReferenceSettings::Field{"Address", addressField, "127.0.0.1"},
                  ReferenceSettings::Field{"Port", portField, "2237"}}},
      m_listener() {
    connect(&m_listener, &DecodeListener::changed, this, &ClockReference::changed);
    connect(m_listen, &ToggleSwitch::clicked, this, &DecodesReference::listen);
    for (FilterEdit* field : {m_address, m_port}) {
        connect(field, &FilterEdit::changed, this, [this] {
            if (m_listen->isChecked()) {
                listen();
            }
        });
    }
}

// A problem is shown in the Decodes line, where it stays until the settings
// change.
void DecodesReference::listen() {
    const QString address = m_address->text().trimmed();
    quint16 port = 0;
    const QString problem = address.isEmpty() ? QStringLiteral("no address given")
                                              : portProblem(m_port->text().trimmed(), port);
    if (!m_listen->isChecked()) {
        m_listener.stop();
    } else if (problem.isEmpty()) {
        m_listener.listen(address, port);
    } else {
        m_listener.stop(problem);
    }
    emit changed();
}

QString DecodesReference::line() {
    if (!m_listener.lookingUp().isEmpty()) {
        return QStringLiteral("Decodes: looking up ") + m_listener.lookingUp();
    }
    if (!m_listener.listening()) {
        const QString problem = m_listener.problem();
        return QStringLiteral("Decodes: ") +
               (problem.isEmpty() ? QStringLiteral("not listening") : problem);
    }
    const QString separator = QLocale().decimalPoint();
    return QString::fromStdString(quarnel::formatDecodesLine(
        m_listener.summary(), m_listener.estimator().settings().window, separator.toStdString()));
}

// The suggestion becomes the shift to set, as if chosen with + and -.
std::optional<std::int64_t> DecodesReference::suggestedShift() {
    if (!m_listener.listening()) {
        return std::nullopt;
    }
    const std::optional<quarnel::DtEstimate> estimate = m_listener.summary().estimate;
    if (!estimate) {
        return std::nullopt;
    }
    return estimate->suggestedShift;
}

QString DecodesReference::useToolTip() const {
    return QStringLiteral("Put the shift the decodes suggest into Align timeshift");
}

// The decodes gathered so far measured the clock before it moved.
void DecodesReference::clockMoved(std::int64_t shift) {
    if (shift != 0) {
        m_listener.clockMoved();
    }
}

#include "decodes/window/DecodesReference.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QLocale>
#include <QSignalBlocker>
#include <algorithm>

#include "decodes/DecodesText.h"
#include "text/PortNumber.h"
#include "widgets/FilterEdit.h"
#include "widgets/ToggleSwitch.h"

namespace {

const QString kAllStations = QStringLiteral("All stations");

// Why the window cannot listen on this port; nothing when it can.
QString portProblem(const QString& portText, quint16& port) {
    if (portText.isEmpty()) {
        return QStringLiteral("no port number given (1-65535)");
    }
    const std::optional<std::uint16_t> number = quarnel::portNumber(portText.toStdString());
    if (!number) {
        return QStringLiteral("port %1 is not a port number (1-65535)").arg(portText);
    }
    port = *number;
    return {};
}

QString refusalText(const ListenRefusal& refusal) {
    switch (refusal.step) {
        case ListenRefusal::Step::Lookup:
            return QStringLiteral("cannot find %1: %2").arg(refusal.where, refusal.reason);
        case ListenRefusal::Step::PortTaken:
            return QStringLiteral("port %1 is taken; to share the reports, use a multicast group")
                .arg(refusal.port);
        case ListenRefusal::Step::Bind:
            return QStringLiteral("cannot listen on %1 port %2: %3")
                .arg(refusal.where)
                .arg(refusal.port)
                .arg(refusal.reason);
        case ListenRefusal::Step::Join:
            return QStringLiteral("cannot join the group %1: %2")
                .arg(refusal.where, refusal.reason);
    }
    return refusal.reason;
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
    m_settingsProblem.clear();
    if (!m_listen->isChecked()) {
        m_listener.stop();
    } else if (problem.isEmpty()) {
        m_listener.listen(address, port);
    } else {
        m_listener.stop();
        m_settingsProblem = problem;
    }
    emit changed();
}

QString DecodesReference::line() {
    if (!m_listener.lookingUp().isEmpty()) {
        return QStringLiteral("Decodes: looking up ") + m_listener.lookingUp();
    }
    if (!m_listener.listening()) {
        const std::optional<ListenRefusal>& refusal = m_listener.refusal();
        return QStringLiteral("Decodes: ") + (refusal ? refusalText(*refusal)
                                              : m_settingsProblem.isEmpty()
                                                  ? QStringLiteral("not listening")
                                                  : m_settingsProblem);
    }
    const std::string separator = QLocale().decimalPoint().toStdString();
    const auto window = m_listener.estimator().settings().window;
    if (const QString call = chosenStation(); !call.isEmpty()) {
        const std::optional<quarnel::StationSummary> heard = chosenHeard();
        return QString::fromStdString(quarnel::formatStationLine(
            call.toStdString(), heard ? &*heard : nullptr, window, separator));
    }
    return QString::fromStdString(
        quarnel::formatDecodesLine(m_listener.summary(), window, separator));
}

// Beside the station chooser the line need not say "Decodes:" nor the call
// chosen there: "DT +1,95 s (3 in 2 min)" fits where the whole line would be
// cut before its number.
QString DecodesReference::lineBesideControl() {
    const QString whole = line();
    const QString call = chosenStation();
    const QString subject =
        QStringLiteral("Decodes: ") + (call.isEmpty() ? QString() : call + u' ');
    return whole.startsWith(subject) ? whole.mid(subject.size()) : whole;
}

// The suggestion becomes the shift to set, as if chosen with + and -.
std::optional<std::int64_t> DecodesReference::suggestedShift() {
    if (!m_listener.listening()) {
        return std::nullopt;
    }
    if (!chosenStation().isEmpty()) {
        const std::optional<quarnel::StationSummary> heard = chosenHeard();
        return heard ? std::optional(heard->estimate.suggestedShift) : std::nullopt;
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

// Typing narrows the list to the calls that hold what is typed; a call typed
// that is not in the list is chosen too, and waited for.
QWidget* DecodesReference::makeRowControl(QWidget* parent) {
    m_station = new QComboBox(parent);
    m_station->setObjectName(QStringLiteral("cbDecodesStation"));
    m_station->setEditable(true);
    m_station->setInsertPolicy(QComboBox::NoInsert);
    m_station->addItem(kAllStations);
    m_station->setToolTip(
        QStringLiteral("All stations: how far this clock is off. One station: how far its clock "
                       "is off, to meet it there (RESET comes back)"));
    m_station->setStyleSheet(QStringLiteral("font-size: 14px; color: #515151;"));
    m_station->completer()->setCompletionMode(QCompleter::PopupCompletion);
    m_station->completer()->setFilterMode(Qt::MatchContains);
    connect(m_station, &QComboBox::editTextChanged, this, &ClockReference::changed);
    // Connected before the list shows the line, so that the line knows
    // whether the chooser is there.
    connect(this, &ClockReference::changed, this, &DecodesReference::offerStations);
    offerStations();
    return m_station;
}

QString DecodesReference::chosenStation() const {
    const QString typed = m_station ? m_station->currentText().trimmed() : QString();
    return typed.compare(kAllStations, Qt::CaseInsensitive) == 0 ? QString() : typed.toUpper();
}

std::optional<quarnel::StationSummary> DecodesReference::chosenHeard() {
    const std::string call = chosenStation().toStdString();
    std::vector<quarnel::StationSummary> stations = m_listener.stations();
    const auto found = std::find_if(stations.begin(), stations.end(),
                                    [&](const auto& station) { return station.call == call; });
    if (found == stations.end()) {
        return std::nullopt;
    }
    return std::move(*found);
}

// Without a socket there is no station to choose, and the line needs the
// whole width to say why.
void DecodesReference::offerStations() {
    m_station->setHidden(!m_listener.listening());
    QStringList offered{kAllStations};
    for (const quarnel::StationSummary& station : m_listener.stations()) {
        offered << QString::fromStdString(station.call);
    }
    QStringList shown;
    for (int i = 0; i < m_station->count(); ++i) {
        shown << m_station->itemText(i);
    }
    if (offered == shown) {
        return;
    }
    // Refilling the list would replace the text being typed.
    const QSignalBlocker quiet(m_station);
    const QString typed = m_station->currentText();
    const int cursor = m_station->lineEdit()->cursorPosition();
    m_station->clear();
    m_station->addItems(offered);
    m_station->setEditText(typed);
    m_station->lineEdit()->setCursorPosition(cursor);
}

// The decodes gathered so far measured the clock before it moved.
void DecodesReference::clockMoved(std::int64_t shift) {
    if (shift != 0) {
        m_listener.clockMoved();
    }
}

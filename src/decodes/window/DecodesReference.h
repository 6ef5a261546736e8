#pragma once

#include "decodes/window/DecodeListener.h"
#include "references/ClockReference.h"

class FilterEdit;
class QComboBox;
class ToggleSwitch;

// The decoders' reports as a clock reference: the Decodes line, its
// suggestion from the DTs of the stations heard, and the listening switch,
// address and port of the Setup tab with their keys in [Decodes].
//
// The row's chooser narrows the line and the suggestion to one station: with
// "All stations" they tell how far this clock is off (everybody looks late
// or early alike); with one station, how far that station's clock is off, so
// that Use meets it there for a contact, and RESET comes back. The choice
// is not saved: a meeting is for a few minutes.
class DecodesReference : public ClockReference {
    Q_OBJECT

  public:
    DecodesReference(ToggleSwitch* listenSwitch, FilterEdit* addressField, FilterEdit* portField);

    QString name() const override { return QStringLiteral("Decodes"); }
    QString line() override;
    std::optional<std::int64_t> suggestedShift() override;
    QString origin() const override { return QStringLiteral("decodes"); }
    QString useToolTip() const override;
    QWidget* makeRowControl(QWidget* parent) override;
    QString lineBesideControl() override;
    void clockMoved(std::int64_t shift) override;
    const ReferenceSettings& settings() const override { return m_settings; }
    void settingsLoaded() override { listen(); }

    DecodeListener& listener() { return m_listener; }
    QComboBox* stationChooser() const { return m_station; }

  private:
    // Opens, moves or closes the socket to match the Setup tab.
    void listen();
    // The call chosen; empty for all stations.
    QString chosenStation() const;
    // The chosen station as heard in the window; nothing when it was not.
    std::optional<quarnel::StationSummary> chosenHeard();
    // Puts the stations heard into the chooser, keeping what is typed there,
    // and shows the chooser only while listening.
    void offerStations();

    ToggleSwitch* m_listen;
    FilterEdit* m_address;
    FilterEdit* m_port;
    ReferenceSettings m_settings;
    DecodeListener m_listener;
    // Why the Setup tab's address or port cannot be listened on.
    QString m_settingsProblem;
    QComboBox* m_station = nullptr;
};

#pragma once

#include "decodes/DecodeListener.h"
#include "references/ClockReference.h"

class FilterEdit;
class ToggleSwitch;

// The decoders' reports as a clock reference: the Decodes line, its
// suggestion from the DTs of the stations heard, and the listening switch,
// address and port of the Setup tab with their keys in [Decodes].
class DecodesReference : public ClockReference {
    Q_OBJECT

  public:
    DecodesReference(ToggleSwitch* listenSwitch, FilterEdit* addressField, FilterEdit* portField);

    QString name() const override { return QStringLiteral("Decodes"); }
    QString line() override;
    std::optional<std::int64_t> suggestedShift() override;
    QString origin() const override { return QStringLiteral("decodes"); }
    QString useToolTip() const override;
    void clockMoved(std::int64_t shift) override;
    const ReferenceSettings& settings() const override { return m_settings; }
    void settingsLoaded() override { listen(); }

    DecodeListener& listener() { return m_listener; }

  private:
    // Opens, moves or closes the socket to match the Setup tab.
    void listen();

    ToggleSwitch* m_listen;
    FilterEdit* m_address;
    FilterEdit* m_port;
    ReferenceSettings m_settings;
    DecodeListener m_listener;
};

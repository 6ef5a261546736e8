#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

#include "references/ReferenceSettings.h"

class QWidget;

// A source of where the clock should be: the decodes, a time server, ...
// Each is shown as one row of the Timeshift tab, its line and a Use button
// that puts its suggested shift into Align timeshift; the operator still
// presses SET. A reference owns its sockets and timers, reads the clock only
// through the platform, and keeps its Setup widgets' values in a settings
// section of its own.
class ClockReference : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    // Names the row's widgets, lbl<Name> and btnUse<Name>.
    virtual QString name() const = 0;
    // The row's text, e.g. "Decodes: DT +0,42 s ±0,05 (37 in 2 min)".
    virtual QString line() = 0;
    // The shift Use proposes (100-ns units); nothing while there is none.
    virtual std::optional<std::int64_t> suggestedShift() = 0;
    // What the journal names as the origin of a shift taken with Use.
    virtual QString origin() const = 0;
    virtual QString useToolTip() const = 0;
    // A control of the row that narrows what the reference tells (the
    // decodes' choice of station), made once, in `parent`; the list gives it
    // its place at the start of the row, and the line moves beside it.
    // Without one the row is the line and Use. While the reference hides the
    // control, the line takes the whole width again; the reference shows or
    // hides it before changed() reaches the list, that is in a slot it
    // connects to changed() here.
    virtual QWidget* makeRowControl(QWidget* /*parent*/) { return nullptr; }
    // The line as shown beside that control, in the little room there:
    // without what the control already says. Its tool tip, screen readers
    // and Copy still give the whole line.
    virtual QString lineBesideControl() { return line(); }

    // The clock was moved by `shift`: what was measured before describes
    // the old clock.
    virtual void clockMoved(std::int64_t shift) = 0;

    // The section and keys of the settings file, bound to the Setup widgets.
    virtual const ReferenceSettings& settings() const = 0;
    // The Setup widgets hold what the file says: act on it.
    virtual void settingsLoaded() = 0;

  signals:
    // line() or suggestedShift() may read differently now.
    void changed();
};

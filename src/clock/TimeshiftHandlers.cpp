// The clock engine and the Timeshift tab's handlers.
#include <QLocale>
#include <QStyle>
#include <stdexcept>

#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"
#include "clock/ClockTexts.h"
#include "clock/IntegerText.h"
#include "platform/Platform.h"

namespace {

QString shiftText(std::int64_t shift) {
    const QString separator = QLocale().decimalPoint();
    return QString::fromStdString(quarnel::formatShiftText(shift, separator.toStdString()));
}

QString dateText(const quarnel::CalendarTime& time) {
    return QString::fromStdString(quarnel::formatDateText(time));
}

// The edits' style sheets colour a negative value; the style is applied again
// only when the sign changes, which keeps the tick cheap.
void showSign(QLineEdit* edit, bool negative) {
    if (edit->property("negative").toBool() == negative) {
        return;
    }
    edit->setProperty("negative", negative);
    edit->style()->unpolish(edit);
    edit->style()->polish(edit);
}

[[noreturn]] void reportRefusedSet(const std::string& reason) {
    throw std::runtime_error("The clock could not be set: " + reason);
}

const std::string kDaysText = std::to_string(quarnel::kLargestShiftDays) + " days either way";

// A set books the negated shift into the running total.
bool totalStaysWithinBounds(std::int64_t shift) {
    return quarnel::withinShiftBounds(unit.RunningShift - shift);
}

const std::string kTotalBeyondBounds = "The running total of the shifts cannot go beyond " +
                                       kDaysText + "; press RESET or ACCEPT first";

[[noreturn]] void refuseTotalBeyondBounds() {
    throw std::runtime_error(kTotalBeyondBounds);
}

// Steps the shift, unless that takes it beyond its bounds.
void stepAlignShift(std::int64_t step) {
    const std::int64_t shift = unit.AlignShift + step;
    if (!quarnel::withinShiftBounds(shift)) {
        throw std::runtime_error("The shift cannot go beyond " + kDaysText);
    }
    unit.AlignShift = shift;
}

}  // namespace

void TTabbedForm::showAlignShift() {
    edAlign->setText(shiftText(unit.AlignShift));
}

// A refused set is not booked: the total keeps describing what really moved
// the clock, so a later RESET cannot push a correct clock away. A set that
// would take the total beyond its bounds is not carried out.
void TTabbedForm::Timer1Timer() {
    reportingErrors([&] {
        quarnel::Platform& system = quarnel::platform();
        const quarnel::TimeCount current = system.readLocalTime();
        const std::int64_t shift = unit.AlignShift;

        quarnel::Refusal refusal;
        bool beyondBounds = false;
        if (unit.SetPending) {
            unit.SetPending = false;
            // The shift may have changed since the set was asked for.
            beyondBounds = !totalStaysWithinBounds(shift);
            refusal = beyondBounds ? quarnel::Refusal() : system.shiftLocalTime(shift);
            if (!beyondBounds && !refusal) {
                DecodesClockMoved(shift);
                unit.RunningShift -= shift;
                Journal.recordClockChange(quarnel::ClockChange::Set, shift, -unit.RunningShift,
                                          unit.AlignSource);
                if (cbResetAfterEachSet->isChecked()) {
                    unit.AlignShift = 0;
                    showAlignShift();
                }
            }
        }

        unit.LastReading = {current, shift, unit.RunningShift};
        unit.LastReadingShown = false;
        if (clockDisplaysSeen()) {
            showClockReading();
        }

        if (beyondBounds) {
            Journal.recordRefusal(quarnel::ClockChange::Set, shift, kTotalBeyondBounds);
            refuseTotalBeyondBounds();
        }
        if (refusal) {
            Journal.recordRefusal(quarnel::ClockChange::Set, shift, *refusal);
            reportRefusedSet(*refusal);
        }
    });
}

// A hidden tab or a minimised window would lay out and colour texts that
// nobody reads, once a tick. The displays catch up with the last tick's
// reading when they come into view (catchUpClockDisplays), so they always
// show what they would have shown.
bool TTabbedForm::clockDisplaysSeen() const {
    return tabItemTimeshift->isVisible() && !isMinimized();
}

void TTabbedForm::showClockReading() {
    const quarnel::ClockReading& reading = unit.LastReading;
    edCurrent->setText(dateText(quarnel::toCalendarTime(reading.current)));
    edNew->setText(dateText(quarnel::shiftedCalendarTime(reading.current, reading.alignShift)));
    edCurRunShift->setText(shiftText(-reading.runningShift));
    showSign(edAlign, reading.alignShift < 0);
    showSign(edCurRunShift, -reading.runningShift < 0);
    unit.LastReadingShown = true;
}

void TTabbedForm::catchUpClockDisplays() {
    if (!unit.LastReadingShown) {
        showClockReading();
    }
}

void TTabbedForm::btnPlusClick() {
    reportingErrors([&] {
        stepAlignShift(ShiftStep);
        unit.AlignSource = QStringLiteral("buttons");
        showAlignShift();
    });
}

void TTabbedForm::btnMinusClick() {
    reportingErrors([&] {
        stepAlignShift(-ShiftStep);
        unit.AlignSource = QStringLiteral("buttons");
        showAlignShift();
    });
}

void TTabbedForm::edAlignMouseWheel(int delta) {
    reportingErrors([&] {
        if (delta > 0) {
            stepAlignShift(ShiftStep / 2);
        } else if (delta < 0) {
            stepAlignShift(-ShiftStep / 2);
        }
        if (delta != 0) {
            unit.AlignSource = QStringLiteral("wheel");
        }
        showAlignShift();
    });
}

void TTabbedForm::btnResetAlignClick() {
    unit.AlignShift = 0;
    unit.AlignSource.clear();
    showAlignShift();
}

// Refused at once when the set would take the total beyond its bounds.
void TTabbedForm::btnSetClick() {
    reportingErrors([&] {
        if (!totalStaysWithinBounds(unit.AlignShift)) {
            Journal.recordRefusal(quarnel::ClockChange::Set, unit.AlignShift, kTotalBeyondBounds);
            refuseTotalBeyondBounds();
        }
        unit.SetPending = true;
    });
}

// A text that is no interval leaves the timer as it is.
void TTabbedForm::edRefreshTimeChange() {
    const std::string text = edRefreshTime->text().toStdString();
    if (const std::optional<std::int32_t> interval = quarnel::decimalInteger(text)) {
        Timer1.setInterval(*interval);
    } else {
        showErrorBox(QString::fromStdString(quarnel::notAnIntegerMessage(text)));
    }
}

void TTabbedForm::btnSetOriginClick() {
    reportingErrors([&] { RevertRunningShift(); });
}

void TTabbedForm::RevertRunningShift() {
    if (const quarnel::Refusal refusal = quarnel::platform().shiftLocalTime(unit.RunningShift)) {
        Journal.recordRefusal(quarnel::ClockChange::Reset, unit.RunningShift, *refusal);
        reportRefusedSet(*refusal);
    }
    DecodesClockMoved(unit.RunningShift);
    Journal.recordClockChange(quarnel::ClockChange::Reset, unit.RunningShift, 0,
                              QStringLiteral("RESET button"));
    unit.RunningShift = 0;
}

// Keeps every shift applied so far: only the total that RESET would undo is
// cleared. The clock is set once, to where it is, so that a missing right to
// set it is noticed here too.
void TTabbedForm::btnAcceptTimeShiftClick() {
    reportingErrors([&] {
        if (const quarnel::Refusal refusal = quarnel::platform().shiftLocalTime(0)) {
            Journal.recordRefusal(quarnel::ClockChange::Accept, 0, *refusal);
            reportRefusedSet(*refusal);
        }
        Journal.recordClockChange(quarnel::ClockChange::Accept, 0, 0,
                                  QStringLiteral("ACCEPT button"));
        unit.RunningShift = 0;
    });
}

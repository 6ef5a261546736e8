// The clock engine and the Timeshift tab's handlers.
#include <QLocale>
#include <QPointer>
#include <QStyle>
#include <stdexcept>

#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"
#include "clock/ClockTexts.h"
#include "clock/IntegerText.h"
#include "clock/RefusalAdvice.h"
#include "platform/Platform.h"

namespace {

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

[[noreturn]] void reportRefusedSet(const std::string& reason, const std::string& retry) {
    throw std::runtime_error("The clock could not be set: " +
                             quarnel::advisedReason(reason, retry));
}

void refuseWhileClockChangeWaits() {
    if (unit.ClockChangeWaiting) {
        throw std::runtime_error(
            "The clock change before this one still waits for the system's answer");
    }
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

// Makes `shift` the shift to set, unless it is beyond its bounds.
void takeAlignShift(std::int64_t shift) {
    if (!quarnel::withinShiftBounds(shift)) {
        throw std::runtime_error("The shift cannot go beyond " + kDaysText);
    }
    unit.AlignShift = shift;
}

void stepAlignShift(std::int64_t step) {
    takeAlignShift(unit.AlignShift + step);
}

}  // namespace

// In the user's locale's decimal separator, as the clock displays show it.
QString TTabbedForm::shiftText(std::int64_t shift) {
    return QString::fromStdString(
        quarnel::formatShiftText(shift, QLocale().decimalPoint().toStdString()));
}

void TTabbedForm::showAlignShift() {
    edAlign->setText(shiftText(unit.AlignShift));
}

// A set waits while another change of the clock waits for its answer, and
// is carried out by the first tick after that.
void TTabbedForm::Timer1Timer() {
    reportingErrors([&] {
        const quarnel::TimeCount current = quarnel::platform().readLocalTime();
        const std::int64_t shift = unit.AlignShift;
        const bool setNow = unit.SetPending && !unit.ClockChangeWaiting;

        unit.LastReading = {current, shift, unit.RunningShift};
        unit.LastReadingShown = false;
        if (clockDisplaysSeen()) {
            showClockReading();
        }

        if (setNow) {
            unit.SetPending = false;
            // The shift may have changed since the set was asked for.
            if (!totalStaysWithinBounds(shift)) {
                Journal.recordRefusal(quarnel::ClockChange::Set, shift, kTotalBeyondBounds);
                refuseTotalBeyondBounds();
            }
            if (shift != 0) {
                moveClock(shift, quarnel::ClockChange::Set, unit.AlignSource, [this] {
                    if (cbResetAfterEachSet->isChecked()) {
                        unit.AlignShift = 0;
                        showAlignShift();
                    }
                });
            }
        }
    });
}

// A refused move is not booked: the total keeps describing what really moved
// the clock, so a later RESET cannot push a correct clock away. The answer
// may come much later (the desktop asks the user for the right); the clock
// goes on ticking meanwhile.
void TTabbedForm::moveClock(std::int64_t shift, quarnel::ClockChange kind, const QString& source,
                            std::function<void()> afterMove) {
    unit.ClockChangeWaiting = true;
    const QPointer<TTabbedForm> form(this);
    quarnel::platform().shiftLocalTime(
        shift, [form, shift, kind, source, afterMove](const quarnel::Refusal& refusal) {
            if (form.isNull()) {
                return;
            }
            unit.ClockChangeWaiting = false;
            reportingErrors([&] {
                if (refusal) {
                    form->Journal.recordRefusal(kind, shift, *refusal);
                    reportRefusedSet(*refusal, kind == quarnel::ClockChange::Set ? "SET" : "RESET");
                }
                emit form->clockMoved(shift);
                unit.RunningShift -= shift;
                form->Journal.recordClockChange(kind, shift, -unit.RunningShift, source);
                unit.LastReading.runningShift = unit.RunningShift;
                unit.LastReadingShown = false;
                afterMove();
                if (form->clockDisplaysSeen()) {
                    form->showClockReading();
                }
            });
            form->clockChangeSettled(!refusal);
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
    stepByButton(quarnel::kShiftStep);
}

void TTabbedForm::btnMinusClick() {
    stepByButton(-quarnel::kShiftStep);
}

void TTabbedForm::stepByButton(std::int64_t step) {
    reportingErrors([&] {
        stepAlignShift(step);
        unit.AlignSource = QStringLiteral("buttons");
        showAlignShift();
    });
}

void TTabbedForm::edAlignMouseWheel(int delta) {
    reportingErrors([&] {
        if (delta > 0) {
            stepAlignShift(quarnel::kWheelStep);
        } else if (delta < 0) {
            stepAlignShift(-quarnel::kWheelStep);
        }
        if (delta != 0) {
            unit.AlignSource = QStringLiteral("wheel");
        }
        showAlignShift();
    });
}

// The operator still presses SET.
void TTabbedForm::useReferenceShift(std::int64_t shift, const QString& origin) {
    reportingErrors([&] {
        takeAlignShift(shift);
        unit.AlignSource = QStringLiteral("Use: ") + origin;
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

// A text that is no interval, or an interval that would stop the clock (a
// set would then wait for a tick forever), leaves the timer as it is.
void TTabbedForm::edRefreshTimeChange() {
    reportingErrors([&] {
        const std::string text = edRefreshTime->text().toStdString();
        const std::optional<std::int32_t> interval = quarnel::decimalInteger(text);
        if (!interval) {
            throw std::runtime_error(quarnel::notAnIntegerMessage(text));
        }
        if (*interval <= 0) {
            throw std::runtime_error(
                QStringLiteral("A refresh of %1 ms would stop the clock; it stays at %2 ms")
                    .arg(*interval)
                    .arg(Timer1.interval())
                    .toStdString());
        }
        Timer1.setInterval(*interval);
    });
}

void TTabbedForm::btnSetOriginClick() {
    reportingErrors([&] { RevertRunningShift(); });
}

// Moves the clock back by every shift applied since the last RESET or
// ACCEPT. With nothing applied there is nothing to move.
void TTabbedForm::RevertRunningShift() {
    if (unit.RunningShift == 0) {
        return;
    }
    refuseWhileClockChangeWaits();
    moveClock(unit.RunningShift, quarnel::ClockChange::Reset, QStringLiteral("RESET button"),
              [] {});
}

// Keeps every shift applied so far: only the total that RESET would undo is
// cleared. The clock does not move.
void TTabbedForm::btnAcceptTimeShiftClick() {
    reportingErrors([&] {
        refuseWhileClockChangeWaits();
        unit.RunningShift = 0;
        Journal.recordClockChange(quarnel::ClockChange::Accept, 0, 0,
                                  QStringLiteral("ACCEPT button"));
        unit.LastReading.runningShift = 0;
        if (clockDisplaysSeen()) {
            showClockReading();
        }
    });
}

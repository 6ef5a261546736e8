// The clock engine and the Timeshift tab's handlers.
#include <QEvent>
#include <QLocale>
#include <QStyle>
#include <stdexcept>

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

}  // namespace

void TTabbedForm::showAlignShift() {
    edAlign->setText(shiftText(unit.AlignShift));
}

// A refused set is not booked: the total keeps describing what really moved
// the clock, so a later RESET cannot push a correct clock away.
void TTabbedForm::Timer1Timer() {
    quarnel::Platform& system = quarnel::platform();
    const quarnel::TimeCount current = system.readLocalTime();
    const std::int64_t shift = unit.AlignShift;

    quarnel::Refusal refusal;
    if (unit.SetPending) {
        unit.SetPending = false;
        refusal = system.shiftLocalTime(shift);
        if (!refusal) {
            DecodesClockMoved(shift);
            unit.RunningShift -= shift;
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

    if (refusal) {
        reportRefusedSet(*refusal);
    }
}

// A hidden tab or a minimised window would lay out and colour texts that
// nobody reads, once a tick. The displays catch up with the last tick's
// reading when they come into view (see eventFilter), so they always show what
// they would have shown.
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

// The tab is shown when it is chosen, with the window, and again when the
// window is restored from its minimised state.
bool TTabbedForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabItemTimeshift && event->type() == QEvent::Show && !unit.LastReadingShown) {
        showClockReading();
    }
    return QWidget::eventFilter(watched, event);
}

void TTabbedForm::btnPlusClick() {
    unit.AlignShift += ShiftStep;
    showAlignShift();
}

void TTabbedForm::btnMinusClick() {
    unit.AlignShift -= ShiftStep;
    showAlignShift();
}

void TTabbedForm::edAlignMouseWheel(int delta) {
    if (delta > 0) {
        unit.AlignShift += ShiftStep / 2;
    } else if (delta < 0) {
        unit.AlignShift -= ShiftStep / 2;
    }
    showAlignShift();
}

void TTabbedForm::btnResetAlignClick() {
    unit.AlignShift = 0;
    showAlignShift();
}

void TTabbedForm::btnSetClick() {
    unit.SetPending = true;
}

void TTabbedForm::edRefreshTimeChange() {
    Timer1.setInterval(quarnel::strToInt(edRefreshTime->text().toStdString()));
}

void TTabbedForm::btnSetOriginClick() {
    RevertRunningShift();
}

void TTabbedForm::RevertRunningShift() {
    if (const quarnel::Refusal refusal = quarnel::platform().shiftLocalTime(unit.RunningShift)) {
        reportRefusedSet(*refusal);
    }
    DecodesClockMoved(unit.RunningShift);
    unit.RunningShift = 0;
}

// Keeps every shift applied so far: only the total that RESET would undo is
// cleared. The clock is set once, to where it is, so that a missing right to
// set it is noticed here too.
void TTabbedForm::btnAcceptTimeShiftClick() {
    if (const quarnel::Refusal refusal = quarnel::platform().shiftLocalTime(0)) {
        reportRefusedSet(*refusal);
    }
    unit.RunningShift = 0;
}

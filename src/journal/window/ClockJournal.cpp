#include "journal/window/ClockJournal.h"

#include "app/QuarnelApplication.h"
#include "app/UnitState.h"
#include "journal/JournalFile.h"

void ClockJournal::recordClockChange(quarnel::ClockChange kind, std::int64_t amount,
                                     std::int64_t total, const QString& source) {
    append(quarnel::clockChangeLine(now(), kind, amount, total, source.toStdString()));
}

void ClockJournal::recordRefusal(quarnel::ClockChange kind, std::int64_t amount,
                                 const std::string& reason) {
    append(quarnel::refusalLine(now(), kind, amount, reason));
}

void ClockJournal::recordKeeper(const QString& what, quarnel::TKeeperAction action,
                                const quarnel::Refusal& result) {
    append(quarnel::keeperLine(now(), action, what.toStdString(), result));
}

quarnel::TimeCount ClockJournal::now() {
    return quarnel::platform().readUniversalTime();
}

// The journal is looked for where the settings are now, by the same rule as
// the settings file itself. A journal that cannot move aside still takes the
// line: a long journal is better than a lost entry.
void ClockJournal::append(const std::string& line) {
    quarnel::Platform& system = quarnel::platform();
    const std::string path = quarnel::journalBeside(system.settingsFile(IniFileName.toStdString()),
                                                    system.conventions().programPathSeparators);
    quarnel::Refusal refusal;
    if (quarnel::journalStartsAnew(system.fileSize(path).value_or(0), line.size())) {
        refusal = system.renameReplacing(path, quarnel::olderJournal(path));
    }
    const quarnel::Refusal appendRefusal = system.appendToFile(path, line);
    if (!refusal) {
        refusal = appendRefusal;
    }
    if (refusal && !m_failureShown) {
        m_failureShown = true;
        showErrorBox(QStringLiteral("The journal %1 could not be written: %2")
                         .arg(QString::fromStdString(path), QString::fromStdString(*refusal)));
    }
}

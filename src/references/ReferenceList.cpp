#include "references/ReferenceList.h"

#include <QPushButton>
#include <algorithm>

#include "widgets/ElidedLabel.h"

namespace {

// The area is as wide as the Setup tab's fields with their clear buttons.
constexpr int kLineWidth = 305;
constexpr int kButtonLeft = 312;
constexpr int kButtonWidth = 57;
// Use is as high as the row leaves room for, with a gap to the next row.
constexpr int kRowGap = 2;
// A row's own control stands on the left, as high as Use; the line takes
// the rest of the width.
constexpr int kControlWidth = 104;
constexpr int kControlGap = 6;

}  // namespace

ReferenceList::ReferenceList(QWidget* rowArea, QObject* parent)
    : QObject(parent), m_rowArea(rowArea) {}

int ReferenceList::rowPitch() const {
    return m_rowArea->height() / std::max<int>(1, static_cast<int>(m_rows.size()));
}

void ReferenceList::add(std::unique_ptr<ClockReference> owned) {
    ClockReference* reference = owned.release();
    reference->setParent(this);
    QWidget* control = reference->makeRowControl(m_rowArea);

    auto* line = new ElidedLabel(m_rowArea);
    line->setObjectName(QStringLiteral("lbl") + reference->name());
    line->setAlignment(Qt::AlignLeading | Qt::AlignLeft | Qt::AlignVCenter);
    // A display, not a Tab stop: screen readers read it as the label it is.
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // 13 px keeps the measured lines of GPS whole in one line; the time
    // server's name and stratum and the decodes' beside the chooser may
    // still be shortened.
    line->setStyleSheet(QStringLiteral("font-size: 13px; color: #696969;"));

    // No mnemonic: every row has a Use, and one key for all of them would
    // only move the focus from one to the next; Tab reaches each.
    auto* use = new QPushButton(QStringLiteral("Use"), m_rowArea);
    use->setObjectName(QStringLiteral("btnUse") + reference->name());
    use->setToolTip(reference->useToolTip());
    use->setAccessibleName(reference->useToolTip());
    // The specified colour only while enabled: disabled, the button looks it.
    use->setStyleSheet(
        QStringLiteral("QPushButton { font-size: 14px; } QPushButton:enabled { color: #515151; }"));
    connect(use, &QPushButton::clicked, this, [this, reference] {
        if (const std::optional<std::int64_t> shift = reference->suggestedShift()) {
            emit used(*shift, reference->origin());
        }
    });

    m_rows.push_back({reference, control, line, use});
    const std::size_t index = m_rows.size() - 1;
    connect(reference, &ClockReference::changed, this, [this, index] { show(m_rows[index]); });
    for (std::size_t each = 0; each < m_rows.size(); ++each) {
        place(each);
    }
}

void ReferenceList::place(std::size_t index) {
    const Row& row = m_rows[index];
    const int pitch = rowPitch();
    const int top = static_cast<int>(index) * pitch;
    if (row.control) {
        row.control->setGeometry(0, top, kControlWidth, pitch - kRowGap);
    }
    row.use->setGeometry(kButtonLeft, top, kButtonWidth, pitch - kRowGap);
    show(row);
}

// A hidden control leaves the whole width to the line, for the longer texts
// of a reference that has nothing to narrow (such as why it cannot listen).
void ReferenceList::show(const Row& row) {
    const int pitch = rowPitch();
    const int top = row.use->y();
    const bool besideControl = row.control && !row.control->isHidden();
    const int lineLeft = besideControl ? kControlWidth + kControlGap : 0;
    row.line->setGeometry(lineLeft, top, kLineWidth - lineLeft, pitch - kRowGap);
    const QString whole = row.reference->line();
    row.line->setWholeText(whole, besideControl ? row.reference->lineBesideControl() : whole);
    row.use->setEnabled(row.reference->suggestedShift().has_value());
}

void ReferenceList::loadSettings(const quarnel::IniDocument& file) {
    for (const Row& row : m_rows) {
        row.reference->settings().load(file);
        row.reference->settingsLoaded();
    }
}

void ReferenceList::saveSettings(quarnel::IniDocument& file) const {
    for (const Row& row : m_rows) {
        row.reference->settings().save(file);
    }
}

void ReferenceList::clockMoved(std::int64_t shift) {
    for (const Row& row : m_rows) {
        row.reference->clockMoved(shift);
    }
}

#include "references/ReferenceList.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kLineWidth = 297;
constexpr int kButtonLeft = 304;
constexpr int kButtonWidth = 57;
constexpr int kButtonHeight = 26;
// A row's own control stands on the left, as high as Use; the line's two
// lines of text take the rest of the width.
constexpr int kControlWidth = 116;
constexpr int kControlGap = 6;

}  // namespace

ReferenceList::ReferenceList(QWidget* rowArea, QObject* parent)
    : QObject(parent), m_rowArea(rowArea) {}

void ReferenceList::add(std::unique_ptr<ClockReference> owned) {
    ClockReference* reference = owned.release();
    reference->setParent(this);
    const int top = static_cast<int>(m_rows.size()) * kRowHeight;

    QWidget* control = reference->makeRowControl(m_rowArea);
    if (control) {
        control->setGeometry(0, top, kControlWidth, kButtonHeight);
    }

    auto* line = new QLabel(m_rowArea);
    line->setObjectName(QStringLiteral("lbl") + reference->name());
    line->setWordWrap(true);
    line->setAlignment(Qt::AlignLeading | Qt::AlignLeft | Qt::AlignTop);
    // A display, not a Tab stop: screen readers read it as the label it is.
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    line->setStyleSheet(QStringLiteral("font-size: 14px; color: #696969;"));

    // No mnemonic: every row has a Use, and one key for all of them would
    // only move the focus from one to the next; Tab reaches each.
    auto* use = new QPushButton(QStringLiteral("Use"), m_rowArea);
    use->setObjectName(QStringLiteral("btnUse") + reference->name());
    use->setGeometry(kButtonLeft, top, kButtonWidth, kButtonHeight);
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

    m_rows.push_back({reference, control, line, use, top});
    const std::size_t index = m_rows.size() - 1;
    connect(reference, &ClockReference::changed, this, [this, index] { show(m_rows[index]); });
    show(m_rows.back());
}

// A hidden control leaves the whole width to the line, for the longer texts
// of a reference that has nothing to narrow (such as why it cannot listen).
void ReferenceList::show(const Row& row) {
    const int lineLeft = row.control && !row.control->isHidden() ? kControlWidth + kControlGap : 0;
    row.line->setGeometry(lineLeft, row.top + 2, kLineWidth - lineLeft, kRowHeight - 2);
    row.line->setText(row.reference->line());
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

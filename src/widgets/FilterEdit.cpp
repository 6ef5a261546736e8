#include "widgets/FilterEdit.h"

#include <QKeyEvent>
#include <QValidator>
#include <QWheelEvent>

namespace {

// Drops the characters the edit does not allow from typed and pasted input.
class CharacterFilter : public QValidator {
  public:
    explicit CharacterFilter(const FilterEdit* edit) : QValidator(nullptr), m_edit(edit) {}

    State validate(QString& input, int& position) const override {
        const QString kept = m_edit->filtered(input);
        if (kept.size() != input.size()) {
            // The cursor stays behind the same kept character.
            position = static_cast<int>(m_edit->filtered(input.left(position)).size());
            input = kept;
        }
        return Acceptable;
    }

  private:
    const FilterEdit* m_edit;
};

}  // namespace

FilterEdit::FilterEdit(QWidget* parent) : QLineEdit(parent) {
    auto* filter = new CharacterFilter(this);
    filter->setParent(this);
    setValidator(filter);
    // textEdited comes just before textChanged, and only for the user's edits.
    connect(this, &QLineEdit::textEdited, this, [this] { m_userEditing = true; });
    connect(this, &QLineEdit::textChanged, this, &FilterEdit::onTextChanged);
    connect(this, &QLineEdit::editingFinished, this, &FilterEdit::onEditingFinished);
}

void FilterEdit::setAllowedCharacters(const QString& allowed) {
    m_allowed = allowed;
    const QString kept = filtered(text());
    if (kept != text()) {
        setText(kept);
    }
}

QString FilterEdit::filtered(const QString& text) const {
    if (m_allowed.isEmpty()) {
        return text;
    }
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (m_allowed.contains(c)) {
            kept.append(c);
        }
    }
    return kept;
}

// QLineEdit hands text set from code to the validator too, so the filter is
// taken off meanwhile.
void FilterEdit::setTextAsIs(const QString& text) {
    const QValidator* filter = validator();
    setValidator(nullptr);
    m_settingAsIs = true;
    setText(text);
    m_settingAsIs = false;
    setValidator(filter);
}

// The validator does not see text set from code, so that text is filtered here.
void FilterEdit::onTextChanged(const QString& text) {
    if (m_userEditing) {
        m_userEditing = false;
        return;  // typing: reported on confirmation
    }
    const QString kept = m_settingAsIs ? text : filtered(text);
    if (kept != text) {
        setText(kept);  // comes back here with the filtered text
        return;
    }
    reportIfChanged();
}

void FilterEdit::onEditingFinished() {
    reportIfChanged();
}

void FilterEdit::reportIfChanged() {
    if (text() == m_lastReported) {
        return;
    }
    m_lastReported = text();
    emit changed();
}

void FilterEdit::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    emit mouseWheel(delta);
    QLineEdit::wheelEvent(event);
}

void FilterEdit::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly()) {
        switch (event->key()) {
            case Qt::Key_Up:
            case Qt::Key_Plus:
                emit stepUp();
                return;
            case Qt::Key_Down:
            case Qt::Key_Minus:
                emit stepDown();
                return;
            default:
                break;
        }
    }
    QLineEdit::keyPressEvent(event);
}

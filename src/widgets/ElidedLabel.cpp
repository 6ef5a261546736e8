#include "widgets/ElidedLabel.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {}

void ElidedLabel::setWholeText(const QString& whole, const QString& shown) {
    m_whole = whole;
    m_shown = shown;
    setToolTip(whole);
    setAccessibleDescription(whole);
    elide();
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

// A style sheet's font reaches the label when it is polished, after the text
// may have been set.
void ElidedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        elide();
    }
}

void ElidedLabel::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) && hasSelectedText()) {
        QGuiApplication::clipboard()->setText(m_whole);
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ElidedLabel::elide() {
    ensurePolished();
    setText(fontMetrics().elidedText(m_shown, Qt::ElideRight, width()));
}

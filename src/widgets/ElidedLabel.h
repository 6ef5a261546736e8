#pragma once

#include <QLabel>
#include <QString>

// A one-line label for a text that may be longer than the label is wide: it
// shows the text shortened at its end with "…", and keeps it whole in its
// tool tip, for screen readers (the accessible description), and for Copy
// (Ctrl+C after Ctrl+A), so that nothing of it is lost to the user. What it
// shows may also be a shorter form of the whole text, without what the
// controls beside it already say.
class ElidedLabel : public QLabel {
    Q_OBJECT

  public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setWholeText(const QString& text) { setWholeText(text, text); }
    void setWholeText(const QString& whole, const QString& shown);
    QString wholeText() const { return m_whole; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void elide();

    QString m_whole;
    QString m_shown;
};

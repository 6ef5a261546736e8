#pragma once

#include <QLabel>
#include <QString>

// A one-line label for a text that may be longer than the label is wide: it
// shows the text shortened at its end with "…", and keeps it whole in its
// tool tip, for screen readers (the accessible description), and for Copy
// (Ctrl+C after Ctrl+A), so that nothing of it is lost to the user.
class ElidedLabel : public QLabel {
    Q_OBJECT

  public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setWholeText(const QString& text);
    QString wholeText() const { return m_whole; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void elide();

    QString m_whole;
};

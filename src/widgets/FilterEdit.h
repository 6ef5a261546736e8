#pragma once

#include <QLineEdit>

// A single-line edit that keeps only the characters of its filter, whether
// they are typed, pasted or set from code (an empty filter keeps everything).
//
// changed() is the edit's change event: it is raised when the user confirms an
// edited text (Enter, or leaving the field) and when code sets a different
// text; in both cases only if the text differs from the last one reported.
// mouseWheel() reports each wheel event's vertical delta and leaves the event
// unhandled. A read-only edit reports Up and "+" as stepUp(), Down and "-" as
// stepDown(), for a value that is changed by steps and never typed.
class FilterEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString allowedCharacters READ allowedCharacters WRITE setAllowedCharacters)

  public:
    explicit FilterEdit(QWidget* parent = nullptr);

    QString allowedCharacters() const { return m_allowed; }
    void setAllowedCharacters(const QString& allowed);

    QString filtered(const QString& text) const;
    // Shows the text with the characters the filter would drop, such as a
    // setting read from a file that the user should see as it is there;
    // the filter applies again to the next edit.
    void setTextAsIs(const QString& text);

  signals:
    void changed();
    void mouseWheel(int delta);
    void stepUp();
    void stepDown();

  protected:
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void onTextChanged(const QString& text);
    void onEditingFinished();
    void reportIfChanged();

    QString m_allowed;
    QString m_lastReported;
    bool m_userEditing = false;
    bool m_settingAsIs = false;
};

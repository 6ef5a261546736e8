#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "references/ClockReference.h"

class ElidedLabel;
class QPushButton;
class QWidget;

namespace quarnel {
class IniDocument;
}

// The clock references of the window, each shown as one row of the area the
// form sets aside for them: its line and its Use button, and the reference's
// own control, if it has one, at the start. The list is all the
// window knows of them: the clock engine announces its moves to the list, the
// settings code hands it the file, and Use comes back as used().
class ReferenceList : public QObject {
    Q_OBJECT

  public:
    ReferenceList(QWidget* rowArea, QObject* parent);

    // The rows share the area's height equally: with three, each is one
    // line of text beside its button.
    int rowPitch() const;

    // Adds the reference's row below the others, and lays the rows out anew
    // for their number; the list owns the reference.
    void add(std::unique_ptr<ClockReference> owned);

    void loadSettings(const quarnel::IniDocument& file);
    void saveSettings(quarnel::IniDocument& file) const;

  public slots:
    void clockMoved(std::int64_t shift);

  signals:
    // Use was pressed on a row whose reference suggests `shift`.
    void used(std::int64_t shift, const QString& origin);

  private:
    struct Row {
        ClockReference* reference;
        QWidget* control;   // none for most references
        ElidedLabel* line;  // one line, shortened where too long
        QPushButton* use;
    };
    void place(std::size_t index);
    void show(const Row& row);

    QWidget* m_rowArea;
    std::vector<Row> m_rows;
};

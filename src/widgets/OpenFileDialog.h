#pragma once

#include <QString>
#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

// The window's open-file dialog. execute() shows it modally and tells whether
// the user confirmed a file; fileName() is then that file's full path. A
// cancelled dialog leaves fileName() as it was.
class OpenFileDialog {
  public:
    // `filter` in Qt's "Description (patterns)" form. With `executablesOnly`
    // the dialog lists, besides folders, only the files that may be run,
    // whatever their names: for systems whose programs carry no extension.
    OpenFileDialog(QWidget* owner, QString filter, bool executablesOnly);

    bool execute();
    QString fileName() const { return m_fileName; }

    // Takes the place of the user (for tests): gets the dialog prepared as
    // execute() would show it, and returns the confirmed file, or nothing for
    // a cancel.
    using Picker = std::function<std::optional<QString>(QFileDialog& dialog)>;
    void setPicker(Picker picker) { m_picker = std::move(picker); }

  private:
    QWidget* m_owner;
    QString m_filter;
    bool m_executablesOnly;
    QString m_fileName;
    Picker m_picker;
};

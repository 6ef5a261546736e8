#include "widgets/OpenFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

namespace {

// Hides the files that cannot be run; folders stay so the user can browse.
class ExecutableFilesOnly : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr) {
            return true;
        }
        const QFileInfo file = files->fileInfo(files->index(sourceRow, 0, sourceParent));
        return file.isDir() || file.isExecutable();
    }
};

std::optional<QString> letTheUserPick(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

OpenFileDialog::OpenFileDialog(QWidget* owner, QString filter, bool executablesOnly)
    : m_owner(owner), m_filter(std::move(filter)), m_executablesOnly(executablesOnly) {}

bool OpenFileDialog::execute() {
    QFileDialog dialog(m_owner, QString(), QString(), m_filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (m_executablesOnly) {
        // A native dialog would ignore the proxy model.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setProxyModel(new ExecutableFilesOnly(&dialog));
    }
    const std::optional<QString> chosen = m_picker ? m_picker(dialog) : letTheUserPick(dialog);
    if (!chosen) {
        return false;
    }
    // Qt names files with "/"; the path edit shows the system's own form.
    m_fileName = QDir::toNativeSeparators(*chosen);
    return true;
}

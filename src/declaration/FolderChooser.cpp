#include "declaration/FolderChooser.h"

#include "widgets/MessageBoxes.h"

#include <QDir>
#include <QFileInfo>

const QString FolderChooser::kCaption = QStringLiteral("Répertoire des Fichiers Xml");
const QString FolderChooser::kCreateQuestion =
    QStringLiteral("Le répertoire « %1 » n'existe pas.\nVoulez-vous le créer ?");
const QString FolderChooser::kCreateFailed =
    QStringLiteral("Le répertoire « %1 » ne peut pas être créé.");

FolderChooser::FolderChooser(QWidget* parent, const QString& folder)
    : QFileDialog(parent, kCaption) {
    // Qt's own dialog on every platform: the native ones cannot ask before creating a
    // typed folder.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::ShowDirsOnly, true);
    setFileMode(QFileDialog::Directory);
    setAcceptMode(QFileDialog::AcceptOpen);
    setLabelText(QFileDialog::LookIn, QStringLiteral("Regarder dans :"));
    setLabelText(QFileDialog::FileName, QStringLiteral("Répertoire :"));
    setLabelText(QFileDialog::FileType, QStringLiteral("Type :"));
    setLabelText(QFileDialog::Accept, QStringLiteral("Choisir"));
    setLabelText(QFileDialog::Reject, QStringLiteral("Annuler"));
    const QFileInfo start(folder);
    setDirectory(!folder.trimmed().isEmpty() && start.isDir() ? start.absoluteFilePath()
                                                              : rootOfCurrentDrive());
}

QString FolderChooser::rootOfCurrentDrive() {
#ifdef Q_OS_WIN
    const QString cwd = QDir::currentPath();
    if (cwd.size() >= 2 && cwd.at(1) == u':') {
        return cwd.left(2) + u'/';
    }
#endif
    return QDir::rootPath();
}

QString FolderChooser::choose(QWidget* parent, const QString& folder) {
    FolderChooser chooser(parent, folder);
    if (chooser.exec() != QDialog::Accepted) {
        return QString();
    }
    const QStringList chosen = chooser.selectedFiles();
    return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen.first());
}

void FolderChooser::accept() {
    const QStringList chosen = selectedFiles();
    if (!chosen.isEmpty()) {
        const QString folder = chosen.first();
        if (!QFileInfo::exists(folder)) {
            if (!MessageBoxes::confirm(this,
                                       kCreateQuestion.arg(QDir::toNativeSeparators(folder)))) {
                return;
            }
            if (!QDir().mkpath(folder)) {
                MessageBoxes::showError(this, kCreateFailed.arg(QDir::toNativeSeparators(folder)));
                return;
            }
        }
    }
    QFileDialog::accept();
}

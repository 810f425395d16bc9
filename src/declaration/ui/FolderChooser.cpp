#include "declaration/ui/FolderChooser.h"

#include "widgets/MessageBoxes.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QSplitter>
#include <QTreeView>

const QString FolderChooser::kCaption = QStringLiteral("Répertoire des Fichiers Xml");
const QString FolderChooser::kCreateQuestion =
    QStringLiteral("Le répertoire « %1 » n'existe pas.\nVoulez-vous le créer ?");
const QString FolderChooser::kCreateFailed =
    QStringLiteral("Le répertoire « %1 » ne peut pas être créé.");
const QString FolderChooser::kNotAFolder =
    QStringLiteral("« %1 » est un fichier, pas un répertoire.\nChoisissez ou créez un répertoire.");

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

    // Only folders are listed: their size and type say nothing. The date takes the width of
    // what it shows, the name the rest.
    if (auto* details = findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->hideSection(1);
        header->hideSection(2);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    if (auto* splitter = findChild<QSplitter*>(QStringLiteral("splitter"))) {
        splitter->setSizes({170, 590});
    }
    resize(760, 460);

    // Qt greys "Choisir" out while the typed name is not an existing folder; it stays usable
    // here, and accept() asks whether to create the folder, as Enter does.
    if (auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))) {
        for (QAbstractButton* button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole) {
                m_choisir = button;
                button->installEventFilter(this);
            }
        }
    }
}

QAbstractButton* FolderChooser::choisir() const {
    return m_choisir;
}

bool FolderChooser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_choisir && event->type() == QEvent::EnabledChange && !m_choisir->isEnabled()) {
        m_choisir->setEnabled(true);
    }
    return QFileDialog::eventFilter(watched, event);
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
        const QFileInfo info(folder);
        if (info.exists() && !info.isDir()) {
            MessageBoxes::showError(this, kNotAFolder.arg(QDir::toNativeSeparators(folder)));
            return;
        }
        if (!info.exists()) {
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

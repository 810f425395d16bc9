#include "app/TFrmSauvegarde.h"

#include "commands/BackupCommand.h"
#include "data/TDataprix.h"
#include "db/BackupService.h"
#include "db/DatabaseError.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* boutonParcourir(QWidget* parent, const QString& infobulle) {
    auto* bouton = new QToolButton(parent);
    bouton->setText(QStringLiteral("..."));
    bouton->setToolTip(infobulle);
    bouton->setAccessibleName(infobulle);
    return bouton;
}

}  // namespace

QString TFrmSauvegarde::fichierPropose() {
    return QDir::current().absoluteFilePath(
        QStringLiteral("TALMORIX-%1.fbk")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"))));
}

TFrmSauvegarde::TFrmSauvegarde(Mode mode, QWidget* parent) : QDialog(parent), m_mode(mode) {
    const bool sauvegarde = mode == Mode::Sauvegarde;
    setObjectName(QStringLiteral("FrmSauvegarde"));
    setWindowTitle(sauvegarde ? QStringLiteral("Sauvegarde de la base")
                              : QStringLiteral("Restauration d'une sauvegarde"));
    setModal(true);

    auto* champs = new QFormLayout;
    if (sauvegarde) {
        m_base = new QLabel(
            Dataprix ? QDir::toNativeSeparators(Dataprix->idataprix.databaseName()) : QString(),
            this);
        m_base->setObjectName(QStringLiteral("LabelBase"));
        m_base->setTextInteractionFlags(Qt::TextSelectableByMouse);
        champs->addRow(QStringLiteral("Base sauvegardée"), m_base);
    }

    m_fichier = new QLineEdit(this);
    m_fichier->setObjectName(QStringLiteral("EditFichier"));
    m_fichier->setMinimumWidth(420);
    auto* libelleFichier = new QLabel(QStringLiteral("Fichier de sauvegarde"), this);
    libelleFichier->setBuddy(m_fichier);
    m_fichier->setAccessibleName(libelleFichier->text());
    auto* ligneFichier = new QHBoxLayout;
    ligneFichier->addWidget(m_fichier);
    QToolButton* choisirFichier = boutonParcourir(this, QStringLiteral("Choisir le fichier"));
    ligneFichier->addWidget(choisirFichier);
    connect(choisirFichier, &QToolButton::clicked, this, &TFrmSauvegarde::parcourirFichier);
    champs->addRow(libelleFichier, ligneFichier);

    if (sauvegarde) {
        m_fichier->setText(QDir::toNativeSeparators(fichierPropose()));
    } else {
        m_dossier = new QLineEdit(this);
        m_dossier->setObjectName(QStringLiteral("EditDossier"));
        m_dossier->setToolTip(
            QStringLiteral("Un dossier de ce poste, ou d'un serveur sous la forme "
                           "serveur:/chemin. La base TALMORIX.gdb y est créée."));
        auto* libelleDossier = new QLabel(QStringLiteral("Dossier de la nouvelle base"), this);
        libelleDossier->setBuddy(m_dossier);
        m_dossier->setAccessibleName(libelleDossier->text());
        auto* ligneDossier = new QHBoxLayout;
        ligneDossier->addWidget(m_dossier);
        QToolButton* choisirDossier = boutonParcourir(this, QStringLiteral("Choisir le dossier"));
        ligneDossier->addWidget(choisirDossier);
        connect(choisirDossier, &QToolButton::clicked, this, &TFrmSauvegarde::parcourirDossier);
        champs->addRow(libelleDossier, ligneDossier);
    }

    m_etape = new QLabel(this);
    m_etape->setObjectName(QStringLiteral("LabelEtape"));
    m_progression = new QProgressBar(this);
    m_progression->setObjectName(QStringLiteral("BarreProgression"));
    m_progression->setAccessibleName(QStringLiteral("Progression"));
    m_progression->setRange(0, 100);
    m_progression->setValue(0);

    m_executer = new QPushButton(
        sauvegarde ? QStringLiteral("Sauvegarder") : QStringLiteral("Restaurer"), this);
    m_executer->setObjectName(QStringLiteral("BtnExecuter"));
    m_executer->setDefault(true);
    m_fermer = new QPushButton(QStringLiteral("Fermer"), this);
    m_fermer->setObjectName(QStringLiteral("BtnFermer"));
    connect(m_executer, &QPushButton::clicked, this, &TFrmSauvegarde::BtnExecuterClick);
    connect(m_fermer, &QPushButton::clicked, this, &QDialog::reject);

    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(m_executer);
    boutons->addWidget(m_fermer);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(champs);
    layout->addWidget(m_etape);
    layout->addWidget(m_progression);
    layout->addLayout(boutons);
}

void TFrmSauvegarde::parcourirFichier() {
    const QString choisi =
        m_mode == Mode::Sauvegarde
            ? QFileDialog::getSaveFileName(this, QStringLiteral("Fichier de sauvegarde"),
                                           m_fichier->text(),
                                           QStringLiteral("Sauvegardes Firebird (*.fbk)"))
            : QFileDialog::getOpenFileName(this, QStringLiteral("Fichier de sauvegarde"),
                                           m_fichier->text(),
                                           QStringLiteral("Sauvegardes Firebird (*.fbk)"));
    if (!choisi.isEmpty()) {
        m_fichier->setText(QDir::toNativeSeparators(choisi));
    }
}

void TFrmSauvegarde::parcourirDossier() {
    const QString choisi = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Dossier de la nouvelle base"), m_dossier->text());
    if (!choisi.isEmpty()) {
        m_dossier->setText(QDir::toNativeSeparators(choisi));
    }
}

void TFrmSauvegarde::BtnExecuterClick() {
    const QString fichier = QDir::fromNativeSeparators(m_fichier->text().trimmed());
    if (fichier.isEmpty()) {
        MessageBoxes::showError(this, QStringLiteral("Indiquez le fichier de sauvegarde."));
        return;
    }
    const bool sauvegarde = m_mode == Mode::Sauvegarde;
    const QString dossier = m_dossier ? m_dossier->text().trimmed() : QString();
    if (!sauvegarde && dossier.isEmpty()) {
        MessageBoxes::showError(this, QStringLiteral("Indiquez le dossier de la nouvelle base."));
        return;
    }

    // The operation runs here, in steps: the dialog shows each step and nothing else can be
    // done meanwhile.
    m_executer->setEnabled(false);
    m_fermer->setEnabled(false);
    m_progression->setValue(0);
    if (sauvegarde) {
        m_progression->setRange(0, 0);  // the size of a backup is known only at its end
    }
    auto progression = [this, sauvegarde](const db::BackupService::Progress& p) {
        if (sauvegarde) {
            m_etape->setText(QStringLiteral("%1 Ko écrits").arg(p.bytesDone / 1024));
        } else {
            if (p.bytesTotal > 0) {
                m_progression->setValue(int(p.bytesDone * 100 / p.bytesTotal));
            }
            m_etape->setText(p.line);
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString message;
    QString erreur;
    // The login of the base in use serves the restore too: its user will own the new base.
    const db::Credentials identifiants =
        Dataprix ? Dataprix->idataprix.credentials()
                 : Configuration::find().credentials();
    try {
        if (sauvegarde) {
            const QString base = Dataprix ? Dataprix->idataprix.databaseName() : QString();
            db::BackupService::backup(base, fichier, identifiants, progression);
            message =
                QStringLiteral("Sauvegarde terminée : %1").arg(QDir::toNativeSeparators(fichier));
        } else {
            const QString base = BackupCommand::restoredDatabase(dossier);
            db::BackupService::restore(fichier, base, identifiants, progression);
            message = QStringLiteral(
                          "Base restaurée : %1\nPour travailler sur cette base, indiquez "
                          "son dossier dans Rep de CheminBase.ini.")
                          .arg(QDir::toNativeSeparators(base));
        }
    } catch (const db::DatabaseError& e) {
        erreur = e.text();
    }
    QApplication::restoreOverrideCursor();
    m_progression->setRange(0, 100);
    m_progression->setValue(erreur.isEmpty() ? 100 : 0);
    m_etape->setText(erreur.isEmpty() ? QStringLiteral("Terminé.") : QString());
    m_executer->setEnabled(true);
    m_fermer->setEnabled(true);
    if (erreur.isEmpty()) {
        MessageBoxes::information(this, message);
    } else {
        MessageBoxes::showError(this, erreur);
    }
}

#include "app/TFrmPremiereUtilisation.h"

#include "data/Configuration.h"
#include "data/DatabaseCreator.h"
#include "data/DemoData.h"
#include "db/BackupService.h"
#include "db/DatabaseError.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kChoix = 3;

struct Texte {
    const char16_t* bouton;
    const char16_t* libelle;
    const char16_t* infobulle;
};

const Texte kTextes[kChoix] = {
    {u"Ouvrir une base existante…", u"Dossier de la base existante",
     u"Le dossier qui contient TALMORIX.gdb, ou serveur:/chemin pour une base sur un serveur "
     u"Firebird."},
    {u"Créer une base neuve", u"Dossier de la base neuve",
     u"Le dossier où la base vide TALMORIX.gdb sera créée (créé s'il n'existe pas)."},
    {u"Créer une base de démonstration", u"Dossier de la base de démonstration",
     u"Le dossier où la base TALMORIX.gdb sera créée avec trois sociétés fictives (créé s'il "
     u"n'existe pas)."},
};

int indice(TFrmPremiereUtilisation::Choix choix) {
    return static_cast<int>(choix);
}

QString natif(const QString& chemin) {
    return QDir::toNativeSeparators(chemin);
}

/// Why @p dossier cannot be a folder in which this account writes (made when missing);
/// empty when it can.
QString refusEcriture(const QString& dossier) {
    const QFileInfo info(dossier);
    if (info.exists() && !info.isDir()) {
        return QStringLiteral("%1 n'est pas un dossier : choisissez-en un autre.")
            .arg(natif(dossier));
    }
    if (!QDir().mkpath(dossier)) {
        return QStringLiteral(
                   "Le dossier %1 ne peut pas être créé : choisissez un dossier où "
                   "votre compte peut écrire.")
            .arg(natif(dossier));
    }
    if (!QFileInfo(dossier).isWritable()) {
        return QStringLiteral(
                   "Le dossier %1 n'est pas accessible en écriture : choisissez un "
                   "dossier où votre compte peut écrire.")
            .arg(natif(dossier));
    }
    return QString();
}

}  // namespace

TFrmPremiereUtilisation::TFrmPremiereUtilisation(const QString& cheminConfiguration,
                                                 QWidget* parent)
    : QDialog(parent), m_cheminConfiguration(cheminConfiguration) {
    setObjectName(QStringLiteral("FrmPremiereUtilisation"));
    setWindowTitle(QStringLiteral("Première utilisation"));
    setModal(true);

    auto* intro = new QLabel(
        QStringLiteral("Aucun fichier de configuration CheminBase.ini n'a été trouvé. Choisissez "
                       "la base de données à utiliser ; le choix sera enregistré dans %1.")
            .arg(natif(cheminConfiguration)),
        this);
    intro->setObjectName(QStringLiteral("LabelIntroduction"));
    intro->setWordWrap(true);

    auto* grille = new QGridLayout;
    grille->setColumnMinimumWidth(0, 24);
    grille->setColumnStretch(2, 1);
    for (int i = 0; i < kChoix; ++i) {
        const auto choix = static_cast<Choix>(i);
        auto* bouton = new QRadioButton(QString::fromUtf16(kTextes[i].bouton), this);
        auto* dossier = new QLineEdit(this);
        dossier->setMinimumWidth(380);
        dossier->setToolTip(QString::fromUtf16(kTextes[i].infobulle));
        auto* libelle = new QLabel(QString::fromUtf16(kTextes[i].libelle), this);
        libelle->setBuddy(dossier);
        dossier->setAccessibleName(libelle->text());
        auto* choisir = new QToolButton(this);
        choisir->setText(QStringLiteral("..."));
        choisir->setToolTip(QStringLiteral("Choisir le dossier"));
        choisir->setAccessibleName(QStringLiteral("Choisir le dossier"));
        connect(choisir, &QToolButton::clicked, this, [this, choix] { parcourir(choix); });
        // Only the folder of the chosen button is taken; typing in a folder chooses it.
        connect(dossier, &QLineEdit::textEdited, bouton, [bouton] { bouton->setChecked(true); });
        const int ligne = i * 2;
        grille->addWidget(bouton, ligne, 0, 1, 4);
        grille->addWidget(libelle, ligne + 1, 1);
        grille->addWidget(dossier, ligne + 1, 2);
        grille->addWidget(choisir, ligne + 1, 3);
        m_boutons[i] = bouton;
        m_dossiers[i] = dossier;
    }
    m_dossiers[indice(Choix::BaseExistante)]->setPlaceholderText(
        QStringLiteral("dossier de TALMORIX.gdb, ou serveur:/chemin"));
    m_dossiers[indice(Choix::BaseNeuve)]->setText(natif(dossierPropose()));
    m_dossiers[indice(Choix::BaseDemonstration)]->setText(natif(dossierPropose()));
    m_boutons[indice(Choix::BaseNeuve)]->setChecked(true);
    // The keyboard starts on the choice made: arrows change it, Enter continues.
    m_boutons[indice(Choix::BaseNeuve)]->setFocus();

    m_etape = new QLabel(this);
    m_etape->setObjectName(QStringLiteral("LabelEtape"));

    m_continuer = new QPushButton(QStringLiteral("Continuer"), this);
    m_continuer->setObjectName(QStringLiteral("BtnContinuer"));
    m_continuer->setDefault(true);
    m_quitter = new QPushButton(QStringLiteral("Quitter"), this);
    m_quitter->setObjectName(QStringLiteral("BtnQuitter"));
    connect(m_continuer, &QPushButton::clicked, this, &TFrmPremiereUtilisation::BtnContinuerClick);
    connect(m_quitter, &QPushButton::clicked, this, &QDialog::reject);

    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(m_continuer);
    boutons->addWidget(m_quitter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addSpacing(8);
    layout->addLayout(grille);
    layout->addWidget(m_etape);
    layout->addStretch();
    layout->addLayout(boutons);
}

QRadioButton* TFrmPremiereUtilisation::bouton(Choix choix) const {
    return m_boutons[indice(choix)];
}

QLineEdit* TFrmPremiereUtilisation::champDossier(Choix choix) const {
    return m_dossiers[indice(choix)];
}

TFrmPremiereUtilisation::Choix TFrmPremiereUtilisation::choix() const {
    for (int i = 0; i < kChoix; ++i) {
        if (m_boutons[i]->isChecked()) {
            return static_cast<Choix>(i);
        }
    }
    return Choix::BaseNeuve;
}

QString TFrmPremiereUtilisation::dossierPropose() {
    return QDir::home().filePath(QStringLiteral("Ardoz"));
}

QString TFrmPremiereUtilisation::demander(QWidget* parent) {
    TFrmPremiereUtilisation dialogue(Configuration::userPath(), parent);
    return dialogue.exec() == QDialog::Accepted ? dialogue.cheminConfiguration() : QString();
}

void TFrmPremiereUtilisation::parcourir(Choix choix) {
    QLineEdit* champ = champDossier(choix);
    const QString depart = dossierSaisi(champ->text());
    const QString choisi =
        QFileDialog::getExistingDirectory(this, QString::fromUtf16(kTextes[indice(choix)].libelle),
                                          QFileInfo(depart).isDir() ? depart : QDir::homePath());
    if (!choisi.isEmpty()) {
        champ->setText(natif(choisi));
        bouton(choix)->setChecked(true);
    }
}

QString TFrmPremiereUtilisation::dossierSaisi(const QString& texte) {
    QString dossier = QDir::fromNativeSeparators(texte.trimmed());
    if (dossier.isEmpty()) {
        return dossier;
    }
    QString serveur;
    QString chemin;
    db::BackupService::splitServer(dossier, serveur, chemin);
    if (!serveur.isEmpty()) {
        return dossier;
    }
    if (dossier == u'~' || dossier.startsWith(QStringLiteral("~/"))) {
        dossier = QDir::homePath() + dossier.mid(1);
    }
    return QDir::cleanPath(QDir::home().absoluteFilePath(dossier));
}

QString TFrmPremiereUtilisation::preparerBase(const QString& dossier) {
    const Choix choisi = choix();
    if (choisi == Choix::BaseExistante) {
        QString serveur;
        QString chemin;
        db::BackupService::splitServer(dossier, serveur, chemin);
        if (!serveur.isEmpty()) {
            // Only the server can tell: the normal start connects and says what fails.
            return dossier;
        }
        QString base = dossier;
        // The file itself, chosen or typed, names its folder.
        if (QFileInfo(dossier).isFile() &&
            QFileInfo(dossier).fileName().compare(QStringLiteral("TALMORIX.gdb"),
                                                  Qt::CaseInsensitive) == 0) {
            base = QFileInfo(dossier).absolutePath();
        }
        const QFileInfo fichier(QDir(base).filePath(QStringLiteral("TALMORIX.gdb")));
        if (!fichier.isFile()) {
            MessageBoxes::showError(
                this, QStringLiteral("Le dossier %1 ne contient pas de base TALMORIX.gdb : "
                                     "choisissez le dossier qui la contient, ou créez une base.")
                          .arg(natif(base)));
            return QString();
        }
        if (!fichier.isWritable()) {
            MessageBoxes::showError(
                this, QStringLiteral("La base %1 ne peut pas être modifiée depuis votre compte : "
                                     "demandez le droit d'écriture ou choisissez une autre base.")
                          .arg(natif(fichier.filePath())));
            return QString();
        }
        return base;
    }

    QString serveur;
    QString chemin;
    db::BackupService::splitServer(dossier, serveur, chemin);
    // A server's folder is the server's to refuse: tried here, it would make a local folder
    // named after the server.
    if (serveur.isEmpty()) {
        if (const QString refus = refusEcriture(dossier); !refus.isEmpty()) {
            MessageBoxes::showError(this, refus);
            return QString();
        }
    }
    m_etape->setText(choisi == Choix::BaseDemonstration
                         ? QStringLiteral("Création de la base de démonstration…")
                         : QStringLiteral("Création de la base…"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QString erreur;
    try {
        // No file gives a login yet: ISC_USER and ISC_PASSWORD, or the defaults.
        const db::Credentials login = Configuration::find().credentials();
        if (choisi == Choix::BaseDemonstration) {
            DemoData::createDatabase(dossier, login);
        } else {
            DatabaseCreator::create(dossier, login);
        }
    } catch (const db::DatabaseError& e) {
        erreur = e.text();
    }
    QApplication::restoreOverrideCursor();
    m_etape->clear();
    if (!erreur.isEmpty()) {
        MessageBoxes::showError(this, erreur);
        return QString();
    }
    return dossier;
}

void TFrmPremiereUtilisation::BtnContinuerClick() {
    const Choix choisi = choix();
    const QString dossier = dossierSaisi(champDossier(choisi)->text());
    if (dossier.isEmpty()) {
        MessageBoxes::showError(this,
                                choisi == Choix::BaseExistante
                                    ? QStringLiteral("Indiquez le dossier qui contient "
                                                     "TALMORIX.gdb, ou serveur:/chemin.")
                                    : QStringLiteral("Indiquez le dossier de la nouvelle base."));
        champDossier(choisi)->setFocus();
        return;
    }
    // Where CheminBase.ini goes must take it before a database is made for it.
    const QString dossierConfiguration = QFileInfo(m_cheminConfiguration).absolutePath();
    if (const QString refus = refusEcriture(dossierConfiguration); !refus.isEmpty()) {
        MessageBoxes::showError(this, refus);
        return;
    }
    const QString base = preparerBase(dossier);
    if (base.isEmpty()) {
        champDossier(choisi)->setFocus();
        return;
    }
    if (const QString refus = Configuration::writeNew(m_cheminConfiguration, base);
        !refus.isEmpty()) {
        // A database made a moment ago for this file goes with it.
        if (choisi != Choix::BaseExistante) {
            QFile::remove(QDir(base).filePath(QStringLiteral("TALMORIX.gdb")));
        }
        MessageBoxes::showError(this, refus);
        return;
    }
    accept();
}

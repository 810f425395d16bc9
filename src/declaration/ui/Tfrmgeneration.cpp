#include "declaration/ui/Tfrmgeneration.h"

#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "declaration/DeclarationError.h"
#include "declaration/DeclarationValidator.h"
#include "declaration/DeclarationWriter.h"
#include "declaration/ui/FolderChooser.h"
#include "declaration/ui/Tfrmproblemes.h"
#include "summary/DeclarationSummary.h"
#include "widgets/MessageBoxes.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

const QString Tfrmgeneration::kCaption = QStringLiteral("Génération  du Fichier Xml");
const QString Tfrmgeneration::kSucces = QStringLiteral("Fichier Xml Générer avec succés");
const QString Tfrmgeneration::kRecapitulatif = QStringLiteral("Récapitulatif PDF");
const QString Tfrmgeneration::kOuvrirRecapitulatif = QStringLiteral("Ouvrir le récapitulatif");
const QString Tfrmgeneration::kCleRecapitulatif = QStringLiteral("Generation/RecapitulatifPdf");
const QString Tfrmgeneration::kAucuneSociete =
    QStringLiteral("Société : aucune société n'est sélectionnée.");

namespace {

/// The user's settings of the program (~/.config/Ardoz Prix de Transfert/reglages.conf).
QSettings reglages() {
    // Beside the user's CheminBase.ini and column widths, in the program's own folder.
    return QSettings(QStringLiteral("Ardoz Prix de Transfert"), QStringLiteral("reglages"));
}

}  // namespace

Tfrmgeneration::Tfrmgeneration(QWidget* parent, TDataprix* module)
    : QDialog(parent),
      m_module(module ? *module : *Dataprix),
      m_writer(std::make_unique<DeclarationWriter>(m_module)),
      m_labelSociete(new QLabel(this)),
      m_labelExercice(new QLabel(this)),
      m_labelActe(new QLabel(this)),
      m_labelNature(new QLabel(this)),
      m_labelRepertoire(new QLabel(QStringLiteral("Répertoire  des  Fichiers Xml"), this)),
      m_editRepertoire(new QLineEdit(this)),
      m_btnParcourir(new QToolButton(this)),
      m_btnControler(new QPushButton(QStringLiteral("Contrôler"), this)),
      m_btnOk(new QPushButton(QStringLiteral("Valider"), this)),
      m_btnFermer(new QPushButton(QStringLiteral("Fermer"), this)),
      m_chkRecapitulatif(new QCheckBox(kRecapitulatif, this)) {
    setWindowTitle(kCaption);
    setModal(true);

    m_labelSociete->setObjectName(QStringLiteral("LabelSociete"));
    m_labelSociete->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont gras = m_labelSociete->font();
    gras.setBold(true);
    m_labelSociete->setFont(gras);
    m_labelRepertoire->setBuddy(m_editRepertoire);
    m_editRepertoire->setMinimumWidth(360);
    m_btnParcourir->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_btnParcourir->setToolTip(QStringLiteral("Choisir le répertoire"));
    m_btnParcourir->setAccessibleName(m_btnParcourir->toolTip());

    // No button is reached with Tab, and none answers Enter.
    m_btnControler->setToolTip(
        QStringLiteral("Contrôler la déclaration selon le schéma de l'administration, sans "
                       "écrire le fichier"));
    for (QPushButton* button : {m_btnControler, m_btnOk, m_btnFermer}) {
        button->setFocusPolicy(Qt::ClickFocus);
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    m_chkRecapitulatif->setToolTip(
        QStringLiteral("Écrire aussi, à côté du fichier Xml, son récapitulatif imprimable "
                       "(FDPT-<matricule>-<exercice>.pdf)"));
    m_chkRecapitulatif->setChecked(reglages().value(kCleRecapitulatif, true).toBool());
    connect(m_chkRecapitulatif, &QCheckBox::toggled, this,
            [](bool on) { reglages().setValue(kCleRecapitulatif, on); });

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_editRepertoire, 1);
    folderRow->addWidget(m_btnParcourir);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnControler);
    buttons->addStretch(1);
    buttons->addWidget(m_btnOk);
    buttons->addWidget(m_btnFermer);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_labelSociete);
    layout->addSpacing(4);
    layout->addWidget(m_labelExercice);
    layout->addWidget(m_labelActe);
    layout->addWidget(m_labelNature);
    layout->addSpacing(8);
    layout->addWidget(m_labelRepertoire);
    layout->addLayout(folderRow);
    layout->addWidget(m_chkRecapitulatif);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(m_btnControler, &QPushButton::clicked, this, &Tfrmgeneration::BtnControlerClick);
    connect(m_btnOk, &QPushButton::clicked, this, &Tfrmgeneration::BtnOkClick);
    connect(this, &QDialog::finished, this, &Tfrmgeneration::confierListe);
    connect(m_btnFermer, &QPushButton::clicked, this, &Tfrmgeneration::BtnFermerClick);
    connect(m_btnParcourir, &QToolButton::clicked, this, &Tfrmgeneration::BtnParcourirClick);

    FormCreate();
    m_editRepertoire->setFocus();
}

Tfrmgeneration::~Tfrmgeneration() = default;

QString Tfrmgeneration::texteActe(const QString& codeActe) {
    if (codeActe == QLatin1StringView("0")) {
        return QStringLiteral("Acte de dépôt: 0 : Initiale");
    }
    if (codeActe == QLatin1StringView("1")) {
        return QStringLiteral("Acte de dépôt: 1 : Rectificative");
    }
    if (codeActe == QLatin1StringView("4")) {
        return QStringLiteral("Acte de dépôt: 4 : Cessation d’activité");
    }
    return QStringLiteral("Acte de Dépot");
}

QString Tfrmgeneration::texteNature(const QString& typeDeclaration) {
    if (typeDeclaration == QLatin1StringView("P")) {
        return QStringLiteral("Nature de dépôt:  P : Déclaration provisoire");
    }
    if (typeDeclaration == QLatin1StringView("D")) {
        return QStringLiteral("Nature de dépôt:  D : Déclaration définitive");
    }
    return QStringLiteral("Nature Dépot");
}

QString Tfrmgeneration::texteSociete(const Dataset& societe) {
    if (!societe.isActive() || societe.currentIndex() < 0) {
        return kAucuneSociete;
    }
    const QString identifiant = societe.value(QStringLiteral("MFISCAL")).toText() +
                                societe.value(QStringLiteral("CLE")).toText();
    const QString exercice = societe.value(QStringLiteral("EXERCICE")).toText();
    return QStringLiteral("Société : %1   %2  Exercice: %3\nFichier : %4")
        .arg(societe.value(QStringLiteral("RAISONSOCIALE")).toText().trimmed(), identifiant,
             exercice, DeclarationWriter::fileName(identifiant, exercice));
}

void Tfrmgeneration::FormCreate() {
    m_editRepertoire->setText(QDir::toNativeSeparators(QDir::currentPath()));
    const Dataset& societe = *m_module.societe;
    m_labelSociete->setText(texteSociete(societe));
    m_labelExercice->setText(QStringLiteral("Exercice:") +
                             societe.value(QStringLiteral("EXERCICE")).toText());
    m_labelActe->setText(texteActe(societe.value(QStringLiteral("CODEACTE")).toText()));
    m_labelNature->setText(texteNature(societe.value(QStringLiteral("TYPEDECLARATION")).toText()));
}

void Tfrmgeneration::BtnOkClick() {
    GenXml();
    accept();
}

void Tfrmgeneration::BtnFermerClick() {
    reject();
}

void Tfrmgeneration::BtnParcourirClick() {
    const QString folder = FolderChooser::choose(this, m_editRepertoire->text());
    if (!folder.isEmpty()) {
        m_editRepertoire->setText(folder);
    }
}

QString Tfrmgeneration::texteAucunProbleme() {
    return QStringLiteral(
               "Aucun problème : le schéma de l'administration (%1) accepte la "
               "déclaration.")
        .arg(DeclarationValidator::schemaName());
}

QString Tfrmgeneration::texteProblemes(qsizetype count) {
    return QStringLiteral(
               "Le contrôle relève %1 problème%2 que l'administration refuserait "
               "(schéma %3).\nVoulez-vous en voir la liste ?")
        .arg(count)
        .arg(count > 1 ? QStringLiteral("s") : QString())
        .arg(DeclarationValidator::schemaName());
}

void Tfrmgeneration::GenXml() {
    const QFileInfo dossier(m_editRepertoire->text());
    if (!m_editRepertoire->text().trimmed().isEmpty() && dossier.exists() && !dossier.isDir()) {
        MessageBoxes::showError(this, FolderChooser::kNotAFolder.arg(m_editRepertoire->text()));
        return;
    }
    QString path;
    try {
        path = m_writer->generate(m_editRepertoire->text());
    } catch (const DeclarationError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    QString recapitulatif;
    QString echec;
    if (m_chkRecapitulatif->isChecked()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            recapitulatif = DeclarationSummary::write(path, m_writer->problems());
        } catch (const DeclarationError& e) {
            echec = e.text();
        }
        QGuiApplication::restoreOverrideCursor();
    }
    if (recapitulatif.isEmpty()) {
        MessageBoxes::information(this, kSucces);
        if (!echec.isEmpty()) {
            MessageBoxes::showError(this, texteEchecRecapitulatif(echec));
        }
    } else if (MessageBoxes::informationAction(this, kSucces, kOuvrirRecapitulatif)) {
        OuvrirRecapitulatif(recapitulatif);
    }
    const qsizetype count = m_writer->problems().size();
    if (count > 0 && MessageBoxes::confirm(this, texteProblemes(count))) {
        AfficherProblemes();
    }
}

QString Tfrmgeneration::texteEchecRecapitulatif(const QString& raison) {
    return QStringLiteral(
               "Le récapitulatif PDF n'a pas été écrit : %1\nLe fichier Xml est "
               "conservé.")
        .arg(raison);
}

void Tfrmgeneration::OuvrirRecapitulatif(const QString& path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        MessageBoxes::showError(
            this, QStringLiteral("Le récapitulatif %1 n'a pu être ouvert : aucun lecteur de PDF "
                                 "n'est associé à ce type de fichier.")
                      .arg(QDir::toNativeSeparators(path)));
    }
}

void Tfrmgeneration::BtnControlerClick() {
    try {
        m_writer->check();
    } catch (const DeclarationError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    if (m_writer->problems().isEmpty()) {
        MessageBoxes::information(this, texteAucunProbleme());
        return;
    }
    AfficherProblemes();
}

void Tfrmgeneration::AfficherProblemes() {
    const bool nouvelle = m_liste.isNull();
    if (nouvelle) {
        // A child of the modal dialog, so that it can be used while the dialog is open.
        m_liste = new Tfrmproblemes(this);
        connect(m_liste, &Tfrmproblemes::emplacementDemande, this, [this] {
            // The entry window is of no use behind a modal dialog.
            if (isVisible()) {
                reject();
            }
        });
    }
    m_liste->setProblems(DeclarationWriter::fileName(m_module.identifiantComplet(),
                                                     m_module.exerciceActif().toText())
                             .chopped(4),
                         m_writer->problems());
    m_liste->show();
    m_liste->raise();
    m_liste->activateWindow();
    if (nouvelle) {
        emit listeProblemesOuverte(m_liste);
    }
}

void Tfrmgeneration::confierListe() {
    if (m_liste.isNull()) {
        return;
    }
    // The list outlives the dialog, which is destroyed once closed.
    disconnect(m_liste, &Tfrmproblemes::emplacementDemande, this, nullptr);
    m_liste->setParent(parentWidget(), m_liste->windowFlags());
    m_liste->show();
}

void Tfrmgeneration::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

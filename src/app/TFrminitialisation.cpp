#include "app/TFrminitialisation.h"

#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "widgets/MessageBoxes.h"
#include "widgets/PasswordEdit.h"
#include "widgets/TFrmMotPasse.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TFrminitialisation::TFrminitialisation(QWidget* parent)
    : QDialog(parent), m_motDePasse(new PasswordEdit(this)) {
    setObjectName(QStringLiteral("Frminitialisation"));
    setWindowTitle(QStringLiteral("Initialisation"));
    setModal(true);

    auto* libelle = new QLabel(QStringLiteral("Mot de Passe"), this);
    libelle->setBuddy(m_motDePasse);
    m_motDePasse->setObjectName(QStringLiteral("EditMotPasse"));
    m_motDePasse->setAccessibleName(libelle->text());
    m_motDePasse->setMinimumWidth(180);

    auto* avertissement = new QLabel(QStringLiteral("Cette Procedure efface toutes les données "
                                                    "saisie, \nles données ne seront plus "
                                                    "récupérables."),
                                     this);
    avertissement->setObjectName(QStringLiteral("LabelAvertissement"));
    QFont gras = avertissement->font();
    gras.setBold(true);
    avertissement->setFont(gras);
    avertissement->setStyleSheet(QStringLiteral("color: #b00000;"));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BtnOk"));
    m_ok->setDefault(true);
    m_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    m_annuler->setObjectName(QStringLiteral("BtnAnnuler"));
    connect(m_ok, &QPushButton::clicked, this, &TFrminitialisation::BtnOkClick);
    connect(m_annuler, &QPushButton::clicked, this, &QDialog::reject);

    auto* champs = new QFormLayout;
    champs->addRow(libelle, m_motDePasse);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(m_ok);
    boutons->addWidget(m_annuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(avertissement);
    layout->addLayout(champs);
    layout->addLayout(boutons);
}

void TFrminitialisation::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* s = screen()) {
        move(s->availableGeometry().center() - rect().center());
    }
    m_motDePasse->setFocus(Qt::OtherFocusReason);
}

void TFrminitialisation::BtnOkClick() {
    // The dialog closes once this is done, whatever the outcome: a wrong code needs a new try.
    setResult(QDialog::Accepted);
    if (m_motDePasse->text() != TFrmMotPasse::codeAcces()) {
        MessageBoxes::information(this, QStringLiteral("Mot de Passe Incorrect"));
        accept();
        return;
    }
    try {
        Dataprix->ensureConnected();
        db::Statement procedure(Dataprix->IBTransaction1);
        procedure.prepare(QStringLiteral("EXECUTE PROCEDURE INITIALISATION"));
        procedure.execute();
        MessageBoxes::information(this, QStringLiteral("Initialisation efféctuée"));
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
    accept();
}

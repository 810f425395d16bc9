#include "reference/TfrmSOCIETESESELECT.h"

#include "data/QueryDataset.h"
#include "data/Schema.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "widgets/DBGrid.h"
#include "widgets/SearchEdit.h"
#include "widgets/ServicesFenetres.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

namespace {

const QString kColonnes = QStringLiteral(
    "MFISCALLIE, AUTREIDENTIFIANT, RAISONSOCIALE, ETATTERRITOIRE, POURCENTCAPITAL, POURVENVOTE, "
    "QUALITE, AUTREQUALITE");

}  // namespace

TfrmSOCIETESESELECT::TfrmSOCIETESESELECT(ServicesFenetres& services, QWidget* parent)
    : TFrmChoix(services, QStringLiteral("frmSOCIETESESELECT"), QStringLiteral("Sociétés"),
                parent) {
    m_societes = new QueryDataset(
        QStringLiteral("societes"),
        QStringLiteral("select %1 from CAPITALLIEE union select %1 from CAPITALDECLARANTE "
                       "order by 3")
            .arg(kColonnes),
        QueryDataset::columnsOf(Schema::table(QStringLiteral("CAPITALLIEE")),
                                kColonnes.split(QStringLiteral(", "))),
        *Dataprix, this);
    // The order column, for the grid to mark.
    m_societes->setSql(m_societes->sql(), QStringLiteral("RAISONSOCIALE"));

    DBGrid* grid = grille();
    grid->addColumn(QStringLiteral("Mat.Fiscal"), QStringLiteral("MFISCALLIE"), 90);
    grid->addColumn(QStringLiteral("Aut.Id"), QStringLiteral("AUTREIDENTIFIANT"), 110);
    grid->addColumn(QStringLiteral("Raison Sociale"), QStringLiteral("RAISONSOCIALE"), 260);
    grid->addColumn(QStringLiteral("Nation"), QStringLiteral("ETATTERRITOIRE"), 60);
    grid->addColumn(QStringLiteral("%Capital"), QStringLiteral("POURCENTCAPITAL"), 80);
    grid->addColumn(QStringLiteral("%Vote"), QStringLiteral("POURVENVOTE"), 80);
    grid->setDataset(m_societes);
    resize(760, 420);

    libelleFiltre()->hide();
    champFiltre()->hide();
    menuSupprimer()->setEnabled(false);

    m_fermer = new QPushButton(QStringLiteral("fermer"), this);
    m_fermer->setObjectName(QStringLiteral("BtnFermer"));
    m_fermer->setAutoDefault(false);
    layout()->addWidget(m_fermer);
    layout()->setAlignment(m_fermer, Qt::AlignRight);
    connect(m_fermer, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmSOCIETESESELECT::FormShow() {
    grille()->setFocus();
    try {
        m_societes->open();
    } catch (const db::DatabaseError& e) {
        erreur(e.text());
    }
}

void TfrmSOCIETESESELECT::valider() {
    services().contexte().Indicateur = 1;
    accept();
}

#include "reference/TFrmChoixCode.h"

#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "reference/RechercheContient.h"
#include "widgets/DBGrid.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SearchEdit.h"
#include "widgets/ServicesFenetres.h"

#include <QAction>

TFrmChoixCode::TFrmChoixCode(const DefinitionChoixCode& definition, ServicesFenetres& services,
                             QWidget* parent)
    : TFrmChoix(services, QString::fromUtf16(definition.nom), QString::fromUtf16(definition.titre),
                parent),
      m_definition(definition),
      m_dataset(Dataprix->*definition.dataset) {
    const auto& [code, libelle] = definition.colonnes;
    grille()->addColumn(QString::fromUtf16(code.titre), champCode(), 90);
    grille()->addColumn(QString::fromUtf16(libelle.titre), champLibelle(), 360);
    grille()->setDataset(m_dataset);
    connect(champFiltre(), &QLineEdit::textChanged, this, &TFrmChoixCode::FiltrerAffichage);
    connect(menuSupprimer(), &QAction::triggered, this, &TFrmChoixCode::MenuSupprimerClick);
}

QString TFrmChoixCode::champCode() const {
    return QString::fromUtf16(m_definition.colonnes[0].champ);
}

QString TFrmChoixCode::champLibelle() const {
    return QString::fromUtf16(m_definition.colonnes[1].champ);
}

int TFrmChoixCode::exec() {
    try {
        if (m_dataset->isEditing()) {
            m_dataset->checkBrowseMode();
        }
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(parentWidget(), e.text());
        return QDialog::Rejected;
    }
    return TFrmChoix::exec();
}

void TFrmChoixCode::FormShow() {
    champFiltre()->setFocus();
    try {
        m_dataset->setSql(QStringLiteral("select * from %1 order by %2")
                              .arg(QString::fromUtf16(m_definition.table), champCode()),
                          champCode());
        m_dataset->open();
    } catch (const db::DatabaseError& e) {
        erreur(e.text());
    }
}

void TFrmChoixCode::FiltrerAffichage(const QString& text) {
    const QString table = QString::fromUtf16(m_definition.table);
    try {
        RechercheContient::appliquer(*m_dataset,
                                     QStringLiteral("select * from %1 where %2")
                                         .arg(table, RechercheContient::condition(champCode())),
                                     QStringLiteral("select * from %1 ").arg(table), text);
        m_dataset->open();
    } catch (const db::DatabaseError& e) {
        erreur(e.text());
    }
    if (m_dataset->isEmpty()) {
        champFiltre()->setFocus();
    }
}

void TFrmChoixCode::MenuSupprimerClick() {
    if (!MessageBoxes::confirm(this, QStringLiteral("Voulez-vous supprimer la ligne en cours ?"))) {
        return;
    }
    try {
        m_dataset->remove();
    } catch (const db::DatabaseError& e) {
        erreur(e.text());
    }
}

void TFrmChoixCode::valider() {
    accept();
}

void TFrmChoixCode::done(int result) {
    ContexteSocieteActive& contexte = services().contexte();
    contexte.CodeChoisi = m_dataset->value(champCode()).toText();
    if (m_definition.renvoieLibelle) {
        contexte.LibelleChoisi = m_dataset->value(champLibelle()).toText();
    }
    TFrmChoix::done(result);
}

#include "reference/Choix.h"

#include "data/QueryDataset.h"
#include "reference/TFRMDEVISESELECT.h"
#include "reference/TFrmterritoireSELECT.h"
#include "reference/TfrmSOCIETESESELECT.h"
#include "widgets/ServicesFenetres.h"

#include <QLineEdit>

namespace {

template <typename Dialogue>
bool choisirCode(ServicesFenetres& services, QWidget* parent, const QString& valeurActuelle) {
    services.contexte().CodeChoisi.clear();
    services.contexte().LibelleChoisi.clear();
    Dialogue dialogue(services, parent);
    dialogue.setValeurActuelle(valeurActuelle);
    return dialogue.exec() == QDialog::Accepted;
}

}  // namespace

QString Choix::valeurDe(const QWidget* champ) {
    const auto* ligne = qobject_cast<const QLineEdit*>(champ);
    return ligne ? ligne->text().trimmed() : QString();
}

bool Choix::etatTerritorial(ServicesFenetres& services, QWidget* parent,
                            const QString& valeurActuelle) {
    return choisirCode<TFrmterritoireSELECT>(services, parent, valeurActuelle);
}

bool Choix::devise(ServicesFenetres& services, QWidget* parent, const QString& valeurActuelle) {
    return choisirCode<TFRMDEVISESELECT>(services, parent, valeurActuelle);
}

std::optional<Choix::SocieteLiee> Choix::societeLiee(ServicesFenetres& services, QWidget* parent,
                                                     const QString& valeurActuelle) {
    services.contexte().Indicateur = 0;
    TfrmSOCIETESESELECT dialogue(services, parent);
    dialogue.setValeurActuelle(valeurActuelle);
    dialogue.exec();
    if (services.contexte().Indicateur != 1) {
        return std::nullopt;
    }
    const Dataset& societes = dialogue.societes();
    return SocieteLiee{
        societes.value(QStringLiteral("MFISCALLIE")),
        societes.value(QStringLiteral("AUTREIDENTIFIANT")),
        societes.value(QStringLiteral("ETATTERRITOIRE")),
        societes.value(QStringLiteral("RAISONSOCIALE")),
        societes.value(QStringLiteral("QUALITE")),
        societes.value(QStringLiteral("AUTREQUALITE")),
    };
}

void Choix::copierSocieteLiee(Dataset& ligne, const SocieteLiee& societe,
                              const QString& colonneIdentifiant, const QString& colonneEtat) {
    if (!ligne.isEditing()) {
        ligne.edit();
    }
    ligne.setValue(colonneIdentifiant, societe.MFISCALLIE);
    ligne.setValue(QStringLiteral("AUTREIDENTIFIANT"), societe.AUTREIDENTIFIANT);
    ligne.setValue(colonneEtat, societe.ETATTERRITOIRE);
    ligne.setValue(QStringLiteral("RAISONSOCIALE"), societe.RAISONSOCIALE);
    ligne.setValue(QStringLiteral("QUALITE"), societe.QUALITE);
    ligne.setValue(QStringLiteral("AUTREQUALITE"), societe.AUTREQUALITE);
}

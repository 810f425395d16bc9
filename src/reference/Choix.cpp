#include "reference/Choix.h"

#include "data/QueryDataset.h"
#include "reference/TFRMDEVISESELECT.h"
#include "reference/TFrmterritoireSELECT.h"
#include "reference/TfrmSOCIETESESELECT.h"
#include "widgets/ServicesFenetres.h"

namespace {

template <typename Dialogue>
bool choisirCode(ServicesFenetres& services, QWidget* parent) {
    services.contexte().CodeChoisi.clear();
    services.contexte().LibelleChoisi.clear();
    Dialogue dialogue(services, parent);
    return dialogue.exec() == QDialog::Accepted;
}

}  // namespace

bool Choix::etatTerritorial(ServicesFenetres& services, QWidget* parent) {
    return choisirCode<TFrmterritoireSELECT>(services, parent);
}

bool Choix::devise(ServicesFenetres& services, QWidget* parent) {
    return choisirCode<TFRMDEVISESELECT>(services, parent);
}

std::optional<Choix::SocieteLiee> Choix::societeLiee(ServicesFenetres& services, QWidget* parent) {
    services.contexte().Indicateur = 0;
    TfrmSOCIETESESELECT dialogue(services, parent);
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

#include "reference/TFrmterritoireSELECT.h"

#include "data/TDataprix.h"

namespace {

const DefinitionChoixCode kEtats{
    u"FrmterritoireSELECT",
    u"Etat térritorial",
    &TDataprix::Etatterritorial,
    u"ETATTERRITORIAL",
    {{u"CODE", u"Code Etat"}, {u"PAYS", u"Libellé"}},
    true,
};

}  // namespace

TFrmterritoireSELECT::TFrmterritoireSELECT(ServicesFenetres& services, QWidget* parent)
    : TFrmChoixCode(kEtats, services, parent) {}

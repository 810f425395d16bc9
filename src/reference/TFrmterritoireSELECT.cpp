#include "reference/TFrmterritoireSELECT.h"

#include "data/TDataprix.h"

namespace {

const DefinitionChoixCode kEtats{
    u"FrmterritoireSELECT",
    u"Etat térritorial",
    &TDataprix::Etatterritorial,
    u"select * from ETATTERRITORIAL order by code",
    u"CODE",
    u"ETATTERRITORIAL",
    u"code",
    {{u"CODE", u"Code Etat"}, {u"PAYS", u"Libellé"}},
    u"CODE",
    u"PAYS",
};

}  // namespace

TFrmterritoireSELECT::TFrmterritoireSELECT(ServicesFenetres& services, QWidget* parent)
    : TFrmChoixCode(kEtats, services, parent) {}

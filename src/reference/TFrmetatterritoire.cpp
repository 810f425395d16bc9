#include "reference/TFrmetatterritoire.h"

#include "data/TDataprix.h"

namespace {

const DefinitionListeReference kEtats{
    u"Frmetatterritoire",
    u"Etats Territorial",
    &TDataprix::Etatterritorial,
    u"Etatterritorial",
    {{u"CODE", u"Code"}, {u"PAYS", u"Pays"}},
};

}  // namespace

TFrmetatterritoire::TFrmetatterritoire(QWidget* parent) : TFrmListeReference(kEtats, parent) {}

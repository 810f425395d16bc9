#include "reference/TFrmdevise.h"

#include "data/TDataprix.h"

namespace {

const DefinitionListeReference kDevises{
    u"Frmdevise",
    u"Devises",
    &TDataprix::devise,
    u"Devise",
    {{u"DEVISE", u"Devise"}, {u"LIBELLE", u"Libellé Devise"}},
};

}  // namespace

TFrmdevise::TFrmdevise(QWidget* parent) : TFrmListeReference(kDevises, parent) {}

#include "reference/TFRMDEVISESELECT.h"

#include "data/TDataprix.h"

namespace {

const DefinitionChoixCode kDevises{
    u"FRMDEVISESELECT",
    u"Devises",
    &TDataprix::devise,
    u"devise",
    {{u"DEVISE", u"Devise"}, {u"LIBELLE", u"Libellé"}},
    false,
};

}  // namespace

TFRMDEVISESELECT::TFRMDEVISESELECT(ServicesFenetres& services, QWidget* parent)
    : TFrmChoixCode(kDevises, services, parent) {}

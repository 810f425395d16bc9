#include "reference/TFRMDEVISESELECT.h"

#include "data/TDataprix.h"

namespace {

const DefinitionChoixCode kDevises{
    u"FRMDEVISESELECT", u"Devises",
    &TDataprix::devise, u"select * from devise order by devise",
    u"DEVISE",          u"devise",
    u"devise",          {{u"DEVISE", u"Devise"}, {u"LIBELLE", u"Libellé"}},
    u"DEVISE",          u"",
};

}  // namespace

TFRMDEVISESELECT::TFRMDEVISESELECT(ServicesFenetres& services, QWidget* parent)
    : TFrmChoixCode(kDevises, services, parent) {}

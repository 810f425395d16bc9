#pragma once

#include "reference/TFrmChoixCode.h"

/// The state/territory pick "Etat térritorial": hands back CODE in CodeChoisi and PAYS in
/// LibelleChoisi.
class TFrmterritoireSELECT : public TFrmChoixCode {
    Q_OBJECT

public:
    explicit TFrmterritoireSELECT(ServicesFenetres& services, QWidget* parent = nullptr);
};

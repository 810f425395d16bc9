#pragma once

#include "reference/TFrmListeReference.h"

/// The state/territory list "Etats Territorial": the table ETATTERRITORIAL through the shared
/// dataset `Etatterritorial`.
class TFrmetatterritoire : public TFrmListeReference {
    Q_OBJECT

public:
    explicit TFrmetatterritoire(QWidget* parent = nullptr);
};

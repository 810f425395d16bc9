#pragma once

#include "reference/TFrmListeReference.h"

/// The currency list "Devises": the table DEVISE through the shared dataset `devise`.
class TFrmdevise : public TFrmListeReference {
    Q_OBJECT

public:
    explicit TFrmdevise(QWidget* parent = nullptr);
};

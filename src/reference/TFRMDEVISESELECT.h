#pragma once

#include "reference/TFrmChoixCode.h"

/// The currency pick "Devises": hands back DEVISE in CodeChoisi.
class TFRMDEVISESELECT : public TFrmChoixCode {
    Q_OBJECT

public:
    explicit TFRMDEVISESELECT(ServicesFenetres& services, QWidget* parent = nullptr);
};

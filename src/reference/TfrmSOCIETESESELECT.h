#pragma once

#include "reference/TFrmChoix.h"

class QueryDataset;
class QPushButton;

/**
 * The related-company pick "Sociétés": the companies recorded in the capital tables of every
 * declaring company and year (CAPITALLIEE united with CAPITALDECLARANTE, each distinct row
 * once, by name), read through a query of its own, `societes`.
 *
 * A choice sets Indicateur to 1 and closes the dialog; "fermer" and the close box close it
 * without choosing. The chosen row stays the current row of societes() until the dialog is
 * destroyed. The filter field is hidden and the grid's menu has no action.
 */
class TfrmSOCIETESESELECT : public TFrmChoix {
    Q_OBJECT

public:
    explicit TfrmSOCIETESESELECT(ServicesFenetres& services, QWidget* parent = nullptr);

    /// The union of the capital tables; its current row is the chosen one.
    QueryDataset& societes() const { return *m_societes; }

protected:
    void FormShow() override;
    void valider() override;
    QString champValeur() const override { return QStringLiteral("MFISCALLIE"); }

private:
    QueryDataset* m_societes;
    QPushButton* m_fermer;
};

#pragma once

#include "reference/TFrmChoix.h"

class Dataset;
class TDataprix;

/**
 * What tells one code pick from the other: its name and caption, the data module's shared
 * dataset it lists and the table its queries name, its two grid columns (the code, which the
 * filter searches and the list is ordered by, then the label) and whether the label is handed
 * back too.
 */
struct DefinitionChoixCode {
    struct Colonne {
        const char16_t* champ;
        const char16_t* titre;
    };

    const char16_t* nom;
    const char16_t* titre;
    Dataset* TDataprix::*dataset;
    const char16_t* table;
    Colonne colonnes[2];
    /// LibelleChoisi receives the label as CodeChoisi the code.
    bool renvoieLibelle;
};

/**
 * A code pick (states and territories, currencies) over the data module's shared dataset.
 *
 * When shown it lists the whole table in code order, with the focus in the filter field.
 * Each change of the filter lists the rows whose code contains the text in any letter case
 * (RechercheContient), in the server's order; the focus stays in the filter field when no row
 * matches. The list left by the last filter stays in force on the shared dataset.
 *
 * The list is read again when the dialog is shown. A row being added or modified in the
 * shared dataset (by the "Devises" or "Etats Territorial" window) is sent first, as leaving
 * it would; when it is refused, the error is shown and the dialog does not open (exec()
 * answers Rejected at once), the row being typed left as it was.
 *
 * However the dialog ends (a choice, the close box, Escape), the code of the current row (and
 * its label, for states and territories) is copied into CodeChoisi (and LibelleChoisi); only
 * an ending with OK — a choice — tells the caller to use them. "Supprimer" in the grid's menu
 * deletes the current row after confirmation. The Up arrow released on the first row goes
 * back to the filter field.
 */
class TFrmChoixCode : public TFrmChoix {
    Q_OBJECT

public:
    /// Lists the rows whose code contains @p text (every row when it is empty).
    void FiltrerAffichage(const QString& text);
    /// Deletes the current row of the shared dataset after confirmation.
    void MenuSupprimerClick();

    void done(int result) override;
    int exec() override;

protected:
    TFrmChoixCode(const DefinitionChoixCode& definition, ServicesFenetres& services,
                  QWidget* parent);

    void FormShow() override;
    void valider() override;
    bool hautVersFiltre() const override { return true; }
    QString champValeur() const override { return champCode(); }

private:
    QString champCode() const;
    QString champLibelle() const;

    const DefinitionChoixCode& m_definition;
    Dataset* m_dataset;
};

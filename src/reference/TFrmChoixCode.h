#pragma once

#include "reference/TFrmChoix.h"

class Dataset;
class TDataprix;

/**
 * What tells one code pick from the other: its name and caption, the data module's shared
 * dataset it lists, its queries, its two grid columns and the fields it hands back.
 */
struct DefinitionChoixCode {
    struct Colonne {
        const char16_t* champ;
        const char16_t* titre;
    };

    const char16_t* nom;
    const char16_t* titre;
    Dataset* TDataprix::*dataset;
    /// The list when the dialog is shown, and the column it is ordered by.
    const char16_t* requeteAffichage;
    const char16_t* ordreAffichage;
    /// The filter's table and the code column it searches.
    const char16_t* table;
    const char16_t* colonneFiltre;
    Colonne colonnes[2];
    /// Handed back in CodeChoisi, and in LibelleChoisi when not empty.
    const char16_t* champCode;
    const char16_t* champLibelle;
};

/**
 * A code pick (states and territories, currencies) over the data module's shared dataset.
 *
 * When shown it lists the whole table in code order, with the focus in the filter field.
 * Each change of the filter lists the rows whose code contains the text in any letter case
 * (RechercheContient), in the server's order; the focus stays in the filter field when no row
 * matches. The list left by the last filter stays in force on the shared dataset.
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

protected:
    TFrmChoixCode(const DefinitionChoixCode& definition, ServicesFenetres& services,
                  QWidget* parent);

    void FormShow() override;
    void valider() override;
    bool hautVersFiltre() const override { return true; }

private:
    const DefinitionChoixCode& m_definition;
    Dataset* m_dataset;
};

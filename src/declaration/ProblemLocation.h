#pragma once

#include <QMetaType>
#include <QString>

/// The three entry windows in which the values of a declaration are typed.
enum class DeclarationWindow {
    Societe,     ///< "Paramètre de la société" (Tfrmparamsociete)
    Groupe,      ///< "Informations Groupe de Sociétés" (Tfrminfogroupe)
    Operations,  ///< the operations window (TFrmoperations)
};

/// The pages of those windows, each one the home of one table (two for SOCIETE).
enum class DeclarationPage {
    IdentificationEntreprise,  ///< SOCIETE, page "Identification Entreprise"
    LiensCapital,              ///< CAPITALLIEE
    CapitalDeclarante,         ///< CAPITALDECLARANTE
    AutresInformations,        ///< SOCIETE, page "Autres Informations"
    InformationsGroupe,        ///< INFORMATIONGROUPE
    ActifsIncorporels,         ///< LISTEACTIFINCORPOREL
    ActifsCorporels,           ///< LISTEACTIFCORPOREL
    MontantsTransactions,      ///< OPERATIONSMONTANTS, operations page 1
    PretsEmprunts,             ///< OPERATIONPRETEMPRUNT, operations page 2
    SansContrepartie,          ///< OPERATIONSANSCONTRE, operations page 3
    AccordsPrealables,         ///< OPERATIONRESCRITFISCAUX, operations page 4
};

/**
 * Where a value of the declaration is corrected: a page of an entry window, the line
 * number `LG` of the row on that page (0 for the company record and the group record,
 * which have none) and the column of the field. The column is empty when a problem
 * concerns a whole line or page rather than one field.
 *
 * This is what the problem list hands over when the user asks to open the entry window
 * on a problem.
 */
struct ProblemLocation {
    DeclarationPage page = DeclarationPage::IdentificationEntreprise;
    int lg = 0;
    QString column;

    DeclarationWindow window() const;
    /// Index of the page among the tabs of its window, from 0 (the operations window
    /// shows page index + 1 as its `Indicateur`).
    int pageIndex() const;
    /// The table whose row holds the value.
    QString table() const;

    /// The window's name as the user sees it, e.g. "Paramètre de la société".
    static QString windowTitle(DeclarationWindow window);
    /// The page's name as the user sees it, e.g. "Liens Capital".
    static QString pageTitle(DeclarationPage page);

    /// "Window — Page, ligne LG" (without the line for the company and group records).
    QString describe() const;

    bool operator==(const ProblemLocation& other) const = default;
};

Q_DECLARE_METATYPE(ProblemLocation)

#pragma once

#include "db/Decimal.h"
#include "operations/PagesOperations.h"
#include "widgets/PendingChanges.h"

#include <QWidget>

class Dataset;
class KeyboardNavigator;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class ServicesFenetres;

/**
 * The operations window ("Oérations"): the operation lines of the active company and year on
 * one of four pages (transaction amounts, loans and borrowings, operations without monetary
 * counterpart, operations under a prior agreement), each over its shared dataset of Dataprix.
 *
 * The page is the one ContexteSocieteActive::Indicateur names when the window is created
 * (1 to 4; any other value gives page 1); the window keeps it, and only that page can be used:
 * choosing another tab runs the page set-up again and brings the page back. The set-up
 * reopens the currency and state/territory datasets (a row another window is typing into
 * them is sent first; when it is refused, the error is shown and that list stays as it is),
 * loads the page's lines and computes the totals (pages 1 and 2).
 *
 * Beside "Etat Territorial" the name of the state or territory of the current line's code,
 * following the line and the code as it is typed (empty for an unknown code); beside each
 * coded drop-down what its code means, for the nature of an operation by the list of the
 * line's amount type.
 *
 * Totals always match the list: they are computed again, from every line of the list, after
 * the set-up, a send, a deletion, "Effacer Tout" and any line sent or deleted through the
 * dataset by another view. "Valider" on pages 1 and 2 ends with the last line current.
 *
 * A double click in "Matricule Fiscal" picks a related company (the line is put into
 * modification first), in "Etat Territorial" a state or territory and, on page 2, in
 * "Devise" a currency; these two write into the line, which must be being added or modified
 * ("Not in edit mode" otherwise).
 *
 * Rules of single fields: on page 1, leaving "Type des Montants" gives "Nature Opération:"
 * the natures of the amount type and, on a line being added or modified, empties a nature
 * that is not one of them with a warning; on page 2, leaving one of the opening balance,
 * increases and decreases on a line being added or modified sets the empty ones to 0 and the
 * closing balance to opening + increases - decreases. A line that is only displayed is not
 * changed by passing through its fields.
 *
 * F10 sends the current line, as "Valider" does. Closing the window while its line is being
 * added or modified with the user's changes asks whether to save it (Oui sends it, Non drops
 * it, Annuler keeps the window open); a line only put into editing goes back to browsing.
 *
 * "Import Excel" runs the import ServicesFenetres::importExcel() offers; without one it is
 * greyed out.
 */
class TFrmoperations : public QWidget {
    Q_OBJECT

public:
    /// The question asked when the window closes with a line being added or modified.
    static QString questionFermeture() { return PendingChanges::questionLigne(); }
    /// The warning of the nature rule.
    static QString avertissementNature() {
        return QStringLiteral(
            "Veuillez choisir le type d'opérations correspondant au type des montants");
    }

    /// Reads the page from services.contexte().Indicateur and runs the page set-up.
    explicit TFrmoperations(ServicesFenetres& services, QWidget* parent = nullptr);
    ~TFrmoperations() override;

    /// The page number, 1 to 4.
    int page() const { return m_definition.numero; }
    QTabWidget* PageControl1() const { return m_onglets; }
    /// The header band.
    QLabel* bandeau() const { return m_bandeau; }
    PageLignes* pageLignes() const { return m_page; }
    Dataset* dataset() const;
    /// The page's territory name, beside "Etat Territorial".
    QLabel* libelleTerritorial() const;
    /// The two total boxes (null on pages 3 and 4).
    QLineEdit* total1() const { return m_totaux[0]; }
    QLineEdit* total2() const { return m_totaux[1]; }
    QPushButton* boutonImportExcel() const { return m_importExcel; }

    // Handlers. Each shows a database error in the standard error box.
    /// Page set-up, run at creation.
    void FormCreate();
    /// Another tab was chosen: the set-up runs again and brings the window's page back.
    void PageControl1Change(int index);
    /// Nature rule of page 1, on leaving "Type des Montants".
    void DBComboBox9Exit();
    /// Balance rule of page 2, on leaving an opening balance, increases or decreases field.
    void SoldeExit();
    /// Double click in "Matricule Fiscal": the related-company pick fills the line's company.
    void MatriculeFiscalDblClick();
    /// Double click in "Etat Territorial": the state/territory pick fills the code and the
    /// territory name.
    void EtatTerritorialDblClick();
    /// Double click in "Devise" (page 2): the currency pick fills the code.
    void DeviseDblClick();
    void BtnImportExcelClick();

    /// Computes the totals from every line of the list (pages 1 and 2).
    void calculerTotaux();
    /// The display of a total: "### ### ##0.000" with the locale's decimal sign.
    static QString texteTotal(const db::Decimal& total);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void preparerPage();
    void rouvrirReference(Dataset* dataset);
    void apresValider();
    void totauxAJour();
    void champQuitte(const QString& colonne);
    void champDoubleClic(const QString& colonne);
    /// Whether the window may close: the line being added or modified is sent or dropped.
    bool fermetureAcceptee();

    ServicesFenetres& m_services;
    PageOperations m_definition;
    KeyboardNavigator* m_navigateur;
    QLabel* m_bandeau;
    QTabWidget* m_onglets;
    PageLignes* m_page;
    QLineEdit* m_totaux[2] = {nullptr, nullptr};
    QPushButton* m_importExcel;
    bool m_enPreparation = false;
    bool m_totauxDemandes = false;
};

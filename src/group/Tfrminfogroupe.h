#pragma once

#include <QWidget>

class Dataset;
class FormulaireSaisie;
class KeyboardNavigator;
class PageLignes;
class QLabel;
class QPushButton;
class QTabWidget;
class ServicesFenetres;

/**
 * "Informations Groupe de Sociétés": the group of the active company and year, in three pages.
 *
 * - "Informations Groupe d'Entreprises": the group record (dataset INFOGROUPE, at most one row
 *   per company and year) with its ultimate parent entity and the descriptions of the group.
 *   The record comes into being when the user types in one of its fields; "Valider" sends it
 *   when it holds a change and does nothing otherwise; "Annuler" drops what was typed and
 *   closes the window.
 * - "Actifs Incorporels" and "Actifs Corporels": line pages over actifincorporel and
 *   Actifcorporel, whose "Matricule Fiscal" copies a related company picked in the capital
 *   links, and whose "fermer" closes the window as the group page's does.
 *
 * Beside every "Etat Territorial" the name of the code the record or line holds, following
 * the line and the typed code. Double clicks pick: a state or territory into every "Etat
 * Territorial" (on a row that is not being edited the pick is refused with "Not in
 * edit mode"), a related company into "Matricule Fiscal" of an asset line (the line is put
 * into editing first).
 *
 * Everything is loaded once, when the window is created, for the company and year current
 * then (FormCreate). Closing the window ("fermer" of any page, the close box, Ctrl+F4,
 * "Quitter") asks "Voulez-vous enregistrer les modifications ?" when the group record holds
 * the user's changes, then the line question for an asset line being typed: Oui sends, Non
 * drops, Annuler keeps the window open. The main window puts the company record into editing
 * when it opens this window; closing returns it to browse mode when it holds no change. A
 * change typed in an open identification window and not yet saved is kept.
 *
 * F10 has no effect in this window: the company record it would save belongs to the
 * identification window, and nothing typed here should send it.
 */
class Tfrminfogroupe : public QWidget {
    Q_OBJECT

public:
    explicit Tfrminfogroupe(ServicesFenetres& services, QWidget* parent = nullptr);

    QTabWidget* pages() const { return m_pages; }
    QWidget* pageGroupe() const { return m_pageGroupe; }
    FormulaireSaisie* formulaireGroupe() const { return m_formulaire; }
    PageLignes* pageIncorporels() const { return m_incorporels; }
    PageLignes* pageCorporels() const { return m_corporels; }
    QPushButton* boutonValider() const { return m_valider; }
    QPushButton* boutonAnnuler() const { return m_annuler; }
    QPushButton* boutonFermer() const { return m_fermer; }
    /// The name of the parent's state or territory, beside its code.
    QLabel* libelleTerritoire() const;
    /// The name of the state or territory of @p page's line, beside its code.
    static QLabel* libelleTerritoire(const PageLignes* page);

    /// Opening: group page current, group record and asset lines of the active company and
    /// year loaded, states and territories read again, names of their codes shown.
    void FormCreate();
    /// Sends the group record when it holds a change.
    void BtnValiderClick();
    /// Drops the group record's pending changes, without a question, and closes the window.
    void BtnAnnulerClick();
    /// The parent's state or territory pick.
    void EtatTerritorialDblClick();
    /// The related-company pick of the current line of @p page.
    void MatriculeFiscalDblClick(PageLignes* page);
    /// The state or territory pick of the current line of @p page.
    void TerritoireDblClick(PageLignes* page);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* creerPageGroupe();
    PageLignes* creerPageActifs(Dataset* dataset, bool incorporel);
    /// The name (PAYS) of the state or territory @p code, empty when there is none.
    QString nomTerritoire(const QString& code) const;
    void montrerTerritoire(QLabel* libelle, Dataset* dataset, const QString& colonne);
    /// Picks a state or territory into @p colonne of the row being edited in @p dataset and
    /// shows its name in @p libelle.
    void choisirTerritoire(Dataset* dataset, FormulaireSaisie* formulaire, const QString& colonne,
                           QLabel* libelle);

    ServicesFenetres& m_services;
    Dataset* m_groupe;
    KeyboardNavigator* m_navigateur;
    QTabWidget* m_pages;
    QWidget* m_pageGroupe = nullptr;
    FormulaireSaisie* m_formulaire = nullptr;
    PageLignes* m_incorporels = nullptr;
    PageLignes* m_corporels = nullptr;
    QPushButton* m_valider = nullptr;
    QPushButton* m_annuler = nullptr;
    QPushButton* m_fermer = nullptr;
};

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
 * The company identification window ("Paramètre de la société"): the identification of a
 * declaring company for one year on "Identification Entreprise" and "Autres Informations",
 * bound to the company record (the current row of the shared company dataset, through
 * DSSOCIETE), and its capital links on "Liens Capital" and "Capital Déclarante".
 *
 * The record's state belongs to the shared dataset. Closing the window ("fermer", the close
 * box, Ctrl+F4, "Quitter") asks "Voulez-vous enregistrer les modifications ?" when the record
 * holds the user's changes, then the line question for a capital line being typed: Oui sends,
 * Non drops, Annuler keeps the window open. A record only put into editing goes back to
 * browsing. "Valider" posts the record (the rules commit it) and leaves the window open;
 * "Annuler" cancels it and closes the window. Leaving "Matricule Fiscal" pads the identifier
 * with zeros to seven characters; that alone is no change of the user's. A double click in
 * "Nationalité:" and in the capital pages' "Etat Territorial" picks a state or territory;
 * beside each, the name of the code the record or line holds, following the line and the
 * typed code.
 *
 * The window is destroyed when it closes.
 */
class Tfrmparamsociete : public QWidget {
    Q_OBJECT

public:
    /// The caption of the window.
    static QString titre() { return QStringLiteral("Paramètre de la société"); }

    /// Builds the window on the current company record; the opening steps run here.
    explicit Tfrmparamsociete(ServicesFenetres& services, QWidget* parent = nullptr);

    /**
     * "Ajouter" of the company list: a new blank company record, then the window on it. When
     * the record cannot be added (the pending change of the current company is refused), the
     * error is shown, no window opens and null is returned.
     */
    static Tfrmparamsociete* ouvrirNouvelle(ServicesFenetres& services);
    /**
     * "Modifier" of the company list and the main window's command: the current company
     * record is put into editing (an empty company table starts a new row), then the window
     * opens on it. When that fails, the error is shown, no window opens and null is returned.
     */
    static Tfrmparamsociete* ouvrirModification(ServicesFenetres& services);

    QTabWidget* pages() const { return m_pages; }
    FormulaireSaisie* identification() const { return m_identification; }
    FormulaireSaisie* autresInformations() const { return m_autres; }
    PageLignes* liensCapital() const { return m_liens; }
    PageLignes* capitalDeclarante() const { return m_declarante; }
    QLabel* libelleNationalite() const { return m_nationalite; }

    // Commands of the company record.
    void BtnValiderClick();
    void BtnAnnulerClick();
    /// F10 in a field with keyboard navigation: "Valider", then the window closes.
    void ValiderEtFermer();

    /// Pads the company identifier on the left with zeros to seven characters.
    void NormaliserMatricule();
    /// The state/territory pick of "Nationalité:".
    void NationaliteDblClick();
    /// The state/territory pick of the capital page @p page.
    void EtatTerritoireDblClick(PageLignes* page);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    /// Whether the window may close: the record, then each capital line, settled.
    bool fermetureAcceptee();
    /// "Valider": the record is posted (edited first when browsed); false when refused.
    bool enregistrer();
    PageLignes* creerPageCapital(const QString& titre, Dataset* dataset, const QString& legende,
                                 const QString& question);
    void afficherTerritoire(PageLignes* page);

    ServicesFenetres& m_services;
    Dataset* m_societe;
    KeyboardNavigator* m_navigateur;
    QTabWidget* m_pages;
    FormulaireSaisie* m_identification;
    FormulaireSaisie* m_autres;
    PageLignes* m_liens;
    PageLignes* m_declarante;
    QLabel* m_nationalite;
};

#pragma once

#include "widgets/DatasetTableModel.h"
#include "widgets/FormulaireSaisie.h"

#include <QWidget>

class DBGrid;
class KeyboardNavigator;
class QBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;

/**
 * What a line page states: its dataset, its entry fields, the columns of its list and the
 * texts and layout that differ from page to page.
 */
struct DefinitionPageLignes {
    /// The shared detail dataset whose lines the page shows.
    Dataset* dataset = nullptr;
    QVector<ChampSaisie> champs;
    /// Columns of label and field the form is laid out in.
    int colonnesFormulaire = 2;
    /// The list's columns: title and field.
    QVector<DatasetTableModel::Column> liste;
    /// The question "Effacer Tout" asks before it deletes the page's lines.
    QString questionEffacerTout;
    /// The caption of the button that sends the line.
    QString libelleValider = QStringLiteral("Valider");
    /// The list above the fields (the operations pages) rather than below them.
    bool listeEnHaut = false;
    /// The list first in the tab order, before the fields.
    bool listeAvantChamps = false;
    /// Enter and the Up arrow also move the focus from the list.
    bool navigationDansListe = false;
    /// The caption over the related company's identifier fields, and the note beside it.
    QString legendeIdentifiant;
    QString noteIdentifiant;
    /// The field "Ajouter" puts the cursor in.
    QString champAjouter = QStringLiteral("MATRICULEFISCAL");
};

/**
 * A line page: the entry fields of the current line above (or below) the read-only list of
 * the lines of one company and year, with the commands "Valider", "Ajouter", "Supprimer",
 * "Modifier" and "Effacer Tout" and a close button "fermer" that the keyboard navigation and
 * the Tab key pass over. Every line goes through the dataset and its rules: the page never
 * numbers, stamps or commits a line.
 *
 * The page remembers the company and year it was loaded with (charger()): its list shows
 * their lines. "Effacer Tout" deletes exactly the lines the list shows, by their keys, and the
 * rules commit the deletion at once; the list is then empty.
 *
 * The window around it keeps what differs: the picks (doubleClic of the form), the names
 * shown beside codes, totals (valide(), supprime(), effaceTout()), what "fermer" does.
 */
class PageLignes : public QWidget {
    Q_OBJECT

public:
    PageLignes(const DefinitionPageLignes& definition, KeyboardNavigator* navigateur,
               QWidget* parent = nullptr);

    Dataset* dataset() const { return m_definition.dataset; }
    FormulaireSaisie* formulaire() const { return m_formulaire; }
    DBGrid* grille() const { return m_grille; }
    QPushButton* boutonValider() const { return m_valider; }
    QToolButton* boutonAjouter() const { return m_ajouter; }
    QToolButton* boutonSupprimer() const { return m_supprimer; }
    QToolButton* boutonModifier() const { return m_modifier; }
    QToolButton* boutonEffacerTout() const { return m_effacerTout; }
    QPushButton* boutonFermer() const { return m_fermer; }
    /// The first control in the tab order: the list when it comes before the fields, else the
    /// first field.
    QWidget* premierChamp() const;

    /// Adds @p widget to the commands, after "Modifier" (totals) or after "Effacer Tout"
    /// (further commands), in the tab order too.
    void ajouterApresModifier(QWidget* widget);
    void ajouterApresEffacerTout(QWidget* widget);
    /// Adds @p widget in a row under the list (totals), in the tab order after "Modifier".
    void ajouterSousListe(QWidget* widget);

    /**
     * Opens the page's dataset on the active company and year (the current row of
     * societe), first line current, and remembers them. A database error is thrown.
     */
    void charger();
    /// Opens the dataset again on the company and year it was loaded with.
    void relire();
    /// The company value and the year the page was loaded with.
    const db::Value& mfiscal() const { return m_mfiscal; }
    const db::Value& exercice() const { return m_exercice; }

    /**
     * Whether the window around the page may close: a line being added or modified with the
     * user's changes is shown (its tab made current) and the line question asked; Oui sends
     * it, Non drops it, Annuler (or a refused send, shown) keeps the window open. A line
     * only put into editing goes back to browsing without a word.
     */
    bool fermetureAcceptee();

    // Commands. Each shows a database error in the standard error box; the line keeps
    // the state it had.
    void BtnValiderClick();
    void BtnAjouterClick();
    void BtnSupprimerClick();
    void BtnModifierClick();
    void BtnEffacerToutClick();

signals:
    /// The current line was sent and is being edited again.
    void valide();
    /// The current line was deleted.
    void supprime();
    /// The page's lines were deleted and the list emptied.
    void effaceTout();

private:
    void appliquerOrdre();

    DefinitionPageLignes m_definition;
    FormulaireSaisie* m_formulaire;
    DBGrid* m_grille;
    QBoxLayout* m_commandes;
    QBoxLayout* m_sousListe;
    int m_dansCommandes = 0;
    QPushButton* m_valider;
    QToolButton* m_ajouter;
    QToolButton* m_supprimer;
    QToolButton* m_modifier;
    QToolButton* m_effacerTout;
    QPushButton* m_fermer;
    QVector<QWidget*> m_apresModifier;
    QVector<QWidget*> m_apresEffacerTout;
    db::Value m_mfiscal;
    db::Value m_exercice;
};

#pragma once

#include <QString>
#include <QWidget>

class DBGrid;
class Dataset;
class QAction;
class QLabel;
class QPushButton;
class QToolButton;
class SearchEdit;
class TDataprix;

/// One column of a reference list: the field shown and its title.
struct ColonneReference {
    const char16_t* champ;
    const char16_t* titre;
};

/**
 * What tells one reference list from the other: its name, caption, the data module's dataset
 * it shows, the table its queries name and its two columns (code first, then label).
 */
struct DefinitionListeReference {
    const char16_t* nom;
    const char16_t* titre;
    Dataset* TDataprix::*dataset;
    const char16_t* table;
    ColonneReference colonnes[2];
};

/**
 * A reference list (currencies, states and territories): the whole table in a grid over the
 * data module's shared dataset, searched as the user types, sorted by the clicked title and
 * maintained in the grid itself.
 *
 * - When shown, the dataset is reopened with the query text in force on it, whichever window
 *   set it last. The texts this window sets (sort, search) stay in force after it closes.
 * - A title click makes that column the search column (the search label shows its title) and
 *   lists every row sorted by it; the search field keeps its text.
 * - Each change of the search field lists the rows whose search column contains the text, in
 *   any letter case (RechercheContient), sorted by that column; before any title click it
 *   changes nothing.
 * - "Ajouter" starts a new row, "Modifier" edits the current one (a new row on an empty
 *   table); both let the cells take typed text. In the grid, Enter goes from the code to the
 *   label, then sends the row; the Up arrow abandons a row whose code is empty; the wheel
 *   moves the current row. "Suprimer" deletes the current row after confirmation.
 *
 * Closing the window with a row being added or modified with the user's changes asks
 * "Voulez-vous enregistrer la ligne en cours ?": Oui sends it, Non drops it, Annuler keeps the
 * window open. The window is destroyed when it closes.
 */
class TFrmListeReference : public QWidget {
    Q_OBJECT

public:
    DBGrid* grille() const { return m_grid; }
    SearchEdit* champRecherche() const { return m_recherche; }
    /// The search label: the title of the search column, empty until a title is clicked.
    QLabel* libelleRecherche() const { return m_libelleRecherche; }
    Dataset* dataset() const { return m_dataset; }

    /// Reopens the dataset with its query text in force.
    void FormShow();
    /// Makes column @p column the search column and lists every row sorted by it.
    void DBGrid1TitleClick(int column);
    /// Lists the rows whose search column contains @p text; keeps the focus in the field.
    void EditRechercheChange(const QString& text);
    void BtnAjouterClick();
    void BtnModifierClick();
    void BtnSupprimerClick();

protected:
    TFrmListeReference(const DefinitionListeReference& definition, QWidget* parent);
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QString champ(int column) const;
    QString titreColonne(int column) const;
    void rouvrir();

    const DefinitionListeReference& m_definition;
    Dataset* m_dataset;
    DBGrid* m_grid;
    SearchEdit* m_recherche;
    QLabel* m_libelleRecherche;
    QToolButton* m_ajouter;
    QToolButton* m_modifier;
    QToolButton* m_supprimer;
    QPushButton* m_fermer;
    /// The column whose title was clicked last; -1 until then.
    int m_colonneRecherche = -1;
    bool m_shown = false;
};

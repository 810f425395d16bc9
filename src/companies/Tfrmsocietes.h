#pragma once

#include <QWidget>

class Dataset;
class ServicesFenetres;
class DBGrid;
class QAction;
class QLabel;
class QPushButton;
class SearchEdit;

/**
 * The company list: one row per company and fiscal year, shown from the shared dataset
 * Dataprix->societe, whose current row is the active company.
 *
 * When shown it reopens the dataset with the query text in force (the text belongs to the
 * dataset and outlives the window). A click on a title sorts by that column; typing in the
 * search field lists the companies whose name begins with the text, whatever the case of
 * its letters (sent as a parameter). In selection mode (ContexteSocieteActive::ModeSocietes
 * == 1) a double click, or Enter, selects the company: the context receives its identifier
 * and year, the main window's label names it and the list closes. "Supprimer" deletes the
 * current company after the access code. "Exercice suivant" creates the next fiscal year of
 * the current company from it and makes the new year the current row.
 *
 * The window is destroyed when it closes.
 */
class Tfrmsocietes : public QWidget {
    Q_OBJECT

public:
    explicit Tfrmsocietes(ServicesFenetres& services, QWidget* parent = nullptr);

    DBGrid* grille() const { return m_grid; }
    SearchEdit* champRecherche() const { return m_recherche; }
    /// The title of the column last clicked; empty when the window opens.
    QString libelleTri() const;

    /// Reopens the company dataset with its query text in force (first row current).
    void FormShow();
    /// Sorts by the column @p column of the grid.
    void DBGrid1TitleClick(int column);
    /// Lists the companies whose name begins with @p text, in any case (all of them when it
    /// is empty).
    void FiltrerAffichage(const QString& text);
    /// The double click on the list, and Enter on it. Selection mode: makes the current row
    /// the active company and closes the list; management mode: the same as "Modifier".
    void DBGrid1DblClick();
    /// Opens the identification window on a new company record.
    void BtnAjouterClick();
    /// Opens the identification window on the current company record.
    void BtnModifierClick();
    /// Deletes the current company after the access code.
    void BtnSupprimerClick();
    /**
     * Creates the next fiscal year of the current company from the current one, after the
     * question about a change of the company record not yet saved and a confirmation; reports
     * what was carried over, then reads the list again with the new year as its current row.
     */
    void BtnExerciceSuivantClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rouvrir();

    ServicesFenetres& m_services;
    Dataset* m_societe;
    DBGrid* m_grid;
    SearchEdit* m_recherche;
    QLabel* m_tri;
    QPushButton* m_ajouter;
    QPushButton* m_modifier;
    QPushButton* m_supprimer;
    QPushButton* m_exerciceSuivant;
    QPushButton* m_fermer;
    bool m_shown = false;
};

#pragma once

#include <QDialog>

class DBGrid;
class Dataset;
class QAction;
class QLabel;
class QPushButton;
class SearchEdit;
class ServicesFenetres;

/**
 * The frame shared by the pick dialogs: a modal dialog with only a close box in its title
 * bar, the filter field "Filtre", a read-only grid that selects whole rows, the grid's context
 * menu "Ajouter", "Modifier", "Supprimer" and a hidden "OK" button.
 *
 * A row is chosen by a double click on the grid or the Enter key released in it; a choice in
 * an empty list is not a choice (the dialog stays open and hands nothing back). The Down
 * arrow released in the filter field puts the focus in the grid.
 *
 * Subclasses give the rows (FormShow), what a choice does (valider) and, for the code picks,
 * the filter, the deletion and the Up arrow back to the filter.
 */
class TFrmChoix : public QDialog {
    Q_OBJECT

public:
    DBGrid* grille() const { return m_grid; }
    SearchEdit* champFiltre() const { return m_filtre; }
    QAction* menuAjouter() const { return m_menuAjouter; }
    QAction* menuModifier() const { return m_menuModifier; }
    QAction* menuSupprimer() const { return m_menuSupprimer; }

    /// Chooses the current row; nothing on an empty list.
    void DBGrid1DblClick();
    /// The value the calling field holds: the dialog opens on its row, when it is listed.
    void setValeurActuelle(const QString& valeur) { m_valeurActuelle = valeur; }

protected:
    TFrmChoix(ServicesFenetres& services, const QString& objectName, const QString& caption,
              QWidget* parent);

    ServicesFenetres& services() const { return m_services; }
    QLabel* libelleFiltre() const { return m_libelleFiltre; }

    /// Re-reads the rows, when the dialog is first shown.
    virtual void FormShow() = 0;
    /// Hands the current row (there is one) back and closes the dialog.
    virtual void valider() = 0;
    /// The Up arrow released on the first row of the grid moves the focus to the filter field.
    virtual bool hautVersFiltre() const { return false; }
    /// The column that holds the value of the calling field (setValeurActuelle()).
    virtual QString champValeur() const = 0;

    /// Shows the database error of an event handler.
    void erreur(const QString& text);

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ServicesFenetres& m_services;
    QLabel* m_libelleFiltre;
    SearchEdit* m_filtre;
    DBGrid* m_grid;
    QPushButton* m_ok;
    QAction* m_menuAjouter;
    QAction* m_menuModifier;
    QAction* m_menuSupprimer;
    QString m_valeurActuelle;
    bool m_shown = false;
};

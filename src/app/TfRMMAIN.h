#pragma once

#include "widgets/ServicesFenetres.h"

#include <QMainWindow>

class ContexteSocieteActive;
class QAction;
class QGroupBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QTabWidget;
class QTextEdit;
class QToolButton;
class TFrmoperations;
class Tfrminfogroupe;
class Tfrmsocietes;
struct ProblemLocation;

/**
 * The main window: the frame of the whole run. It carries the command pages ("Opérations"
 * shown at start), the quick-access bar (previous and next child window, calculator),
 * "Quitter", the active-company label and ContexteSocieteActive, and holds every child
 * window in its multiple-document area, each opened maximised and destroyed when closed.
 * Each command creates a new window. Closing the main window ("Quitter", its close box,
 * Alt+F4) first closes every child window through its own close, the one in front first, so
 * that each asks about what it holds; Annuler in any of these questions keeps the program
 * open. Once every child window has closed, the application ends. Ctrl+F4 and Ctrl+W close
 * the active child window the same way.
 *
 * The script panel ("Exécuter Un Script") is hidden; an administrator reaches it with
 * Ctrl+Shift+F12 after typing the access code in the password prompt. Its statement runs in
 * the shared transaction, which is then committed: it is the one command besides the record
 * rules that commits.
 *
 * Creating the window touches no table and sets ModeSocietes to 1.
 */
class TfRMMAIN : public QMainWindow, public ServicesFenetres {
    Q_OBJECT

public:
    /// The caption of the main window.
    static QString titre() { return QStringLiteral("Ardoz Prix de Transfert"); }

    explicit TfRMMAIN(QWidget* parent = nullptr);
    ~TfRMMAIN() override;

    ContexteSocieteActive& contexte() override { return *m_contexte; }
    ExecuteurSql& ExecuterSql() override { return m_ExecuterSql; }
    /// The import wizard, on the page's dataset.
    ImportExcel importExcel() override;
    QMdiArea* zoneFenetres() const { return m_zoneFenetres; }
    QTabWidget* pages() const { return m_pages; }
    /// The second text of the active-company label.
    QString libelleSocieteActive() const;
    QGroupBox* panneauScript() const { return m_panneauScript; }
    QTextEdit* editeurScript() const { return m_editeurScript; }

    /// Shows @p form maximised as a new child window; the form is destroyed when it closes.
    QMdiSubWindow* ouvrirFenetre(QWidget* form) override;
    /// Sets Indicateur to @p page and opens a new operations window on it (the four commands
    /// of the page "Opérations").
    TFrmoperations* ouvrirOperations(int page);
    /// Opens a new company list with the mode in force.
    Tfrmsocietes* ouvrirListeSocietes();

    // Commands
    void IdentificationEntrepriseClick();
    void SocietesClick();
    /// Opens a new group information window on the active company, whose record it puts
    /// into editing.
    Tfrminfogroupe* InformationsGroupeClick();
    /// Opens a new currency list.
    void DevisesClick();
    /// Opens a new state/territory list.
    void EtatsTerritorialClick();
    void InitialisationClick();
    /// Asks the access code, then opens the backup dialog.
    void SauvegardeClick();
    /// Asks the access code, then opens the restore dialog.
    void RestaurationClick();
    void GenerationFichierClick();
    /**
     * Opens the entry window where a problem of the declaration of @p identifiant and
     * @p exercice is corrected: the page of @p emplacement, its line made current and its
     * field focused. The company becomes the active one first when another is.
     */
    QWidget* ouvrirEmplacement(const ProblemLocation& emplacement, const QString& identifiant,
                               const db::Value& exercice);
    void EcranPrecedantClick();
    void EcranSuivantClick();
    /// Starts the calculator; without one, says so and names the programs looked for.
    void CalculatriceClick();
    void QuitterClick();
    /// Ends the run without a question (a stop signal): lines being typed are dropped.
    void arreterSansQuestion();
    /// Closes the active child window through its own close (Ctrl+F4, Ctrl+W).
    void fermerFenetreActive();
    /// Closes every child window, the one in front first; false when one stays open.
    bool fermerFenetres();
    /// Asks the access code, then shows the script panel.
    void ScriptClick();
    void BtnExecuterScriptClick();
    void BtnFermerScriptClick();

    /// The calculator program of the platform, empty when none is installed.
    static QString programmeCalculatrice();
    /// The calculator programs looked for, in order.
    static QStringList calculatricesCherchees();
    /// What "Calculatrice" says when no calculator is installed.
    static QString messageSansCalculatrice();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* creerPages();
    QWidget* creerBarreAcces();
    QGroupBox* creerPanneauScript();
    QToolButton* ajouterCommande(QWidget* page, const QString& caption, const QString& hint,
                                 const QIcon& icon);

    ContexteSocieteActive* m_contexte;
    QTabWidget* m_pages = nullptr;
    QMdiArea* m_zoneFenetres = nullptr;
    QLabel* m_societeActive = nullptr;
    QGroupBox* m_panneauScript = nullptr;
    QTextEdit* m_editeurScript = nullptr;
    ExecuteurSql m_ExecuterSql;
    bool m_sansQuestion = false;
};

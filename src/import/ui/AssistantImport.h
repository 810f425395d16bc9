#pragma once

#include "import/Classeur.h"
#include "import/DepotReglages.h"
#include "import/ImportateurLignes.h"
#include "import/ReglageImport.h"

#include <QWizard>

class Dataset;

/**
 * The import wizard behind each operations page's "Import Excel" button: the file and its
 * format (Excel preselected), the settings (sheet, first data row, text and value formats,
 * stop at the first problem), the page's column mapping preset by letter and editable, a
 * preview of the first rows as they will be stored, then the import itself with a progress
 * dialog titled "Importing..." that can be cancelled between rows, and its report.
 * Import settings can be saved under a name, loaded and deleted at every step.
 *
 * The wizard writes through @p cible, the page's shared dataset, with ImportateurLignes: the
 * record rules number, stamp and commit each row. Cancelling the wizard before "Importer"
 * changes nothing.
 */
class AssistantImport : public QWizard {
    Q_OBJECT

public:
    enum Page { PageFichier, PageParametres, PageCorrespondance, PageApercu };

    AssistantImport(Dataset& cible, const ReglageImport& preset,
                    const DepotReglages& depot = DepotReglages(), QWidget* parent = nullptr);
    ~AssistantImport() override;

    /// The wizard for operations page @p page (1 to 4) on @p cible, its shared dataset, run
    /// modally over @p fenetre with the page's preset; what was imported (nothing when it was
    /// cancelled before the run). The operations window's "Import Excel" runs it.
    static BilanImport importerPage(QWidget* fenetre, int page, Dataset& cible);

    Dataset& cible() const { return m_cible; }
    const ReglageImport& preset() const { return m_preset; }
    ReglageImport& reglage() { return m_reglage; }
    QString fichier() const { return m_fichier; }
    void setFichier(const QString& path);
    const Classeur& classeur() const { return m_classeur; }
    /// The sheet chosen in the settings (the first one by default); null before reading.
    const FeuilleSource* feuille() const;
    /// Reads the file with the current format and text options; shows the error box and
    /// returns false when it cannot be read.
    bool lireFichier();
    /// The result of the last run.
    const BilanImport& bilan() const { return m_bilan; }
    DepotReglages& depot() { return m_depot; }

    // Import settings, also reached through the buttons (which ask for the name first).
    void enregistrerReglage(const QString& nom);
    bool chargerReglage(const QString& nom);
    void supprimerReglage(const QString& nom);

    /// Tells the user, once, that the saved settings file did not read and was set aside.
    void signalerAvisDepot();

    /// Runs the import on the chosen sheet; called by "Importer".
    void executer();
    /// "Importer": runs the import, shows its report and closes the wizard.
    void accept() override;

signals:
    /// An import ran; @p lignes rows were committed (the page's totals are to be recomputed).
    void importTermine(int lignes);
    /// The list of saved import settings changed.
    void reglagesChanges();

private:
    void BtnEnregistrerClick();

    Dataset& m_cible;
    ReglageImport m_preset;
    ReglageImport m_reglage;
    DepotReglages m_depot;
    QString m_fichier;
    Classeur m_classeur;
    BilanImport m_bilan;
};

#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

/**
 * The backup and restore dialog of the administrator (page "Paramètres", behind the access
 * code). A backup copies the database in use, while it stays in use, into a file of this
 * machine; a restore creates a new database TALMORIX.gdb in a folder of this machine or of
 * a server ("serveur:/chemin") from such a file, never over an existing one. Progress is
 * shown in the dialog; the outcome in the standard boxes. The dialog stays open afterwards.
 */
class TFrmSauvegarde : public QDialog {
    Q_OBJECT

public:
    enum class Mode { Sauvegarde, Restauration };

    TFrmSauvegarde(Mode mode, QWidget* parent = nullptr);

    Mode mode() const { return m_mode; }
    /// The backup file: written by a backup, read by a restore.
    QLineEdit* champFichier() const { return m_fichier; }
    /// The folder of the new database (restore only).
    QLineEdit* champDossier() const { return m_dossier; }
    QPushButton* boutonExecuter() const { return m_executer; }
    QProgressBar* barreProgression() const { return m_progression; }

    /// "Sauvegarder" or "Restaurer": runs the operation with the fields as they are.
    void BtnExecuterClick();

    /// The file name a backup proposes: TALMORIX-yyyyMMdd-HHmm.fbk in the working folder.
    static QString fichierPropose();

private:
    void parcourirFichier();
    void parcourirDossier();

    Mode m_mode;
    QLabel* m_base = nullptr;
    QLineEdit* m_fichier = nullptr;
    QLineEdit* m_dossier = nullptr;
    QLabel* m_etape = nullptr;
    QProgressBar* m_progression = nullptr;
    QPushButton* m_executer = nullptr;
    QPushButton* m_fermer = nullptr;
};

#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

/**
 * "Première utilisation": what the desktop shows instead of a connection error when it finds
 * no CheminBase.ini in any of its places. The user opens an existing database (its folder,
 * or "serveur:/chemin"), creates a new one or creates the demonstration database, in a
 * folder of their choice; the dialog then writes the user's own CheminBase.ini (Rep and
 * Modelessexcel: the database folder) and is accepted. A refusal (a folder that cannot be
 * written, no database where one is to be opened, a database where one is to be created) is
 * shown in the standard error box and the dialog stays. "Quitter" rejects it.
 */
class TFrmPremiereUtilisation : public QDialog {
    Q_OBJECT

public:
    enum class Choix { BaseExistante, BaseNeuve, BaseDemonstration };

    /// @p cheminConfiguration is the CheminBase.ini to write (Configuration::userPath()).
    explicit TFrmPremiereUtilisation(const QString& cheminConfiguration, QWidget* parent = nullptr);

    QRadioButton* bouton(Choix choix) const;
    /// The folder of @p choix: where the database is, or where it is to be created.
    QLineEdit* champDossier(Choix choix) const;
    QPushButton* boutonContinuer() const { return m_continuer; }
    QPushButton* boutonQuitter() const { return m_quitter; }

    Choix choix() const;
    /// The CheminBase.ini the dialog writes.
    QString cheminConfiguration() const { return m_cheminConfiguration; }

    /// "Continuer": does what the chosen button says, writes CheminBase.ini and accepts;
    /// on a refusal shows why and stays.
    void BtnContinuerClick();

    /// The folder proposed for a new database: Ardoz in the home folder.
    static QString dossierPropose();

    /**
     * Shows the dialog for Configuration::userPath() and waits for the user: the path of the
     * CheminBase.ini written, or an empty text when the user quit.
     */
    static QString demander(QWidget* parent = nullptr);

private:
    /// The database folder of @p texte as typed: "~" stands for the home folder, a relative
    /// path is taken from the home folder; "serveur:/chemin" stays as it is.
    static QString dossierSaisi(const QString& texte);
    /// Creates the database of the chosen button in @p dossier; returns its folder, or an
    /// empty text after showing why it was refused.
    QString preparerBase(const QString& dossier);
    void parcourir(Choix choix);

    QString m_cheminConfiguration;
    QRadioButton* m_boutons[3] = {};
    QLineEdit* m_dossiers[3] = {};
    QLabel* m_etape = nullptr;
    QPushButton* m_continuer = nullptr;
    QPushButton* m_quitter = nullptr;
};

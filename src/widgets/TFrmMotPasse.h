#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

/**
 * The password prompt: a field labelled "Mot de Passe" showing "*" for each character,
 * focused when the prompt opens, with OK (default button) and "Annuler". It has no caption
 * unless its caller gives one with the sentence that says which code it asks for,
 * opens centred on the screen and is destroyed by its caller after use. The caller reads
 * whether it ended with OK (exec() == QDialog::Accepted) and the typed text, and decides.
 */
class TFrmMotPasse : public QDialog {
    Q_OBJECT

public:
    /// The administrator's access code, the same fixed text as the database password.
    static QString codeAcces();

    explicit TFrmMotPasse(QWidget* parent = nullptr);

    /// The text typed in the field, exactly as typed.
    QString motDePasse() const;
    QLineEdit* champMotDePasse() const { return m_motDePasse; }

    /// Gives the prompt the caption @p titre and, above the field, the sentence @p demande
    /// that says which code is asked for and why.
    void setDemande(const QString& titre, const QString& demande);
    /// The sentence above the field, empty when none was given.
    QString demande() const;

    /**
     * Opens the prompt modally; true when it ended with OK and the typed text, with leading
     * and trailing blanks removed, is the access code. @p titre and @p demande, when given,
     * say what the code opens (setDemande()).
     */
    static bool demanderCodeAcces(QWidget* parent, const QString& titre = QString(),
                                  const QString& demande = QString());

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_motDePasse;
    QLabel* m_demande;
    QPushButton* m_ok;
    QPushButton* m_annuler;
};

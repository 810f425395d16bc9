#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

/**
 * The initialisation dialog: erases every entered data through the database's procedure
 * INITIALISATION once the access code has been typed exactly (no blanks removed, case
 * sensitive). Nothing is committed here: the erasure becomes permanent with the next commit
 * of the shared transaction or when the program ends. OK closes the dialog whatever happens;
 * cancel (or Esc) closes it with no other effect.
 */
class TFrminitialisation : public QDialog {
    Q_OBJECT

public:
    explicit TFrminitialisation(QWidget* parent = nullptr);

    QLineEdit* champMotDePasse() const { return m_motDePasse; }
    QPushButton* boutonOk() const { return m_ok; }

    /// OK: checks the access code, runs the procedure and closes the dialog.
    void BtnOkClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_motDePasse;
    QPushButton* m_ok;
    QPushButton* m_annuler;
};

#pragma once

#include "declaration/DeclarationProblem.h"

#include <QWidget>

class ProblemListModel;
class QLabel;
class QPushButton;
class QTableView;

/**
 * The list of the problems of a declaration, in a window of its own: one row per problem
 * with its window, page, line, field and what is wrong. A double click on a problem, or
 * Enter on the selected one, asks for the entry window on the page and line concerned
 * through emplacementDemande(); the window does not open anything itself.
 *
 * "Copier" puts every problem on the clipboard, one sentence per line; "Fermer" closes
 * the window, which is then destroyed.
 */
class Tfrmproblemes : public QWidget {
    Q_OBJECT

public:
    explicit Tfrmproblemes(QWidget* parent = nullptr);
    ~Tfrmproblemes() override;

    /// Shows @p problems of the declaration named @p declaration (e.g. FDPT-1234567A-2023).
    void setProblems(const QString& declaration, const DeclarationProblems& problems);

    ProblemListModel* model() const { return m_model; }
    QLabel* LabelResume() const { return m_labelResume; }
    /// The whole sentence of the selected problem, under the list.
    QLabel* LabelDetail() const { return m_labelDetail; }
    QTableView* GrilleProblemes() const { return m_grille; }
    QPushButton* BtnCopier() const { return m_btnCopier; }
    QPushButton* BtnFermer() const { return m_btnFermer; }

    /// Asks for the entry window of the problem at @p row (a double click or Enter).
    void OuvrirProbleme(int row);
    /// Copies every problem to the clipboard, one sentence per line.
    void BtnCopierClick();

    static const QString kCaption;

signals:
    /// The user asks to correct a problem: open the entry window at @p location.
    void emplacementDemande(const ProblemLocation& location);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ProblemListModel* m_model;
    QLabel* m_labelResume;
    QTableView* m_grille;
    QLabel* m_labelDetail;
    QPushButton* m_btnCopier;
    QPushButton* m_btnFermer;
};

#pragma once

#include "declaration/DeclarationProblem.h"

#include <QAbstractTableModel>

/**
 * The problems of a declaration as a read-only table: window, page, line, field and
 * problem. The whole sentence of each problem is its tooltip and its
 * Qt::AccessibleDescriptionRole; its location is available under LocationRole.
 */
class ProblemListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Fenetre, Page, Ligne, Champ, Probleme, ColumnCount };
    static constexpr int LocationRole = Qt::UserRole + 1;

    explicit ProblemListModel(QObject* parent = nullptr);

    void setProblems(const DeclarationProblems& problems);
    const DeclarationProblems& problems() const { return m_problems; }
    const DeclarationProblem& problem(int row) const { return m_problems.at(row); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    DeclarationProblems m_problems;
};

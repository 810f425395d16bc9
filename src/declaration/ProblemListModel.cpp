#include "declaration/ProblemListModel.h"

ProblemListModel::ProblemListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ProblemListModel::setProblems(const DeclarationProblems& problems) {
    beginResetModel();
    m_problems = problems;
    endResetModel();
}

int ProblemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_problems.size());
}

int ProblemListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProblemListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    const DeclarationProblem& p = m_problems.at(index.row());
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case Fenetre:
                    return ProblemLocation::windowTitle(p.location.window());
                case Page:
                    return ProblemLocation::pageTitle(p.location.page);
                case Ligne:
                    return p.location.lg > 0 ? QVariant(p.location.lg) : QVariant();
                case Champ:
                    return p.caption;
                case Probleme:
                    return p.detail;
                default:
                    return QVariant();
            }
        case Qt::ToolTipRole:
        case Qt::AccessibleDescriptionRole:
            return p.text();
        case Qt::TextAlignmentRole:
            return index.column() == Ligne ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                                           : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
        case LocationRole:
            return QVariant::fromValue(p.location);
        default:
            return QVariant();
    }
}

QVariant ProblemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
        case Fenetre:
            return QStringLiteral("Fenêtre");
        case Page:
            return QStringLiteral("Page");
        case Ligne:
            return QStringLiteral("Ligne");
        case Champ:
            return QStringLiteral("Champ");
        case Probleme:
            return QStringLiteral("Problème");
        default:
            return QVariant();
    }
}

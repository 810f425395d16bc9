#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class Dataset;

/**
 * The small record of the main window through which windows hand values to each other:
 * the selected company as shown in the active-company label, the company list mode, the
 * operations page or related-company pick flag, and the code and label chosen in a pick
 * dialog. The data the windows work on never come from here: the active company is the
 * current row of Dataprix->societe.
 *
 * The main window owns the one instance and shows libelleSociete() in its label. Once
 * given the company dataset (suivre()), the record follows its current row whenever that row
 * changes, so that the label always names the company every window and the generation work
 * on, whichever window moved the row.
 */
class ContexteSocieteActive : public QObject {
    Q_OBJECT

public:
    /// Text of the active-company label before the first selection.
    static QString libelleInitial() { return QStringLiteral("Societeactive"); }

    explicit ContexteSocieteActive(QObject* parent = nullptr);

    /// MFISCAL followed by CLE of the selected company.
    QString IdentifiantComplet;
    /// EXERCICE of the selected company, as text.
    QString ExerciceTexte;
    /// Company list mode: 1 a double click selects the company, any other value modifies it.
    int ModeSocietes = 1;
    /// Operations page to show (1 to 4), or the related-company pick flag (0/1).
    int Indicateur = 0;
    /// Code handed back by the state/territory and currency picks.
    QString CodeChoisi;
    /// Label handed back by the state/territory pick.
    QString LibelleChoisi;

    /// The second text of the active-company label.
    const QString& libelleSociete() const { return m_libelleSociete; }
    void setLibelleSociete(const QString& text);

    /**
     * Takes the current row of @p societe as the active company: IdentifiantComplet is its
     * MFISCAL followed by CLE, ExerciceTexte its EXERCICE, and the label its RAISONSOCIALE
     * without surrounding blanks, three blanks, IdentifiantComplet, "  Exercice: " and
     * ExerciceTexte. Without a current row, both are emptied and the label reads
     * libelleInitial() again.
     */
    void prendreSociete(const Dataset& societe);

    /// Follows the current row of @p societe from now on (see prendreSociete()); null stops.
    void suivre(Dataset* societe);

signals:
    void libelleSocieteChanged(const QString& text);

private:
    QString m_libelleSociete = libelleInitial();
    QPointer<Dataset> m_suivi;
};

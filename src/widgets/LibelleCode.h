#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class Dataset;
class QLabel;
class QWidget;

/**
 * Keeps a label beside a code field showing the name of the code the field holds: the name
 * follows when another line becomes current, when the rows are read again and as a code is
 * typed, and is empty for an empty or unknown code. While the dataset has no current row
 * the label keeps the text it was given.
 *
 * The name comes from a function of the code (trimmed); the field is a line edit or an
 * editable drop-down, whose shown text is the code.
 */
class LibelleCode : public QObject {
    Q_OBJECT

public:
    using Nom = std::function<QString(const QString& code)>;

    LibelleCode(QLabel* libelle, Dataset* dataset, QWidget* champ, Nom nom);

    /// The name of a state or territory code, from the list of states and territories.
    static Nom nomEtat();

    /// Shows the name of the code the field holds now.
    void actualiser();

private:
    QString texteChamp() const;

    QPointer<QLabel> m_libelle;
    QPointer<Dataset> m_dataset;
    QPointer<QWidget> m_champ;
    Nom m_nom;
    bool m_demande = false;
};

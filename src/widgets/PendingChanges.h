#pragma once

#include <QString>

class Dataset;
class QWidget;

/**
 * A record typed and not yet sent, met by a command that is about to reopen the list it
 * belongs to, move its row or close its window: the user says first whether to send it.
 *
 * Only the user's own changes count: a record the program put into editing without a change
 * in it, or a new row no field of which was filled in, goes back to browsing without a word.
 */
class PendingChanges {
public:
    /// The question about a record being changed, with Oui, Non and Annuler.
    static QString questionModifications() {
        return QStringLiteral("Voulez-vous enregistrer les modifications ?");
    }

    /// The question about a line being added or modified, with Oui, Non and Annuler.
    static QString questionLigne() {
        return QStringLiteral("Voulez-vous enregistrer la ligne en cours ?");
    }

    /**
     * True when @p dataset is being edited with something the user typed and has not sent:
     * text still being typed in a bound field (written into the row first; a text its column
     * refuses counts too), a field of an existing row that holds another value than the one
     * listed (a value the program set again to what it was is no change), or any field filled in a
     * new row besides the line number and company the record rules gave it.
     */
    static bool holdsUserChanges(Dataset& dataset);

    /**
     * Settles what @p dataset holds before a command goes on. Without a change of the user's
     * the row goes back to browsing. Otherwise @p question is asked (Oui, Non, Annuler): Oui
     * sends the row, Non drops it, Annuler stops the command. A row the database refuses is
     * shown in the standard error box and stays being edited, and the command stops.
     * @returns true when the command may go on.
     */
    static bool settle(QWidget* parent, Dataset& dataset,
                       const QString& question = questionModifications());
};

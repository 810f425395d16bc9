#pragma once

#include "db/Value.h"

#include <QString>
#include <optional>

class Dataset;
class QWidget;
class ServicesFenetres;

/**
 * How an entry window uses the pick dialogs, on a double click in a code field. Each call
 * creates the dialog, shows it modally over @p parent and destroys it before returning. The
 * dialog opens on the row of @p valeurActuelle, the value the field holds, when it is listed.
 *
 * State/territory or currency field:
 * @code
 * if (Choix::etatTerritorial(services, this)) {
 *     try {
 *         // On a browsed row this throws "Not in edit mode" and nothing changes.
 *         ds.setValue(QStringLiteral("ETATTERRITORIAL"), services.contexte().CodeChoisi);
 *         libelleTerritoire->setText(services.contexte().LibelleChoisi);
 *     } catch (const db::DatabaseError& e) { MessageBoxes::showError(this, e.text()); }
 * }
 * @endcode
 *
 * Related-company field:
 * @code
 * if (const auto societe = Choix::societeLiee(services, this)) {
 *     try {
 *         Choix::copierSocieteLiee(ds, *societe, QStringLiteral("MATRICULEFISCAL"),
 *                                 QStringLiteral("TERRITOIRE"));
 *     } catch (const db::DatabaseError& e) { MessageBoxes::showError(this, e.text()); }
 * }
 * @endcode
 */
class Choix {
public:
    /**
     * The state/territory pick "Etat térritorial": empties CodeChoisi and LibelleChoisi of the
     * context, then shows the dialog. True when it ended with OK (a row was chosen): the
     * caller then writes CodeChoisi (the CODE) into its row and shows LibelleChoisi (the
     * PAYS) beside its field. False when it was closed without a choice: the caller changes
     * nothing (CodeChoisi then holds the code of the row that was current, and is not meant
     * to be used).
     */
    static bool etatTerritorial(ServicesFenetres& services, QWidget* parent,
                                const QString& valeurActuelle = QString());
    /// The currency pick "Devises": as etatTerritorial(); CodeChoisi holds the DEVISE chosen
    /// and LibelleChoisi stays empty.
    static bool devise(ServicesFenetres& services, QWidget* parent,
                       const QString& valeurActuelle = QString());

    /// What the code field @p champ shows, typed text included (empty for another control).
    static QString valeurDe(const QWidget* champ);

    /// The values of a related company that a pick hands back, named after its columns.
    struct SocieteLiee {
        db::Value MFISCALLIE;
        db::Value AUTREIDENTIFIANT;
        db::Value ETATTERRITOIRE;
        db::Value RAISONSOCIALE;
        db::Value QUALITE;
        db::Value AUTREQUALITE;
    };

    /**
     * The related-company pick "Sociétés": sets Indicateur of the context to 0, then shows the
     * dialog. When a row was chosen Indicateur is 1 and the chosen row's values are returned
     * (copied out of the dialog, so they stay readable after it is gone); otherwise nothing.
     */
    static std::optional<SocieteLiee> societeLiee(ServicesFenetres& services, QWidget* parent,
                                                  const QString& valeurActuelle = QString());

    /**
     * Copies a chosen related company into the current row of @p ligne, first putting it into
     * editing when it is browsed (a new row on an empty dataset): MFISCALLIE into
     * @p colonneIdentifiant (MATRICULEFISCAL), ETATTERRITOIRE into @p colonneEtat (TERRITOIRE
     * or ETATTERRITORIAL), and AUTREIDENTIFIANT, RAISONSOCIALE, QUALITE, AUTREQUALITE into the
     * columns of the same names. Throws db::DatabaseError (the row keeps what was set).
     */
    static void copierSocieteLiee(Dataset& ligne, const SocieteLiee& societe,
                                  const QString& colonneIdentifiant, const QString& colonneEtat);
};

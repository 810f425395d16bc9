#include "widgets/PendingChanges.h"

#include "data/Dataset.h"
#include "db/DatabaseError.h"
#include "widgets/MessageBoxes.h"

bool PendingChanges::holdsUserChanges(Dataset& dataset) {
    if (!dataset.isEditing()) {
        return false;
    }
    try {
        dataset.updateRecord();
    } catch (const db::DatabaseError&) {
        // A text being typed that its column refuses is a change all the same: sending it
        // shows the refusal, where the user can correct it.
        return true;
    }
    if (dataset.state() == DatasetState::Edit) {
        return dataset.differsFromListed();
    }
    // A new row: the values the rules gave it when it was created are no one's work.
    const TableDef& table = dataset.table();
    for (const FieldDef& f : dataset.fields()) {
        const bool stamped = table.detail && (f.name == QLatin1StringView("MFISCAL") ||
                                              f.name == QLatin1StringView("EXERCICE"));
        if (!stamped && !dataset.holdsRuleValue(f.name) && !dataset.value(f.name).isNull()) {
            return true;
        }
    }
    return false;
}

bool PendingChanges::settle(QWidget* parent, Dataset& dataset, const QString& question) {
    if (!dataset.isEditing()) {
        return true;
    }
    if (!holdsUserChanges(dataset)) {
        dataset.cancel();
        return true;
    }
    switch (MessageBoxes::question(parent, question)) {
        case MessageBoxes::Reponse::Oui:
            try {
                dataset.post();
            } catch (const db::DatabaseError& e) {
                MessageBoxes::showError(parent, e.text());
                return false;
            }
            return true;
        case MessageBoxes::Reponse::Non:
            dataset.cancel();
            return true;
        case MessageBoxes::Reponse::Annuler:
            break;
    }
    return false;
}

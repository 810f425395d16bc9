#include "reference/RechercheContient.h"

#include "data/Dataset.h"
#include "db/Win1252.h"
#include "widgets/SearchEdit.h"

QString RechercheContient::majuscules(const QString& text) {
    return SearchEdit::majuscules(text);
}

QString RechercheContient::condition(const QString& colonne) {
    return QStringLiteral("upper(%1) LIKE cast(:%2 as varchar(%3))")
        .arg(colonne, parametre())
        .arg(kLongueurMotif);
}

QString RechercheContient::motif(const QString& text) {
    return u'%' + majuscules(text) + u'%';
}

void RechercheContient::appliquer(Dataset& dataset, const QString& avecCondition,
                                  const QString& sansCondition, const QString& text,
                                  const QString& sortField) {
    if (text.isEmpty()) {
        dataset.setSql(sansCondition, sortField);
        return;
    }
    dataset.setSql(avecCondition, sortField);
    const QString pattern = motif(text);
    // LIKE against null holds for no row: a character the database cannot hold is in none of
    // its texts, and the search lists nothing instead of failing at each keystroke.
    const bool possible = pattern.size() <= kLongueurMotif && db::Win1252::canEncode(pattern);
    dataset.setParam(parametre(), possible ? db::Value(pattern) : db::Value());
}

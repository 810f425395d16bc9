#include "data/ReferenceData.h"

// The states and currencies are generated at build time (ReferenceLists.cpp); only the
// category codes, which no published list names, are written here.

#include <utility>

namespace {
using Pair = std::pair<const char16_t*, const char16_t*>;

template <std::size_t N>
QVector<ReferenceRow> rows(const Pair (&table)[N]) {
    QVector<ReferenceRow> result;
    result.reserve(static_cast<qsizetype>(N));
    for (const Pair& p : table) {
        result.append({QString::fromUtf16(p.first), QString::fromUtf16(p.second)});
    }
    return result;
}

const Pair kCategories[] = {
    {u"M", u"Personne morale"},
    {u"C", u"Commerçant (personne physique)"},
    {u"P", u"Profession non commerciale"},
    {u"N", u"Non résident"},
    {u"E", u"Entreprise étrangère établie en Tunisie"},
};
}  // namespace

const QVector<ReferenceRow>& ReferenceData::categories() {
    static const QVector<ReferenceRow> r = rows(kCategories);
    return r;
}

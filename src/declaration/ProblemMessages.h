#pragma once

#include "declaration/DeclarationProblem.h"
#include "declaration/ElementSource.h"

#include <QByteArrayView>
#include <QString>

/**
 * The French sentences of the check: from an element the schema refuses, where its value
 * comes from and the value found, the problem as the user reads it.
 *
 * What the administration expects is told by the element's type in the schema, known
 * here by the element's name (and, for the nature of an operation, its parent's).
 */
class ProblemMessages {
public:
    /// How the schema refused an element.
    enum class Refusal {
        Value,           ///< a facet, a pattern, a list or a type refused the value
        TooLong,         ///< the value is longer than the type allows
        MissingChild,    ///< a required element or the one of a choice is missing
        UnexpectedChild  ///< an element stands where the schema allows none (or no second one)
    };

    struct Refused {
        QByteArrayView element;
        QByteArrayView parent;
        ElementSource source;
        /// Text of the element as the file holds it (the attribute's for an attribute).
        QString value;
        /// The refused attribute, when the refusal concerns one.
        QByteArrayView attribute;
        Refusal refusal = Refusal::Value;
    };

    /// The problem for an element, a value or an attribute the schema refuses.
    static DeclarationProblem refused(const Refused& refused);

    /**
     * The problem for an answer "O" whose detail is missing: @p container is the element
     * whose assertion failed, @p source the source the writer gave it.
     */
    static DeclarationProblem missingDetail(QByteArrayView container, const ElementSource& source);

    /// What the administration expects of @p element (child of @p parent), as a noun
    /// phrase: "un matricule fiscal (7 chiffres suivis d'une lettre clé)".
    static QString expectation(QByteArrayView element, QByteArrayView parent);
    /// The longest text the type of @p element admits, 0 when it sets no bound.
    static int maxLength(QByteArrayView element, QByteArrayView parent);

    /// The value as shown in a sentence: line breaks as blanks, long texts shortened.
    static QString shown(const QString& value);
    /// The value with the schema's whitespace collapse applied.
    static QString collapsed(const QString& value);
};

#pragma once

#include "declaration/DeclarationFields.h"

#include <QByteArray>
#include <QtGlobal>

/**
 * What the writer knows of an element when it starts it: the element's name and where
 * its value comes from, so that a problem found in the element maps back to the field
 * the user corrects without guessing.
 *
 * `field` is the column the value is taken from; `alternative` the other field the
 * value depends on, where there is one (the other identifier beside the tax identifier,
 * the free-text quality beside the quality code, the answer beside its description).
 * Containers of a whole line carry only the page and the line.
 */
struct ElementSource {
    const char* name = nullptr;  ///< local name, Latin-1, NUL-terminated, static storage
    qint32 lg = 0;               ///< line number of the row; 0 for the company and group records
    qint32 page = -1;            ///< a DeclarationPage, or -1 outside any page
    const DeclarationField* field = nullptr;
    const DeclarationField* alternative = nullptr;
};

/**
 * Receives the declaration as it is written: the source of every element, in the order
 * their start tags are written, and the bytes of the document, in order.
 */
class XmlDocumentObserver {
public:
    virtual ~XmlDocumentObserver() = default;
    virtual void elementStarted(const ElementSource& source) = 0;
    virtual void dataWritten(const char* data, qsizetype size) = 0;
    /// A whole block of the document, its first @p size bytes. The observer may take it by
    /// swapping @p block with an array of its own, whose content does not matter.
    virtual void blockWritten(QByteArray& block, qsizetype size) {
        dataWritten(block.constData(), size);
    }
};

#pragma once

#include "widgets/PageLignes.h"

#include <QString>
#include <QStringList>

class TDataprix;

/**
 * What one page of the operations window states: its tab caption, the text of the header
 * band, its line page (dataset, fields in tab order, list columns, texts) and the two amount
 * columns whose sums it shows, if it shows totals.
 */
struct PageOperations {
    /// The page number, 1 to 4.
    int numero = 0;
    QString onglet;
    QString entete;
    DefinitionPageLignes lignes;
    /// The columns summed in the first and the second total box; empty: no totals.
    QStringList totaux;
    /// The accessible names of the two total boxes.
    QStringList libellesTotaux;
};

/// The four pages of the operations window.
class PagesOperations {
public:
    static constexpr int kNombre = 4;

    /// Page @p numero (1 to 4) over the datasets of @p module.
    static PageOperations page(int numero, TDataprix& module);
    /// The tab caption of page @p numero.
    static QString onglet(int numero);
};

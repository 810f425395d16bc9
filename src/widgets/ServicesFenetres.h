#pragma once

// The one way windows reach what they share:
// - the data: the data module `Dataprix` (data/TDataprix.h), its datasets and its rules. A
//   window opens, positions and posts those datasets; it never holds a copy of the data,
//   never computes a line number and never commits;
// - everything else the main window offers, through the ServicesFenetres handed to the
//   window's constructor: the context (ContexteSocieteActive), the opening of a child
//   window, the statement runner ExecuterSql and the spreadsheet import of the operations
//   pages.
// Every window includes this header.

#include "data/ExecuteurSql.h"
#include "data/TDataprix.h"
#include "widgets/ContexteSocieteActive.h"

#include <functional>

class QMdiSubWindow;
class QWidget;

/**
 * What the main window offers every window it opens.
 */
class ServicesFenetres {
public:
    virtual ~ServicesFenetres() = default;

    /// The record through which windows hand values to each other.
    virtual ContexteSocieteActive& contexte() = 0;
    /// Shows @p form maximised as a new child window of the main window; the form is
    /// destroyed when it closes. The opener is not blocked.
    virtual QMdiSubWindow* ouvrirFenetre(QWidget* form) = 0;
    /// The main window's statement runner on the shared transaction; it never commits.
    virtual ExecuteurSql& ExecuterSql() = 0;

    /**
     * The spreadsheet import of an operations page: runs on @p dataset, the page's dataset
     * open on the lines of the active company and year, for page @p page (1 to 4), with
     * @p fenetre as parent of its dialogs. The window does nothing before or after it; the
     * totals follow the lines sent through the dataset by themselves.
     */
    using ImportExcel = std::function<void(QWidget* fenetre, int page, Dataset& dataset)>;
    /// The import the operations pages' "Import Excel" runs; none (the button greyed out)
    /// unless the main window offers one.
    virtual ImportExcel importExcel() { return {}; }
};

#pragma once

class TDataprix;

/**
 * Fictitious companies with data in every table, for demonstrations and trials.
 * Every row goes through the datasets of @p module, so that the record rules number,
 * stamp and commit it as they would for typed lines.
 */
class DemoData {
public:
    static void fill(TDataprix& module);
};

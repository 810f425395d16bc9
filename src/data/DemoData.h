#pragma once

class TDataprix;

/**
 * Fictitious companies with data in every table, for demonstrations and trials.
 * Every row goes through the datasets of @p module, so that the record rules number,
 * stamp and commit it as they would for typed lines.
 *
 * The declarations of 1234567A and 7654321A (2023) are accepted by the administration's
 * schema; 0456789A is left incomplete on purpose, to show the pre-filing check at work.
 */
class DemoData {
public:
    static void fill(TDataprix& module);
};

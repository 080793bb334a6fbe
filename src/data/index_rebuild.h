// The index rebuild: every table the program indexes gets a new structural
// compound index with exactly the catalogue's tags, in the catalogue's order.
// It is both the set-up and the repair tool for the index files.
#pragma once

#include <string>
#include <vector>

#include "data/progress.h"

namespace vv::data {

// Rebuilds the tables of indexRebuildOrder() in that order (only those whose
// names are in `only`, matched without regard to case and with or without
// ".DBF", when it is not empty). For each table: the table is opened
// exclusively (encrypted ones with kTablePassword), `progress` receives the
// table's message ("Indexing Sales Calls..."), and the old .CDX is replaced
// by one with the catalogue's tags (an encrypted table's index is encrypted). The export tables are taken from exportFolder(dataFolder).
// The rate code table may be missing (it is then skipped without a message);
// any other table that cannot be opened exclusively stops the run with the
// engine's error (vv::db::Error), the tables before it staying rebuilt.
// After the last table `progress` receives "All Finished...Click Close...".
void rebuildIndexes(const std::string& dataFolder, const ProgressFn& progress,
                    const std::vector<std::string>& only = {});

// Builds the index of every table of a folder just made by
// createDataFolder, the tables the rebuild leaves alone (those that arrive
// from the full edition with their own index) included.
void indexNewDataFolder(const std::string& dataFolder, const ProgressFn& progress);

// One disagreement between a table and its index found by checkIndexes.
struct IndexProblem {
    std::string table;    // file name, e.g. "SALECALL.DBF"
    std::string tag;      // empty when the problem is the whole index file
    std::string message;  // plain text for a person
};

// Checks every catalogue table present in the data folder and its export
// folder: the index file exists and opens, holds the catalogue's tags, and
// each tag lists exactly the table's records with their current keys in
// order. Tables are opened shared and read only.
std::vector<IndexProblem> checkIndexes(const std::string& dataFolder, const ProgressFn& progress = {});

}  // namespace vv::data

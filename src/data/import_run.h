// The import of lookup files from the full edition: a password-protected
// archive of tables (accounts, contacts, code tables) that replace those of
// the data folder. The same run serves the Import window and
// `vekvoro-admin import`.
//
// Nothing is written outside the data folder, and a broken archive changes
// nothing there: every entry is first extracted into a staging folder
// (entry names lose their folders; a name that tries to climb out is
// refused), every entry is read whole with its checksum checked and every
// table opens; only then do the staged files replace those of the data
// folder; the stale index of a replaced table is removed unless the archive
// brings one. The account and contact tables are encrypted again afterwards,
// and the indexes are left for the index rebuild the user is offered.
//
// Errors: vv::db::Error naming the archive, the entry or the table; the data
// folder is then as it was (the staging folder is removed).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/progress.h"

namespace vv::data {

// Where an entry of the archive may land: its bare file name, or refused
// when the name is absolute, starts with a drive letter, or has a ".."
// part. A folder entry (ending in a separator) gives an empty name.
struct EntryTarget {
    bool refused = false;
    std::string fileName;
};
EntryTarget entryTarget(std::string_view entryName);

struct ImportRequest {
    std::string dataFolder;
    std::string archivePath;  // the file to read
    std::string rememberAs;   // stored in LITEIMPORT; empty: archivePath
};

struct ImportHooks {
    std::function<void(const std::string& entryName)> fileStarting;
    std::function<void(int percent)> percent;  // 0 to 100 over the bytes extracted
    ProgressFn progress;                       // the encryption's messages
};

struct ImportResult {
    std::vector<std::string> restored;  // file names now replaced or added in the data folder
};

ImportResult runImport(const ImportRequest& request, const ImportHooks& hooks = {});

}  // namespace vv::data

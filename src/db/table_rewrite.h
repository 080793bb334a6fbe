// All-or-nothing replacement of a table's files. The new DBF (and FPT) are
// written beside the old ones as NAME.vvnew files and synced; a commit
// marker is written and synced; then the files are renamed over the old
// ones and the marker removed. Whoever opens the table next finishes a
// conversion whose marker exists (roll forward) or throws away .vvnew files
// without a marker (roll back), so a crash at any point leaves either the
// old or the new table.
#pragma once

#include <string>
#include <vector>

#include "db/file_system.h"

namespace vv::db::table_rewrite {

struct Replacement {
    std::string target;     // path of the file to replace
    std::string staged;     // path of its new content (target + ".vvnew")
};

std::string stagedPath(const std::string& target);
std::string markerPath(const std::string& dbfPath);

// Called with the new files written and synced.
void commit(FileSystem& fs, const std::string& folder, const std::string& dbfPath,
            const std::vector<Replacement>& files);

// Finishes or undoes an interrupted conversion of the table at dbfPath.
// Returns true when anything was done. Call only while no other user has
// the table open (the caller holds or has just been granted exclusive use).
bool recover(FileSystem& fs, const std::string& folder, const std::string& dbfPath,
             const std::vector<std::string>& companions);

// True when staged files or a marker of an interrupted conversion exist.
bool pending(FileSystem& fs, const std::string& dbfPath, const std::vector<std::string>& companions);

}  // namespace vv::db::table_rewrite

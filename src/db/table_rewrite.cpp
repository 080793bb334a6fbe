#include "db/table_rewrite.h"

namespace vv::db::table_rewrite {

std::string stagedPath(const std::string& target) { return target + ".vvnew"; }
std::string markerPath(const std::string& dbfPath) { return dbfPath + ".vvcommit"; }

void commit(FileSystem& fs, const std::string& folder, const std::string& dbfPath,
            const std::vector<Replacement>& files) {
    {
        auto marker = fs.open(markerPath(dbfPath), OpenMode::CreateTruncate);
        const char text[] = "vvcommit\n";
        marker->writeAt(0, text, sizeof text - 1);
        marker->sync();
    }
    fs.syncFolder(folder);
    // The DBF goes last: until it is replaced, a reader finds the old table whole.
    for (const auto& f : files) fs.rename(f.staged, f.target);
    fs.syncFolder(folder);
    fs.remove(markerPath(dbfPath));
    fs.syncFolder(folder);
}

bool pending(FileSystem& fs, const std::string& dbfPath, const std::vector<std::string>& companions) {
    if (fs.exists(markerPath(dbfPath)) || fs.exists(stagedPath(dbfPath))) return true;
    for (const auto& c : companions)
        if (fs.exists(stagedPath(c))) return true;
    return false;
}

bool recover(FileSystem& fs, const std::string& folder, const std::string& dbfPath,
             const std::vector<std::string>& companions) {
    if (!pending(fs, dbfPath, companions)) return false;
    std::vector<std::string> targets = companions;
    targets.push_back(dbfPath);  // last, as in commit
    if (fs.exists(markerPath(dbfPath))) {
        for (const auto& t : targets)
            if (fs.exists(stagedPath(t))) fs.rename(stagedPath(t), t);
        fs.syncFolder(folder);
        fs.remove(markerPath(dbfPath));
    } else {
        for (const auto& t : targets) fs.remove(stagedPath(t));
    }
    fs.syncFolder(folder);
    return true;
}

}  // namespace vv::db::table_rewrite

#include "data/index_rebuild.h"

#include <algorithm>
#include <filesystem>

#include "data/catalogue.h"
#include "data/data_folder.h"
#include "db/error.h"
#include "db/file_name.h"
#include "db/file_system.h"
#include "db/table.h"

namespace vv::data {
namespace {

std::string withoutExtension(const std::string& name) {
    const std::string u = db::upperAscii(name);
    return u.size() > 4 && u.ends_with(".DBF") ? u.substr(0, u.size() - 4) : u;
}

bool wanted(const TableDef& table, const std::vector<std::string>& only) {
    if (only.empty()) return true;
    return std::any_of(only.begin(), only.end(),
                       [&](const std::string& name) { return withoutExtension(name) == withoutExtension(table.fileName); });
}

std::vector<db::IndexTagSpec> specsOf(const TableDef& table) {
    std::vector<db::IndexTagSpec> specs;
    for (const TagDef& tag : table.tags) specs.push_back({tag.name, tag.expression, tag.descending, {}});
    return specs;
}

// The rebuild's table, or nothing for a missing optional table.
std::unique_ptr<db::Table> openExclusive(const std::string& folder, const TableDef& table) {
    db::FileSystem& fs = db::FileSystem::local();
    if (table.optional && !fs.findIgnoringCase(folder, table.fileName)) return nullptr;
    db::OpenOptions options;
    options.exclusive = true;
    auto t = db::Table::open(folder, table.fileName, options);
    if (table.encrypted) t->enableEncryption(kTablePassword);
    return t;
}

void rebuildOne(const std::string& dataFolder, const TableDef& table, const ProgressFn& progress) {
    const std::string folder = folderOf(table, dataFolder, {});
    // The table is opened exclusively before its old index is dropped:
    // an index still in use by someone else must not vanish under them.
    // A damaged index does not stop the open; rebuildIndex replaces it.
    auto t = openExclusive(folder, table);
    if (!t) {
        db::FileSystem& fs = db::FileSystem::local();
        // Every spelling of it: a folder copied from elsewhere may hold several.
        while (const auto stray = fs.findIgnoringCase(folder, withoutExtension(table.fileName) + ".CDX"))
            fs.remove(*stray);
        return;
    }
    if (progress)
        progress(table.indexProgress.empty() ? "Indexing " + table.fileName + "..." : table.indexProgress);
    t->rebuildIndex(specsOf(table));
    t->close();
}

}  // namespace

void rebuildIndexes(const std::string& dataFolder, const ProgressFn& progress, const std::vector<std::string>& only) {
    for (const TableDef* table : indexRebuildOrder())
        if (wanted(*table, only)) rebuildOne(dataFolder, *table, progress);
    if (progress) progress("All Finished...Click Close...");
}

void indexNewDataFolder(const std::string& dataFolder, const ProgressFn& progress) {
    for (const TableDef& table : allTables())
        if (table.folder != TableFolder::Program && !table.tags.empty()) rebuildOne(dataFolder, table, progress);
}

std::vector<IndexProblem> checkIndexes(const std::string& dataFolder, const ProgressFn& progress) {
    std::vector<IndexProblem> problems;
    db::FileSystem& fs = db::FileSystem::local();
    for (const TableDef& table : allTables()) {
        if (table.folder == TableFolder::Program || table.tags.empty()) continue;
        const std::string folder = folderOf(table, dataFolder, {});
        if (!fs.findIgnoringCase(folder, table.fileName)) {
            if (!table.optional) problems.push_back({table.fileName, {}, "the table is missing"});
            continue;
        }
        if (progress) progress("Checking " + table.fileName + "...");
        try {
            db::OpenOptions options;
            options.readOnly = true;
            auto t = db::Table::open(folder, table.fileName, options);
            if (t->isEncrypted()) t->enableEncryption(kTablePassword);
            if (!t->hasIndex()) {
                t->tags();  // throws the reason when the file is there but damaged
                problems.push_back({table.fileName, {}, "the index file is missing"});
                continue;
            }
            std::vector<std::string> have;
            for (const auto& tag : t->tags()) have.push_back(tag.name);
            for (const TagDef& tag : table.tags)
                if (std::find(have.begin(), have.end(), db::upperAscii(tag.name)) == have.end())
                    problems.push_back({table.fileName, tag.name, "the tag is missing"});
            for (const std::string& line : t->verifyIndex()) {
                // "tag NAME: what" from the engine.
                const auto colon = line.find(": ");
                const bool tagged = line.starts_with("tag ") && colon != std::string::npos;
                problems.push_back({table.fileName, tagged ? line.substr(4, colon - 4) : std::string(),
                                    tagged ? line.substr(colon + 2) : line});
            }
        } catch (const db::Error& e) {
            problems.push_back({table.fileName, {}, e.what()});
        }
    }
    return problems;
}

}  // namespace vv::data

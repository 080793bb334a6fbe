#include "data/data_folder.h"

#include <filesystem>

#include "data/paths.h"
#include "db/error.h"
#include "db/file_system.h"
#include "db/table.h"

namespace vv::data {

namespace {

bool createdHere(const TableDef& t) { return t.folder == TableFolder::Data || t.folder == TableFolder::Export; }

}  // namespace

std::string folderOf(const TableDef& table, const std::string& dataFolder, const std::string& programFolder) {
    switch (table.folder) {
    case TableFolder::Data: return dataFolder;
    case TableFolder::Export: return exportFolder(dataFolder);
    case TableFolder::Program: return programFolder;
    }
    return dataFolder;
}

void createTable(const std::string& folder, const TableDef& table, bool overwrite) {
    db::CreateOptions options;
    options.overwrite = overwrite;
    db::Table::create(folder, table.fileName, table.fields, options);
}

void createDataFolder(const std::string& dataFolder, const ProgressFn& progress, bool overwrite) {
    const std::string exports = exportFolder(dataFolder);
    if (!overwrite) {
        // Look at every table before making any, so a refusal leaves the folder as it was.
        std::string found;
        auto& fs = db::FileSystem::local();
        for (const auto& t : allTables()) {
            if (!createdHere(t)) continue;
            const std::string folder = folderOf(t, dataFolder, {});
            if (std::filesystem::is_directory(folder) && fs.findIgnoringCase(folder, t.fileName))
                found += (found.empty() ? "" : ", ") + t.fileName;
        }
        if (!found.empty())
            throw db::Error(db::ErrorKind::InvalidArgument,
                            "The data folder " + dataFolder + " already holds " + found + "; nothing was created");
    }
    std::error_code ec;
    std::filesystem::create_directories(exports, ec);
    if (ec) throw db::Error(db::ErrorKind::Io, "Cannot create the folder " + exports + ": " + ec.message());
    for (const auto& t : allTables()) {
        if (!createdHere(t)) continue;
        if (progress) progress("Creating " + t.fileName + "...");
        createTable(folderOf(t, dataFolder, {}), t, overwrite);
    }
}

}  // namespace vv::data

#include "data/import_run.h"

#include <algorithm>
#include <filesystem>

#include "data/catalogue.h"
#include "data/exchange_state.h"
#include "data/export_run.h"
#include "data/table_encryption_commands.h"
#include "data/zip_archive.h"
#include "db/error.h"
#include "db/table.h"

namespace vv::data {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStagingName = ".import-staging";

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

bool hasExtension(const std::string& name, const char* upperExtension) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    std::string e = name.substr(dot + 1);
    for (char& c : e)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return e == upperExtension;
}

// Removes the staging folder however the import ends.
class StagingFolder {
public:
    explicit StagingFolder(const std::string& dataFolder) : path_(fs::path(dataFolder) / kStagingName) {
        fs::remove_all(path_);
        fs::create_directory(path_);
    }
    ~StagingFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

// Reads every record (and memo) of a staged table, so a table cut short or
// with a broken memo file is found before anything is replaced.
void checkTable(const std::string& folder, const std::string& name) {
    db::OpenOptions options;
    options.readOnly = true;
    auto t = db::Table::open(folder, name, options);
    if (t->isEncrypted()) t->enableEncryption(kTablePassword);
    const int fields = static_cast<int>(t->fields().size());
    for (t->first(); !t->eof(); t->next())
        for (int i = 0; i < fields; ++i)
            if (t->fields()[static_cast<std::size_t>(i)].isMemoLike()) (void)t->getText(i);
    t->close();
}

void replaceInDataFolder(const std::string& dataFolder, const std::string& staged, const std::string& name) {
    // The engine finds tables whatever the case of their names: a table of
    // the same name in another case must go, or it would shadow the new one.
    if (auto existing = findFileIgnoringCase(dataFolder, name);
        existing && fs::path(*existing).filename().string() != name)
        fs::remove(*existing);
    fs::rename(staged, fs::path(dataFolder) / name);
}

}  // namespace

EntryTarget entryTarget(std::string_view entryName) {
    EntryTarget target;
    if (entryName.empty() || isSeparator(entryName.front()) ||
        (entryName.size() >= 2 && entryName[1] == ':' &&
         ((entryName[0] >= 'A' && entryName[0] <= 'Z') || (entryName[0] >= 'a' && entryName[0] <= 'z')))) {
        target.refused = true;
        return target;
    }
    std::string part;
    auto endPart = [&] {
        if (part == "..") target.refused = true;
        target.fileName = part;
        part.clear();
    };
    for (const char c : entryName) {
        if (isSeparator(c)) endPart();
        else part += c;
    }
    endPart();
    if (target.fileName == ".") target.fileName.clear();
    if (target.refused) target.fileName.clear();
    return target;
}

ImportResult runImport(const ImportRequest& request, const ImportHooks& hooks) {
    ImportResult result;
    ZipReader reader(request.archivePath, kExchangePassword);

    std::vector<std::pair<std::size_t, std::string>> plan;  // entry index, file name
    uint64_t total = 0;
    for (std::size_t i = 0; i < reader.entries().size(); ++i) {
        const auto& entry = reader.entries()[i];
        const EntryTarget target = entryTarget(entry.name);
        if (target.refused)
            throw db::Error(db::ErrorKind::InvalidArgument, "The archive " + request.archivePath +
                                                                " holds a file outside its folder: " + entry.name);
        if (entry.isFolder || target.fileName.empty()) continue;
        plan.emplace_back(i, target.fileName);
        total += entry.size;
    }

    StagingFolder staging(request.dataFolder);
    uint64_t done = 0;
    int lastPercent = -1;
    auto report = [&](uint64_t bytes) {
        if (!hooks.percent) return;
        const int p = total == 0 ? 100 : static_cast<int>((bytes * 100) / total);
        if (p != lastPercent) hooks.percent(lastPercent = p);
    };
    report(0);
    for (const auto& [index, name] : plan) {
        if (hooks.fileStarting) hooks.fileStarting(reader.entries()[index].name);
        reader.extract(index, staging.file(name), [&](uint64_t bytes) { report(done + bytes); });
        done += reader.entries()[index].size;
        report(done);
    }
    // A later entry of the same bare name replaced the earlier one in staging.
    std::vector<std::string> staged;
    for (const auto& [index, name] : plan)
        if (std::find(staged.begin(), staged.end(), name) == staged.end()) staged.push_back(name);
    for (const auto& name : staged)
        if (hasExtension(name, "DBF")) checkTable(staging.path(), name);

    for (const auto& name : staged) {
        replaceInDataFolder(request.dataFolder, staging.file(name), name);
        result.restored.push_back(name);
    }
    // An index left from the table a new one replaced describes records
    // that are gone; without it the table opens, and the rebuild the user
    // is offered makes a true one.
    for (const auto& name : staged) {
        if (!hasExtension(name, "DBF")) continue;
        const std::string index = name.substr(0, name.size() - 3) + "CDX";
        if (std::none_of(staged.begin(), staged.end(), [&](const std::string& n) { return sameName(n, index); }))
            if (auto stale = findFileIgnoringCase(request.dataFolder, index)) fs::remove(*stale);
    }
    encryptTables(request.dataFolder, hooks.progress);
    rememberImportArchive(request.dataFolder, request.rememberAs.empty() ? request.archivePath : request.rememberAs);
    return result;
}

}  // namespace vv::data

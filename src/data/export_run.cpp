#include "data/export_run.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "data/catalogue.h"
#include "data/exchange_state.h"
#include "data/paths.h"
#include "db/error.h"
#include "db/table.h"

namespace vv::data {
namespace {

namespace fs = std::filesystem;

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

// Creating the empty test file proves the location is there and writable
// before any record is touched.
bool destinationWritable(const std::string& testFile) {
    std::ofstream out(testFile, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out);
}

void emptyOutbox(const std::string& dataFolder) {
    db::OpenOptions exclusive;
    exclusive.exclusive = true;
    for (const auto& def : allTables()) {
        if (def.folder != TableFolder::Export) continue;
        auto t = db::Table::open(exportFolder(dataFolder), def.fileName, exclusive);
        t->emptyTable();
        t->close();
    }
}

}  // namespace

std::string fileAtLocation(const std::string& location, const std::string& fileName) {
    if (location.empty()) return fileName;
    const char last = location.back();
    if (last == '/' || last == '\\') return location + fileName;
    // A text written with backslashes only keeps to them.
    const bool windowsStyle = location.find('\\') != std::string::npos && location.find('/') == std::string::npos;
    return location + (windowsStyle ? '\\' : '/') + fileName;
}

std::vector<ZipSource> exportArchiveSources(const std::string& exportFolder) {
    std::vector<ZipSource> sources;
    std::error_code ec;
    for (fs::directory_iterator it(exportFolder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string name = it->path().filename().string();
        const auto dot = name.rfind('.');
        if (dot == std::string::npos) continue;
        const std::string extension = upper(name.substr(dot + 1));
        if (extension.rfind("DB", 0) == 0 || extension == "FPT") sources.push_back({name, it->path().string()});
    }
    std::sort(sources.begin(), sources.end(),
              [](const ZipSource& a, const ZipSource& b) { return a.entryName < b.entryName; });
    return sources;
}

ExportResult runExport(const ExportRequest& request, const ExportHooks& hooks) {
    ExportResult result;
    result.archivePath = fileAtLocation(request.location, kExportArchiveName);
    const std::string testFile = fileAtLocation(request.location, kExportTestFileName);
    if (!destinationWritable(testFile)) {
        result.outcome = ExportOutcome::DestinationRefused;
        result.problem = "Cannot create " + testFile + ".";
        return result;
    }

    result.counts = copyForExport(request.dataFolder, request.choice, request.today, hooks);

    if (hooks.progress) hooks.progress("Copying Files...");
    const auto sources = exportArchiveSources(exportFolder(request.dataFolder));
    if (sources.empty()) {
        result.problem = "There are no export tables in " + exportFolder(request.dataFolder) + ".";
    } else {
        try {
            if (hooks.progress)
                for (const auto& s : sources) hooks.progress("Backing Up " + s.entryName);
            writeEncryptedZip(result.archivePath, sources, kExchangePassword);
            result.problem = verifyZip(result.archivePath, sources, kExchangePassword);
        } catch (const db::Error& e) {
            result.problem = e.what();
        }
    }

    if (!result.problem.empty()) {
        // A broken archive must not be carried to the full edition as if it
        // were good; the outbox still holds everything for the next run.
        std::error_code ec;
        fs::remove(result.archivePath, ec);
        result.outcome = ExportOutcome::ArchiveFailed;
    } else {
        // The outbox is emptied even when the date cannot be stored: the
        // archive holds its records, and a second archive of them would
        // carry them twice.
        std::exception_ptr dateFailure;
        try {
            setLastExportDate(request.dataFolder, request.today);
        } catch (...) {
            dateFailure = std::current_exception();
        }
        emptyOutbox(request.dataFolder);
        if (dateFailure) std::rethrow_exception(dateFailure);
        result.outcome = ExportOutcome::Finished;
    }
    rememberExportLocation(request.dataFolder, request.rememberAs.empty() ? request.location : request.rememberAs);
    return result;
}

}  // namespace vv::data

#include "cli/exchange_commands.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "data/export_run.h"
#include "data/import_run.h"
#include "db/date.h"

namespace vv::cli {
namespace {

constexpr const char* kExportUsage = "usage: vekvoro-admin export DIR --to FOLDER [--all]\n";
constexpr const char* kImportUsage = "usage: vekvoro-admin import DIR ARCHIVE\n";

int usage(const char* text, const std::string& problem) {
    std::cerr << "vekvoro-admin: " << problem << '\n' << text;
    return 2;
}

void progress(const std::string& message) { std::cerr << message << '\n'; }

int exportCommand(int argc, char** argv) {
    std::vector<std::string> positional;
    std::string to;
    bool all = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--all") all = true;
        else if (arg == "--to" && i + 1 < argc) to = argv[++i];
        else if (arg.rfind("--", 0) == 0) return usage(kExportUsage, "unknown option " + arg);
        else positional.push_back(arg);
    }
    if (positional.size() != 1) return usage(kExportUsage, "expected DIR");
    if (to.empty()) return usage(kExportUsage, "--to FOLDER is needed");

    data::ExportHooks hooks;
    hooks.progress = progress;  // nobody to ask: a locked record waits for the next run
    data::ExportRequest request;
    request.dataFolder = positional[0];
    request.location = to;
    request.choice = all ? data::ExportChoice::All : data::ExportChoice::New;
    request.today = db::Date::today();
    const auto r = data::runExport(request, hooks);
    if (r.outcome == data::ExportOutcome::DestinationRefused) {
        std::cerr << "vekvoro-admin: Can Not Perform Export Process! " << r.problem << '\n';
        return 1;
    }
    std::cout << "Calls Exported: " << r.counts.calls << "\nTraces Exported: " << r.counts.traces
              << "\nTracking Exported: " << r.counts.tracking << '\n';
    if (r.counts.skipped > 0)
        std::cerr << r.counts.skipped << " records were locked by another user and wait for the next export\n";
    if (r.outcome == data::ExportOutcome::ArchiveFailed) {
        std::cerr << "vekvoro-admin: Export Was Not Completed! " << r.problem
                  << "\nThe export tables keep their records for the next export.\n";
        return 1;
    }
    std::cout << "Archive: " << r.archivePath << '\n';
    return 0;
}

int importCommand(int argc, char** argv) {
    std::vector<std::string> positional;
    for (int i = 2; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) == 0) return usage(kImportUsage, std::string("unknown option ") + argv[i]);
        positional.emplace_back(argv[i]);
    }
    if (positional.size() != 2) return usage(kImportUsage, "expected DIR and ARCHIVE");
    data::ImportHooks hooks;
    hooks.fileStarting = [](const std::string& name) { progress("Restoring File " + name); };
    hooks.progress = progress;
    const auto r = data::runImport({positional[0], positional[1], {}}, hooks);
    std::cout << "Restored " << r.restored.size() << " files\nDo Not Forget To Reindex Your Files!\n";
    return 0;
}

}  // namespace

bool isExchangeCommand(const char* command) {
    return std::strcmp(command, "export") == 0 || std::strcmp(command, "import") == 0;
}

int runExchangeCommand(int argc, char** argv) {
    return std::strcmp(argv[1], "export") == 0 ? exportCommand(argc, argv) : importCommand(argc, argv);
}

}  // namespace vv::cli

// The export of sales calls, traces and tracking records for the full
// edition. The same run serves the Export window and `vekvoro-admin export`.
//
// The three export tables in the export folder are an outbox: each run
// appends the chosen records to them, marks each copied source record with
// the day's date in EXPORTED, packs the outbox into the password-protected
// archive VEKEXPORT.ZIP at the chosen location, reads the archive back, and
// only when every entry is there with its checksum right, stamps EXPDATE in
// BKUPDATE.DBF and empties the outbox. A failed archive leaves the outbox
// full for the next run, which appends to it, so nothing copied is lost.
//
// Errors of the table engine that the run does not handle (a source table
// that cannot be opened, an export table someone else holds) are thrown as
// vv::db::Error; what was stored before stays stored.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "data/progress.h"
#include "data/zip_archive.h"
#include "db/date.h"

namespace vv::db {
class Error;
}

namespace vv::data {

inline constexpr const char* kExportArchiveName = "VEKEXPORT.ZIP";
inline constexpr const char* kExportTestFileName = "EXPORT.TXT";
// The full edition's archives all use this password.
inline constexpr const char* kExchangePassword = "qmv472815";

enum class ExportChoice {
    New,  // records whose MODIFIED is later than their EXPORTED
    All,  // every record
};

// Whether a record with these stamps is exported. An empty date counts as
// earlier than every date, so a record without MODIFIED is never "new".
bool chosenForExport(db::Date modified, db::Date exported, ExportChoice choice);

// `location` with a separator added when it ends in none, then `fileName`.
std::string fileAtLocation(const std::string& location, const std::string& fileName);

// The files of the export folder that go into the archive: the tables and
// their memo files ("*.DB*", "*.FPT" in any case), not the indexes; sorted
// by name, each stored under its bare file name.
std::vector<ZipSource> exportArchiveSources(const std::string& exportFolder);

struct ExportCounts {
    int calls = 0;
    int traces = 0;
    int tracking = 0;
    int skipped = 0;  // records left out because the user gave up on a lock
};

enum class ExportOutcome {
    Finished,            // archive written and checked, outbox emptied, EXPDATE = today
    DestinationRefused,  // the test file could not be made there: nothing exported or marked
    ArchiveFailed,       // records copied and marked, outbox kept full, EXPDATE unchanged
};

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::Finished;
    ExportCounts counts;
    std::string archivePath;
    std::string problem;  // why the destination or the archive failed, in plain words
};

struct ExportRequest {
    std::string dataFolder;
    std::string location;  // the folder the archive goes to
    ExportChoice choice = ExportChoice::New;
    db::Date today;        // stamped into EXPORTED and EXPDATE
    std::string rememberAs;  // stored in LITEEXPORT; empty: location
};

struct ExportHooks {
    // "Exporting Calls...", "Exporting Traces...", "Exporting Tracking...",
    // "Copying Files...", "Backing Up NAME" per archive entry.
    ProgressFn progress;
    // Asked when a record cannot be locked or copied; true tries again,
    // false (or no function) leaves that record out: not copied, not
    // marked, not counted.
    std::function<bool(const db::Error&)> askRetry;
};

// The whole run. Opens the sources shared and the export tables (in
// exportFolder(dataFolder)) exclusively; the export tables must exist.
// LITEEXPORT is set to the location when LITEEXP.DBF exists, unless the
// destination was refused.
ExportResult runExport(const ExportRequest& request, const ExportHooks& hooks = {});

// The copying half alone: appends the chosen records to the export tables
// and marks them, returning the counts. runExport calls it; the benchmark
// and tests may too.
ExportCounts copyForExport(const std::string& dataFolder, ExportChoice choice, db::Date today,
                           const ExportHooks& hooks = {});

}  // namespace vv::data

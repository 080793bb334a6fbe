// Setting up a data folder: every table of the catalogue that lies in the
// data folder or its export folder, created empty, and a small sample hotel
// to fill them with for trying the program out.
//
// Neither function encrypts or indexes: a caller that wants the business
// tables encrypted (ACCOUNT, CONTACTS with kTablePassword) and the compound
// indexes built does so afterwards, over the finished folder. The demo data
// must be written before encryption, since it opens the tables without a
// password.
#pragma once

#include <string>

#include "data/catalogue.h"
#include "data/progress.h"
#include "db/date.h"

namespace vv::data {

// The folder `table` lies in, given the data folder and the program folder.
std::string folderOf(const TableDef& table, const std::string& dataFolder, const std::string& programFolder);

// Creates `table` empty in `folder` (which must exist). Without `overwrite`
// an existing table of that name (in any case) is an error and stays as it is.
void createTable(const std::string& folder, const TableDef& table, bool overwrite = false);

// Creates the data folder and its export folder when missing, then every
// table of both folders (optional ones too; SYSPATH, which lives in the
// program folder, is not made). Reports "Creating NAME.DBF..." per table.
// Without `overwrite`, when any of the tables already exists nothing is
// created and vv::db::Error (InvalidArgument) names the tables found.
void createDataFolder(const std::string& dataFolder, const ProgressFn& progress, bool overwrite = false);

// Where the sample letter documents of a new data folder go: its "Letters"
// subfolder (the letters folder of the settings points there).
std::string sampleLettersFolder(const std::string& dataFolder);

// Writes a few letter documents with the letters commands' markers into
// sampleLettersFolder() and lists them in LETTERS.DBF (which must exist and
// is filled only when empty).
void addSampleLetters(const std::string& dataFolder);

// How many records fillDemoData wrote.
struct DemoSummary {
    int accounts = 0;
    int contacts = 0;
    int calls = 0;
    int traces = 0;
    int openTraces = 0;
    int tracking = 0;
    int groups = 0;
};

// How big the sample hotel is. The hand-written companies come first; more
// accounts get made-up names. Traces are at least those the calls leave.
struct DemoScale {
    int accounts = 40;
    int calls = 200;
    int traces = 80;
    int stays = 300;  // tracking records
};
// A few minutes of trying out the program (and the tests).
inline constexpr DemoScale kSmallDemo{};
// A hotel of realistic size, so paging, filters and seeks show their speed.
inline constexpr DemoScale kFullDemo{2000, 20000, 8000, 30000};

// Fills a folder just made by createDataFolder with a sample hotel: its
// location and switches, salespeople (the program's own user "XXX" among
// them), code tables, `scale.accounts` accounts with their contacts, half a year
// of sales calls, traces (open, overdue and completed) and daily tracking,
// and a few group bookings. The same data every time for the same `today`:
// all dates are counted back (and a little forward) from it, and every
// random choice comes from a fixed seed. Reports one message per table.
DemoSummary fillDemoData(const std::string& dataFolder, db::Date today, const ProgressFn& progress,
                         const DemoScale& scale = kSmallDemo);

}  // namespace vv::data

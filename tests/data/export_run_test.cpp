#include "data/export_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "data/catalogue.h"
#include "data/data_folder.h"
#include "data/exchange_state.h"
#include "data/paths.h"
#include "data/zip_archive.h"
#include "db/error.h"
#include "db/table.h"
#include "support/temp_dir.h"

namespace vv::data {
namespace {

namespace fs = std::filesystem;
using db::Date;

const Date kToday = Date::fromYmd(2026, 3, 16);
const Date kLastWeek = kToday.addDays(-7);
const Date kYesterday = kToday.addDays(-1);

TEST(ExportChoiceRule, ModifiedLaterThanExportedOrEverythingOnRequest) {
    struct Case {
        Date modified, exported;
        bool chosenAsNew;
    } cases[] = {
        {kYesterday, kLastWeek, true},  // changed since the last export
        {kYesterday, Date(), true},     // never exported
        {kToday, kToday, false},        // same day: not later
        {kLastWeek, kYesterday, false}, // exported after the change
        {Date(), Date(), false},        // never modified
        {Date(), kLastWeek, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chosenForExport(c.modified, c.exported, ExportChoice::New), c.chosenAsNew)
            << c.modified.iso() << " / " << c.exported.iso();
        EXPECT_TRUE(chosenForExport(c.modified, c.exported, ExportChoice::All));
    }
}

TEST(ExportLocation, AddsOneSeparatorInTheTextsOwnStyle) {
    EXPECT_EQ(fileAtLocation("A:\\", "VEKEXPORT.ZIP"), "A:\\VEKEXPORT.ZIP");
    EXPECT_EQ(fileAtLocation("C:\\OUT", "VEKEXPORT.ZIP"), "C:\\OUT\\VEKEXPORT.ZIP");
    EXPECT_EQ(fileAtLocation("/media/out", "EXPORT.TXT"), "/media/out/EXPORT.TXT");
    EXPECT_EQ(fileAtLocation("/media/out/", "EXPORT.TXT"), "/media/out/EXPORT.TXT");
}

// An empty data folder with a few records whose stamps the tests choose.
class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        data = dir.file("data");
        out = dir.file("out");
        createDataFolder(data, {});
        fs::create_directories(out);
        setLastExportDate(data, kLastWeek);
    }

    void addCall(const std::string& fileCode, Date date, Date modified, Date exported, const std::string& memo = {}) {
        auto t = db::Table::open(data, "SALECALL.DBF");
        t->append();
        t->setText("FILE_CODE", fileCode);
        t->setText("ACCT_NAME", "Café " + fileCode);
        t->setDate("DATE", date);
        t->setDate("MODIFIED", modified);
        t->setDate("EXPORTED", exported);
        t->setText("KEY", "00471114050904" + fileCode.substr(0, 1));
        t->setNumber("CALLCOUNT", 3);  // not exported
        if (!memo.empty()) t->setText("MEMO", memo);
        t->post();
    }
    void addTrace(const std::string& fileCode, Date modified, Date exported) {
        auto t = db::Table::open(data, "TRACES.DBF");
        t->append();
        t->setText("FILE_CODE", fileCode);
        t->setText("STATUS", "O");
        t->setDate("MODIFIED", modified);
        t->setDate("EXPORTED", exported);
        t->post();
    }
    void addTracking(const std::string& corpNo, int rooms, double rate, Date modified, Date exported) {
        auto t = db::Table::open(data, "SALES.DBF");
        t->append();
        t->setText("CORP_NO", corpNo);
        t->setInt("ROOMS", rooms);
        t->setNumber("RATE", rate);
        t->setNumber("RMREV", rooms * rate);
        t->setDate("MODIFIED", modified);
        t->setDate("EXPORTED", exported);
        t->post();
    }

    uint32_t outboxCount(const std::string& table) {
        return db::Table::open(exportFolder(data), table)->recordCount();
    }
    std::vector<Date> exportedStamps(const std::string& table) {
        std::vector<Date> v;
        auto t = db::Table::open(data, table);
        for (t->first(); !t->eof(); t->next()) v.push_back(t->getDate("EXPORTED"));
        return v;
    }
    ExportResult run(ExportChoice choice = ExportChoice::New, const ExportHooks& hooks = {}) {
        return runExport({data, out, choice, kToday, {}}, hooks);
    }

    test::TempDir dir;
    std::string data, out;
};

TEST_F(ExportTest, NewRecordsGoIntoTheArchiveAndAreMarked) {
    addCall("OLD", kLastWeek, kLastWeek, kLastWeek);
    addCall("ACME", kLastWeek, kYesterday, kLastWeek, "Lunch booked\r\nfor ten");
    addCall("BETA", kYesterday, kYesterday, Date());
    addTrace("ACME", kYesterday, Date());
    addTrace("OLD", Date(), Date());
    addTracking("123456789", 4, 119.5, kYesterday, kLastWeek);
    std::vector<std::string> messages;
    const auto r = run(ExportChoice::New, {[&](const std::string& m) { messages.push_back(m); }, {}});

    EXPECT_EQ(r.outcome, ExportOutcome::Finished) << r.problem;
    EXPECT_EQ(r.counts.calls, 2);
    EXPECT_EQ(r.counts.traces, 1);
    EXPECT_EQ(r.counts.tracking, 1);
    EXPECT_EQ(r.archivePath, out + "/VEKEXPORT.ZIP");
    EXPECT_TRUE(fs::exists(out + "/EXPORT.TXT"));
    EXPECT_EQ(exportedStamps("SALECALL.DBF"), (std::vector<Date>{kLastWeek, kToday, kToday}));
    EXPECT_EQ(exportedStamps("TRACES.DBF"), (std::vector<Date>{kToday, Date()}));
    EXPECT_EQ(lastExportDate(data), kToday);
    for (const char* t : {"EXPCALLS.DBF", "EXPTRACE.DBF", "EXPSALES.DBF"}) EXPECT_EQ(outboxCount(t), 0u) << t;
    for (const char* m : {"Exporting Calls...", "Exporting Traces...", "Exporting Tracking...", "Copying Files...",
                          "Backing Up EXPCALLS.DBF", "Backing Up EXPCALLS.FPT"})
        EXPECT_NE(std::find(messages.begin(), messages.end(), m), messages.end()) << m;

    // The archive holds the tables with their memo files, no index.
    ZipReader reader(r.archivePath, kExchangePassword);
    std::vector<std::string> names;
    for (const auto& e : reader.entries()) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"EXPCALLS.DBF", "EXPCALLS.FPT", "EXPSALES.DBF", "EXPTRACE.DBF",
                                               "EXPTRACE.FPT"}));

    // The copies, read from the archive: newest call first, every field
    // as the source had it before this export, memo included.
    const std::string check = dir.file("check");
    fs::create_directories(check);
    for (std::size_t i = 0; i < names.size(); ++i) reader.extract(i, check + "/" + names[i]);
    auto calls = db::Table::open(check, "EXPCALLS.DBF");
    calls->first();
    EXPECT_EQ(calls->getText("FILE_CODE"), "BETA");
    EXPECT_TRUE(calls->getDate("EXPORTED").isEmpty());
    calls->next();
    EXPECT_EQ(calls->getText("FILE_CODE"), "ACME");
    EXPECT_EQ(calls->getText("ACCT_NAME"), "Café ACME");
    EXPECT_EQ(calls->getDate("EXPORTED"), kLastWeek);
    EXPECT_EQ(calls->getDate("MODIFIED"), kYesterday);
    EXPECT_EQ(calls->getText("MEMO"), "Lunch booked\r\nfor ten");
    EXPECT_EQ(calls->getText("KEY"), "00471114050904A");
    auto tracking = db::Table::open(check, "EXPSALES.DBF");
    tracking->first();
    EXPECT_EQ(tracking->getInt("ROOMS"), 4);
    EXPECT_DOUBLE_EQ(tracking->getNumber("RATE"), 119.5);
    EXPECT_DOUBLE_EQ(tracking->getNumber("RMREV"), 478.0);
    EXPECT_EQ(tracking->getText("CORP_NO"), "123456789");
}

TEST_F(ExportTest, SameDayAgainExportsNothingButReExportAllTakesEverything) {
    addCall("ACME", kLastWeek, kYesterday, kLastWeek);
    addCall("OLD", kLastWeek, Date(), Date());
    ASSERT_EQ(run().counts.calls, 1);
    EXPECT_EQ(run().counts.calls, 0);
    const auto all = run(ExportChoice::All);
    EXPECT_EQ(all.counts.calls, 2);
    EXPECT_EQ(exportedStamps("SALECALL.DBF"), (std::vector<Date>{kToday, kToday}));
}

TEST_F(ExportTest, RefusedDestinationTouchesNothing) {
    addCall("ACME", kLastWeek, kYesterday, kLastWeek);
    const auto r = runExport({data, dir.file("missing/folder"), ExportChoice::New, kToday, {}});
    EXPECT_EQ(r.outcome, ExportOutcome::DestinationRefused);
    EXPECT_NE(r.problem.find("EXPORT.TXT"), std::string::npos);
    EXPECT_EQ(exportedStamps("SALECALL.DBF"), (std::vector<Date>{kLastWeek}));
    EXPECT_EQ(outboxCount("EXPCALLS.DBF"), 0u);
}

TEST_F(ExportTest, FailedArchiveKeepsTheOutboxForTheNextRun) {
    addCall("ACME", kLastWeek, kYesterday, kLastWeek);
    // A folder in the archive's place: the test file can be made, the archive not.
    fs::create_directories(out + "/VEKEXPORT.ZIP/inside");
    const auto failed = run();
    EXPECT_EQ(failed.outcome, ExportOutcome::ArchiveFailed);
    EXPECT_FALSE(failed.problem.empty());
    EXPECT_EQ(failed.counts.calls, 1);
    EXPECT_EQ(outboxCount("EXPCALLS.DBF"), 1u);
    EXPECT_EQ(lastExportDate(data), kLastWeek);
    EXPECT_EQ(exportedStamps("SALECALL.DBF"), (std::vector<Date>{kToday}));

    // Once the way is clear, the next run's archive carries the earlier copy.
    fs::remove_all(out + "/VEKEXPORT.ZIP");
    addCall("BETA", kYesterday, kYesterday, Date());
    const auto next = run();
    ASSERT_EQ(next.outcome, ExportOutcome::Finished) << next.problem;
    EXPECT_EQ(next.counts.calls, 1);
    ZipReader reader(next.archivePath, kExchangePassword);
    const std::string check = dir.file("check");
    fs::create_directories(check);
    for (std::size_t i = 0; i < reader.entries().size(); ++i)
        reader.extract(i, check + "/" + reader.entries()[i].name);
    EXPECT_EQ(db::Table::open(check, "EXPCALLS.DBF")->recordCount(), 2u);
    EXPECT_EQ(outboxCount("EXPCALLS.DBF"), 0u);
    EXPECT_EQ(lastExportDate(data), kToday);
}

TEST_F(ExportTest, RecordTheUserGaveUpOnIsNeitherCopiedNorMarkedNorCounted) {
    addCall("ACME", kLastWeek, kYesterday, kLastWeek);
    addCall("BETA", kLastWeek, kYesterday, kLastWeek);
    // Another user is editing ACME.
    auto other = db::Table::open(data, "SALECALL.DBF");
    other->first();
    other->edit();
    int asked = 0;
    ExportHooks hooks;
    hooks.askRetry = [&](const db::Error& e) {
        EXPECT_EQ(e.kind(), db::ErrorKind::LockConflict);
        return ++asked < 2;  // one retry, then Cancel
    };
    const auto r = run(ExportChoice::New, hooks);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(r.counts.calls, 1);
    EXPECT_EQ(r.counts.skipped, 1);
    other->cancel();
    EXPECT_EQ(exportedStamps("SALECALL.DBF"), (std::vector<Date>{kLastWeek, kToday}));
    // ACME is still new for the next run.
    EXPECT_EQ(run().counts.calls, 1);
}

TEST_F(ExportTest, CopyTheUserGaveUpOnPutsTheRecordsMarkBack) {
    // An export table whose FILE_CODE is too narrow for one of the codes.
    db::FieldList fields = tableDef("EXPCALLS.DBF").fields;
    for (auto& f : fields)
        if (f.name == "FILE_CODE") f.width = 4;
    db::CreateOptions replace;
    replace.overwrite = true;
    db::Table::create(exportFolder(data), "EXPCALLS.DBF", fields, replace);
    addCall("ACME", kLastWeek, kYesterday, kLastWeek);
    addCall("LONGCODE", kLastWeek, kYesterday, kLastWeek);
    int asked = 0;
    ExportHooks hooks;
    hooks.askRetry = [&](const db::Error&) {
        ++asked;
        return false;  // Cancel
    };
    const auto r = run(ExportChoice::New, hooks);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(r.counts.calls, 1);
    EXPECT_EQ(r.counts.skipped, 1);
    EXPECT_EQ(exportedStamps("SALECALL.DBF"), (std::vector<Date>{kToday, kLastWeek}));
}

TEST_F(ExportTest, LastLocationIsRememberedOnlyWithLiteExp) {
    addCall("ACME", kLastWeek, kYesterday, kLastWeek);
    ASSERT_TRUE(findFileIgnoringCase(data, "LITEEXP.DBF"));
    run();
    EXPECT_EQ(readLastExchange(data).exportLocation, out);
    fs::remove(*findFileIgnoringCase(data, "LITEEXP.DBF"));
    EXPECT_EQ(run(ExportChoice::All).outcome, ExportOutcome::Finished);
    EXPECT_EQ(readLastExchange(data).exportLocation, "");
}

TEST(ExportDemo, DemoFolderExportsItsChangedRecords) {
    test::TempDir dir;
    const std::string data = dir.file("data");
    createDataFolder(data, {});
    const auto demo = fillDemoData(data, kToday, {});
    const auto r = runExport({data, dir.str(), ExportChoice::All, kToday, {}});
    ASSERT_EQ(r.outcome, ExportOutcome::Finished) << r.problem;
    EXPECT_EQ(r.counts.calls, demo.calls);
    EXPECT_EQ(r.counts.traces, demo.traces);
    EXPECT_EQ(r.counts.tracking, demo.tracking);
}

}  // namespace
}  // namespace vv::data

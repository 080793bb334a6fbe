// vekvoro-admin report calls: the call report of the window, written to a
// PDF without a window and read back with pdftotext.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "db/table.h"
#include "cli/command_run.h"
#include "support/temp_dir.h"

namespace {

using vv::db::Table;

using AdminRun = vv::test::CommandRun;

AdminRun run(const std::string& command) { return vv::test::runCommand(command); }
std::string q(const std::string& s) { return vv::test::shellQuote(s); }

class ReportCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        const AdminRun made = run(std::string(VV_ADMIN_PATH) + " create-data " + q(dir_.str()));
        ASSERT_EQ(made.status, 0) << made.out;
        auto loc = Table::open(dir_.str(), "LOCINFO.DBF");
        loc->first();
        if (loc->eof()) loc->append();
        else loc->edit();
        loc->setText("LOCNAM", "Hotel Vek Voro");
        loc->post();
        auto calls = Table::open(dir_.str(), "SALECALL.DBF");
        const struct {
            const char *code, *name, *date, *sales, *addr;
        } rows[] = {{"OLDCO", "Old Company", "01/02/24", "XYZ", "1 Old Road"},
                    {"NEWCO", "New Company", "06/07/24", "ABC", "2 New Street"}};
        for (const auto& r : rows) {
            calls->append();
            calls->setText("FILE_CODE", r.code);
            calls->setText("ACCT_NAME", r.name);
            calls->setText("DATE", r.date);
            calls->setText("SALES_ID", r.sales);
            calls->setText("ADDR1", r.addr);
            calls->post();
        }
    }

    AdminRun report(const std::string& options) {
        return run(std::string(VV_ADMIN_PATH) + " report calls " + q(dir_.str()) + " " + options);
    }

    std::string pdfText(const std::string& file) {
        if (run("command -v pdftotext").status != 0) return {};
        return run("pdftotext -layout " + q(file) + " -").out;
    }

    vv::test::TempDir dir_;
};

TEST_F(ReportCommandTest, EveryCallNewestFirstUnderTheHotelsName) {
    const std::string pdf = dir_.str() + "/all.pdf";
    const AdminRun r = report("--pdf " + q(pdf));
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const std::string text = pdfText(pdf);
    if (text.empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    for (const char* s : {"Hotel Vek Voro", "Sales Call Report", "File: All Files", "Dates: All Dates",
                          "Call Types: All Call Types", "Salesperson: All Salespersons"})
        EXPECT_NE(text.find(s), std::string::npos) << s;
    const auto newer = text.find("New Company");
    const auto older = text.find("Old Company");
    ASSERT_NE(newer, std::string::npos);
    ASSERT_NE(older, std::string::npos);
    EXPECT_LT(newer, older);
    EXPECT_EQ(text.find("2 New Street"), std::string::npos) << "no address unless asked";
}

TEST_F(ReportCommandTest, CriteriaSelectAndHeadTheReportAsTheDialogWould) {
    const std::string pdf = dir_.str() + "/abc.pdf";
    const AdminRun r = report("--sales-id abc --from 03/01/24 --address --pdf " + q(pdf));
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string text = pdfText(pdf);
    if (text.empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    EXPECT_NE(text.find("Salesperson: ABC"), std::string::npos);
    EXPECT_NE(text.find("Dates: Later Than 03/01/24"), std::string::npos);
    EXPECT_NE(text.find("2 New Street"), std::string::npos);
    EXPECT_EQ(text.find("Old Company"), std::string::npos);

    const std::string raw = dir_.str() + "/raw.pdf";
    ASSERT_EQ(report("--filter " + q("file_code = \"OLD\"") + " --pdf " + q(raw)).status, 0);
    const std::string rawText = pdfText(raw);
    EXPECT_NE(rawText.find("Old Company"), std::string::npos);
    EXPECT_EQ(rawText.find("New Company"), std::string::npos);
}

TEST_F(ReportCommandTest, WrongArgumentsAreRefused) {
    EXPECT_EQ(report("").status, 2) << "no --pdf";
    EXPECT_EQ(report("--pdf x.pdf --colour red").status, 2);
    EXPECT_EQ(run(std::string(VV_ADMIN_PATH) + " report nonsense " + q(dir_.str())).status, 2);
    const AdminRun bad = report("--filter " + q("file_code = ") + " --pdf " + q(dir_.str() + "/bad.pdf"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("vekvoro-admin: "), std::string::npos) << bad.out;
}

}  // namespace

// vekvoro-admin report tracking: the tracking report of a data folder as a
// PDF file, read back with pdftotext where the machine has it.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "db/table.h"
#include "cli/command_run.h"
#include "support/temp_dir.h"

namespace {

using AdminRun = vv::test::CommandRun;
using vv::test::admin;

AdminRun shell(const std::string& cmd) { return vv::test::runCommand(cmd); }
std::string q(const std::string& s) { return vv::test::shellQuote(s); }

// Every table of the system, with three tracking records, indexed.
class ReportTrackingTest : public ::testing::Test {
protected:
    ReportTrackingTest() : data_(dir_.str() + "/data") {
        const AdminRun made = admin("create-data " + q(data_));
        EXPECT_EQ(made.status, 0) << made.out;
        auto sales = vv::db::Table::open(data_, "SALES.DBF");
        struct Day {
            const char* date;
            const char* corpNo;
            const char* rooms;
            const char* rate;
            const char* revenue;
        } days[] = {{"03/02/24", "C100", "12", "89.50", "1074.00"},
                    {"03/01/24", "C200", "3", "1000.00", "3000.00"},
                    {"03/03/24", "C100", "1", "0.10", "0.10"}};
        for (const Day& d : days) {
            sales->append();
            sales->setText("DATE", d.date);
            sales->setText("CORP_NO", d.corpNo);
            sales->setText("ROOMS", d.rooms);
            sales->setText("RATE", d.rate);
            sales->setText("RMREV", d.revenue);
            sales->setText("SEGMENT", "CORP");
            sales->setText("POST_METH", "M");
            sales->post();
        }
        sales.reset();
        const AdminRun indexed = admin("reindex " + q(data_) + " SALES");
        EXPECT_EQ(indexed.status, 0) << indexed.out;
    }

    AdminRun report(const std::string& options) { return admin("report tracking " + q(data_) + " " + options); }

    // The PDF's text laid out as printed; empty without pdftotext.
    static std::string pdfText(const std::string& file) {
        if (shell("command -v pdftotext").status != 0) return {};
        return shell("pdftotext -layout " + q(file) + " -").out;
    }

    static std::string head(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::string bytes(5, '\0');
        in.read(bytes.data(), 5);
        return bytes;
    }

    vv::test::TempDir dir_;
    std::string data_;
};

TEST_F(ReportTrackingTest, WritesTheRecordsInDateOrderWithTotals) {
    const std::string pdf = dir_.file("tracking.pdf");
    const AdminRun r = report("--pdf " + q(pdf));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(head(pdf), "%PDF-");
    const std::string text = pdfText(pdf);
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    for (const char* expected : {"Sales Tracking Transactions", "A.D.R.", "Post Method", "1,074", "89.50", "3,000",
                                 "1000.00", ".10", "Totals"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    EXPECT_LT(text.find("C200"), text.find("C100")) << "03/01/24 first\n" << text;
    const std::string totals = text.substr(text.find("Totals"));
    EXPECT_NE(totals.find("16"), std::string::npos) << totals;
    EXPECT_NE(totals.find("4,074"), std::string::npos) << totals;
}

TEST_F(ReportTrackingTest, TheFilterNarrowsTheRecordsAndTheTotals) {
    const std::string pdf = dir_.file("c100.pdf");
    const AdminRun r = report("--filter \"corp_no = 'C100'\" --pdf " + q(pdf));
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string text = pdfText(pdf);
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_EQ(text.find("C200"), std::string::npos) << text;
    const std::string totals = text.substr(text.find("Totals"));
    EXPECT_NE(totals.find("13"), std::string::npos) << totals;
    EXPECT_NE(totals.find("1,074"), std::string::npos) << totals;
}

TEST_F(ReportTrackingTest, RefusesWhatItCannotDo) {
    const std::string pdf = dir_.file("x.pdf");
    struct Case {
        std::string options;
        int status;
        const char* says;
    } cases[] = {
        {"", 2, "--pdf FILE is needed"},
        {"--address --pdf " + q(pdf), 2, "unknown option --address"},
        {"--filter 'corp_no = ' --pdf " + q(pdf), 1, "expression"},
    };
    for (const Case& c : cases) {
        const AdminRun r = report(c.options);
        EXPECT_EQ(r.status, c.status) << c.options << '\n' << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.options << '\n' << r.out;
    }
    const AdminRun noFolder = admin("report tracking " + q(dir_.file("missing")) + " --pdf " + q(pdf));
    EXPECT_EQ(noFolder.status, 1) << noFolder.out;
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

}  // namespace

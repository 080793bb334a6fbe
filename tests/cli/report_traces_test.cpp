// vekvoro-admin report traces: the trace report of a data folder as a PDF
// file in trace date order, read back with pdftotext where the machine has it.
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

// Every table of the system, with three traces, indexed.
class ReportTracesTest : public ::testing::Test {
protected:
    ReportTracesTest() : data_(dir_.str() + "/data") {
        const AdminRun made = admin("create-data " + q(data_));
        EXPECT_EQ(made.status, 0) << made.out;
        auto traces = vv::db::Table::open(data_, "TRACES.DBF");
        struct Trace {
            const char* date;
            const char* fileCode;
            const char* status;
            const char* memo;
        } rows[] = {{"03/02/24", "MIDDLE", "O", "Second note"},
                    {"03/01/24", "FIRST", "C", "First note"},
                    {"03/03/24", "LAST", "O", "Third note"}};
        for (const Trace& t : rows) {
            traces->append();
            traces->setText("TRACE_DATE", t.date);
            traces->setText("FILE_CODE", t.fileCode);
            traces->setText("STATUS", t.status);
            traces->setText("TRACE_CODE", "FU");
            traces->setText("MEMO", t.memo);
            traces->post();
        }
        traces.reset();
        const AdminRun indexed = admin("reindex " + q(data_) + " TRACES");
        EXPECT_EQ(indexed.status, 0) << indexed.out;
    }

    AdminRun report(const std::string& options) { return admin("report traces " + q(data_) + " " + options); }

    // The PDF's text laid out as printed; empty without pdftotext.
    static std::string pdfText(const std::string& file) {
        if (shell("command -v pdftotext").status != 0) return {};
        return shell("pdftotext -layout " + q(file) + " -").out;
    }

    vv::test::TempDir dir_;
    std::string data_;
};

TEST_F(ReportTracesTest, WritesTheTracesInTraceDateOrderWithTheirNotes) {
    const std::string pdf = dir_.file("traces.pdf");
    const AdminRun r = report("--pdf " + q(pdf));
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const std::string text = pdfText(pdf);
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    for (const char* expected : {"Trace Report", "All Trace Types", "Trace/Arrival Date", "Second note", "Third note"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    EXPECT_LT(text.find("FIRST"), text.find("MIDDLE")) << text;
    EXPECT_LT(text.find("MIDDLE"), text.find("LAST")) << text;
}

TEST_F(ReportTracesTest, TheFilterNarrowsTheTracesAndBadInputIsRefused) {
    const std::string pdf = dir_.file("open.pdf");
    const AdminRun r = report("--filter \"status = 'O'\" --pdf " + q(pdf));
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string text = pdfText(pdf);
    if (!text.empty()) {
        EXPECT_EQ(text.find("First note"), std::string::npos) << text;
        EXPECT_NE(text.find("Third note"), std::string::npos) << text;
    }
    EXPECT_EQ(report("").status, 2);
    EXPECT_EQ(report("--filter 'status = ' --pdf " + q(dir_.file("x.pdf"))).status, 1);
}

}  // namespace

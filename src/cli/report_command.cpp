#include "cli/report_command.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#ifdef VV_HAVE_REPORTS
#include <QGuiApplication>

#include "calls/call_filter.h"
#include "calls/call_report.h"
#include "db/date.h"
#include "db/table.h"
#include "shared/report_renderer.h"
#include "traces/trace_filter.h"
#include "traces/trace_report.h"
#include "tracking/tracking_report.h"
#endif

namespace vv::cli {
namespace {

constexpr const char* kUsage =
    "usage: vekvoro-admin report calls DIR [--filter EXPR] [--address] --pdf FILE\n"
    "         [--from MM/DD/YY] [--to MM/DD/YY] [--file-code CODE] [--acct-name TEXT] [--last-name TEXT]\n"
    "         [--sales-id ID] [--call-type TYPE] [--addr1 TEXT] [--addr2 TEXT] [--city TEXT] [--segment SEG]\n"
    "         [--user-code1 CODE] ... [--user-code5 CODE]\n"
    "  The calls in date order, newest first. The criteria options select as the call filter\n"
    "  dialog does and give the report its heading lines; --filter adds an xBase expression.\n"
    "       vekvoro-admin report tracking DIR [--filter EXPR] --pdf FILE\n"
    "  The tracking records in date order, with their total rooms and revenue.\n"
    "       vekvoro-admin report traces DIR [--filter EXPR] --pdf FILE\n"
    "  The traces in trace date order, with their notes.\n";

int usage(const std::string& problem) {
    std::cerr << "vekvoro-admin: " << problem << '\n' << kUsage;
    return 2;
}

// "--name value" pairs and flags after "report KIND".
struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::string get(const std::string& name) const {
        auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    }
};

// Unused when the reports are not built.
[[maybe_unused]] bool parse(int argc, char** argv, const std::vector<std::string>& valued,
                            const std::vector<std::string>& flags, Options& out, std::string& problem) {
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            out.positional.push_back(arg);
        } else if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
            out.values[arg] = "";
        } else if (std::find(valued.begin(), valued.end(), arg) != valued.end()) {
            if (i + 1 >= argc) {
                problem = arg + " needs a value";
                return false;
            }
            out.values[arg] = argv[++i];
        } else {
            problem = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

#ifdef VV_HAVE_REPORTS

// Painting text needs a GUI application; without a display it draws offscreen.
std::unique_ptr<QGuiApplication> guiApplication() {
    if (QCoreApplication::instance()) return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vekvoro-admin";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

std::string hotelName(const std::string& dir) {
    db::OpenOptions readOnly;
    readOnly.readOnly = true;
    auto locinfo = db::Table::open(dir, "LOCINFO.DBF", readOnly);
    locinfo->first();
    return locinfo->eof() ? std::string() : locinfo->getText("LOCNAM");
}

int callsReport(int argc, char** argv) {
    const std::vector<std::string> criteria{"--from",    "--to",       "--file-code",  "--acct-name",  "--last-name",
                                            "--sales-id", "--call-type", "--addr1",     "--addr2",      "--city",
                                            "--segment", "--user-code1", "--user-code2", "--user-code3", "--user-code4",
                                            "--user-code5"};
    std::vector<std::string> valued = criteria;
    valued.insert(valued.end(), {"--filter", "--pdf"});
    Options o;
    std::string problem;
    if (!parse(argc, argv, valued, {"--address"}, o, problem)) return usage(problem);
    if (o.positional.size() != 1) return usage("expected DIR");
    if (!o.has("--pdf")) return usage("--pdf FILE is needed");

    calls::CallFilterEntries e;
    for (const auto& [option, date] : {std::pair{"--from", &e.begin}, std::pair{"--to", &e.end}}) {
        if (!o.has(option)) continue;
        const std::optional<db::Date> d = db::Date::fromDisplay(o.get(option));
        if (!d) return usage(std::string(option) + " takes a date MM/DD/YY");
        *date = *d;
    }
    // The dialog's entries are upper case; so are these.
    auto text = [&](const char* option) { return QString::fromStdString(o.get(option)).toUpper(); };
    e.fileCode = text("--file-code");
    e.acctName = text("--acct-name");
    e.lastName = text("--last-name");
    e.salesId = text("--sales-id");
    e.callType = text("--call-type");
    e.addr1 = text("--addr1");
    e.addr2 = text("--addr2");
    e.city = text("--city");
    e.segment = text("--segment");
    for (int n = 1; n <= 5; ++n)
        e.userCodes[static_cast<std::size_t>(n - 1)] = text(("--user-code" + std::to_string(n)).c_str());
    shared::UserFieldCaptions captions;
    for (int n = 1; n <= 5; ++n) captions[n] = "User Field " + std::to_string(n);
    const shared::FilterResult built = calls::buildCallFilter(e, captions);

    const auto app = guiApplication();
    calls::CallReportSetup setup;
    setup.folder = o.positional[0];
    setup.filter = built.expression;
    if (o.has("--filter")) {
        const std::string extra = o.get("--filter");
        setup.filter = setup.filter.empty() ? extra : "(" + setup.filter + ") .and. (" + extra + ")";
    }
    setup.hotelName = QString::fromStdString(hotelName(setup.folder));
    setup.headings = built.headerLines;
    setup.address = o.has("--address");
    const QString pdf = QString::fromStdString(o.get("--pdf"));
    shared::renderReportToPdf(calls::callReport(setup), pdf);
    std::cerr << "Wrote " << o.get("--pdf") << '\n';
    return 0;
}

int trackingReport(int argc, char** argv) {
    Options o;
    std::string problem;
    if (!parse(argc, argv, {"--filter", "--pdf"}, {}, o, problem)) return usage(problem);
    if (o.positional.size() != 1) return usage("expected DIR");
    if (!o.has("--pdf")) return usage("--pdf FILE is needed");
    const auto app = guiApplication();
    const shared::Report report = tracking::trackingReport(o.positional[0], "DATE", o.get("--filter"));
    shared::renderReportToPdf(report, QString::fromStdString(o.get("--pdf")));
    std::cerr << "Wrote " << o.get("--pdf") << '\n';
    return 0;
}

int tracesReport(int argc, char** argv) {
    Options o;
    std::string problem;
    if (!parse(argc, argv, {"--filter", "--pdf"}, {}, o, problem)) return usage(problem);
    if (o.positional.size() != 1) return usage("expected DIR");
    if (!o.has("--pdf")) return usage("--pdf FILE is needed");
    const auto app = guiApplication();
    traces::TraceReportSetup setup;
    setup.folder = o.positional[0];
    setup.filter = o.get("--filter");
    setup.hotelName = QString::fromStdString(hotelName(setup.folder));
    setup.headings = traces::allTracesHeadings();
    shared::renderReportToPdf(traces::traceReport(setup), QString::fromStdString(o.get("--pdf")));
    std::cerr << "Wrote " << o.get("--pdf") << '\n';
    return 0;
}

#else

int callsReport(int, char**) {
    std::cerr << "vekvoro-admin: reports are not available in this build (it was made without the GUI libraries)\n";
    return 1;
}

int trackingReport(int argc, char** argv) { return callsReport(argc, argv); }
int tracesReport(int argc, char** argv) { return callsReport(argc, argv); }

#endif

// The kinds of report, one row each.
struct ReportKind {
    const char* name;
    std::function<int(int, char**)> run;
};

const std::vector<ReportKind>& reportKinds() {
    static const std::vector<ReportKind> kinds{
        {"calls", callsReport}, {"tracking", trackingReport}, {"traces", tracesReport}};
    return kinds;
}

}  // namespace

bool isReportCommand(const char* command) { return std::strcmp(command, "report") == 0; }

int runReportCommand(int argc, char** argv) {
    if (argc < 3) return usage("expected the kind of report");
    for (const ReportKind& kind : reportKinds())
        if (std::strcmp(argv[2], kind.name) == 0) return kind.run(argc, argv);
    return usage(std::string("unknown report ") + argv[2]);
}

}  // namespace vv::cli

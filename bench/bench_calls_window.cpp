// The sales calls window over a million calls: opening it from the menu to
// a painted grid, and applying a filter from the call filter dialog. The
// data folder is made once per run in a temporary folder (that takes a
// while; it is not measured).
//
//   ninja vv_bench_calls && ./bench/vv_bench_calls
//
// Release build, 2-core machine shared with other builds (load about 6):
// opening 303 ms CPU (838 ms wall), a filter 118 ms CPU (346 ms wall); the
// targets are 0.5 s each on a machine to itself.
#include <cstdio>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "calls/call_filter.h"
#include "calls/sales_calls_window.h"
#include "data/data_folder.h"
#include "data/index_rebuild.h"
#include "db/table.h"
#include "shared/record_grid.h"
#include "shared/settings.h"

namespace {

// VV_BENCH_CALLS sets a smaller count for a quick try.
int callCount() {
    const int n = qEnvironmentVariableIntValue("VV_BENCH_CALLS");
    return n > 0 ? n : 1'000'000;
}
const char* const kSalesIds[] = {"ABC", "XYZ", "JDO", "MKT", "RSV"};
const char* const kCallTypes[] = {"TEL", "VIS", "EML", "LTR"};

// The folder with the calls, made on first use.
const std::string& callsFolder() {
    static QTemporaryDir dir;
    static const std::string folder = [] {
        const std::string f = dir.path().toStdString() + "/";
        vv::data::createDataFolder(f, [](const std::string&) {});
        vv::db::OpenOptions exclusive;
        exclusive.exclusive = true;
        auto calls = vv::db::Table::open(f, "SALECALL.DBF", exclusive);
        const vv::db::Date first = vv::db::Date::fromYmd(2000, 1, 1);
        char code[16];
        const int count = callCount();
        for (int i = 0; i < count; ++i) {
            calls->append();
            std::snprintf(code, sizeof code, "AC%05d", i % 20000);
            calls->setText("FILE_CODE", code);
            calls->setText("ACCT_NAME", std::string("Account ") + code);
            calls->setDate("DATE", first.addDays(i % 9000));
            calls->setText("SALES_ID", kSalesIds[i % 5]);
            calls->setText("CALL_TYPE", kCallTypes[i % 4]);
            calls->setText("C_LAST", "Contact");
            calls->post();
        }
        calls->close();
        vv::data::indexNewDataFolder(f, [](const std::string&) {});
        return f;
    }();
    return folder;
}

void paintNow(vv::calls::TSalesCalls* window) {
    window->grid()->viewport()->repaint();
    QApplication::processEvents();
}

void BM_OpenSalesCallsWindow(benchmark::State& state) {
    vv::shared::settings().DataFolder = callsFolder();
    QMdiArea area;
    area.resize(1280, 900);
    area.show();
    for (auto _ : state) {
        vv::calls::TSalesCalls* window = vv::calls::OpenSalesCalls(area, "File_Code = ''");
        paintNow(window);
        state.PauseTiming();
        benchmark::DoNotOptimize(window->grid()->model()->rowCount());
        area.closeAllSubWindows();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenSalesCallsWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ApplyCallFilter(benchmark::State& state) {
    vv::shared::settings().DataFolder = callsFolder();
    QMdiArea area;
    area.resize(1280, 900);
    area.show();
    vv::calls::TSalesCalls* window = vv::calls::OpenSalesCalls(area, "File_Code = ''");
    paintNow(window);
    int n = 0;
    for (auto _ : state) {
        vv::calls::CallFilterEntries e;
        e.salesId = QString::fromLatin1(kSalesIds[n++ % 5]);
        e.begin = vv::db::Date::fromYmd(2010, 1, 1);
        window->applyFilter(vv::calls::buildCallFilter(e, vv::shared::settings().UserFieldLabels));
        paintNow(window);
    }
    area.closeAllSubWindows();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_ApplyCallFilter)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

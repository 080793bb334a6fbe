// Table engine hot paths on a generated SALECALL-like table of 1,000,000
// records with memos. The table is generated once into $VV_BENCH_DIR (or
// /tmp/vv-bench) and reused by later runs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "db/table.h"

namespace {

using namespace vv::db;

constexpr uint32_t kRecords = 1'000'000;

FieldList salesCallLayout() {
    using T = FieldType;
    FieldList f;
    auto add = [&](const char* n, T t, int w, int d = 0) {
        f.push_back({n, t, static_cast<uint8_t>(w), static_cast<uint8_t>(d), 0, 0});
    };
    add("LOCCODE", T::Character, 5);   add("FILE_CODE", T::Character, 10); add("DATE", T::Date, 8);
    add("ACCT_NAME", T::Character, 50); add("C_FIRST", T::Character, 10); add("C_LAST", T::Character, 15);
    add("C_PHONE", T::Character, 13);  add("ADDR1", T::Character, 30);    add("CITY", T::Character, 20);
    add("STATE", T::Character, 2);     add("ZIP", T::Character, 10);      add("EMAIL", T::Character, 40);
    add("U_CODE1", T::Character, 4);   add("EVENT_NO", T::Character, 6);  add("CALL_TYPE", T::Character, 3);
    add("SALES_ID", T::Character, 3);  add("SEGMENT", T::Character, 4);   add("TRACE", T::Date, 8);
    add("TRACE_CODE", T::Character, 4); add("MEMO", T::Memo, 10);         add("ADDED", T::Date, 8);
    add("MODIFIED", T::Date, 8);       add("EXPORTED", T::Date, 8);       add("CALLCOUNT", T::Numeric, 5);
    add("ADD_METH", T::Character, 1);  add("SOURCE", T::Character, 2);    add("POSTED_BY", T::Character, 3);
    add("KEY", T::Character, 15);
    return f;
}

std::string benchFolder() {
    const char* env = std::getenv("VV_BENCH_DIR");
    return env ? env : "/tmp/vv-bench";
}

// Builds the 1M-record table unless a complete one is there already.
const std::string& bigTableFolder() {
    static const std::string folder = [] {
        const std::string dir = benchFolder() + "/salecall";
        std::filesystem::create_directories(dir);
        try {
            auto t = Table::open(dir, "SALECALL.DBF");
            if (t->recordCount() == kRecords) return dir;
        } catch (const std::exception&) {
        }
        CreateOptions co;
        co.overwrite = true;
        Table::create(dir, "SALECALL.DBF", salesCallLayout(), co);
        OpenOptions oo;
        oo.exclusive = true;
        auto t = Table::open(dir, "SALECALL.DBF", oo);
        static const char* kSales[] = {"ABC", "XXX", "JDO", "MKT"};
        const Date start = Date::fromYmd(1998, 1, 1);
        for (uint32_t i = 0; i < kRecords; ++i) {
            t->append();
            t->setText("LOCCODE", "HOTEL");
            t->setText("FILE_CODE", "F" + std::to_string(i % 5000));
            t->setDate("DATE", start.addDays(static_cast<int>(i % 1500)));
            t->setText("ACCT_NAME", "Account number " + std::to_string(i % 5000));
            t->setText("SALES_ID", kSales[i % 4]);
            t->setText("CALL_TYPE", "TEL");
            if (i % 4 == 0) t->setText("MEMO", "Discussed the rates for next season with the travel manager.");
            t->post();
        }
        return dir;
    }();
    return folder;
}

void BM_FullScanThreeFields(benchmark::State& state) {
    auto t = Table::open(bigTableFolder(), "SALECALL.DBF");
    const int code = t->fieldIndex("FILE_CODE"), date = t->fieldIndex("DATE"), sales = t->fieldIndex("SALES_ID");
    for (auto _ : state) {
        std::size_t n = 0;
        for (t->first(); !t->eof(); t->next()) {
            benchmark::DoNotOptimize(t->rawField(code));
            benchmark::DoNotOptimize(t->getDate(date));
            benchmark::DoNotOptimize(t->rawField(sales));
            ++n;
        }
        state.SetItemsProcessed(state.items_processed() + static_cast<int64_t>(n));
    }
}
BENCHMARK(BM_FullScanThreeFields)->Unit(benchmark::kMillisecond);

void BM_FilteredCount(benchmark::State& state) {
    auto t = Table::open(bigTableFolder(), "SALECALL.DBF");
    t->setFilter("dtos(date) >= '19990301' .and. sales_id = 'ABC'");
    for (auto _ : state) {
        const uint32_t n = t->count();
        benchmark::DoNotOptimize(n);
        state.counters["matches"] = n;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRecords);
}
BENCHMARK(BM_FilteredCount)->Unit(benchmark::kMillisecond);

void appendRecords(benchmark::State& state, bool exclusive) {
    const std::string dir = benchFolder() + "/append";
    std::filesystem::create_directories(dir);
    constexpr int kBatch = 100'000;
    for (auto _ : state) {
        state.PauseTiming();
        CreateOptions co;
        co.overwrite = true;
        Table::create(dir, "APPEND.DBF", salesCallLayout(), co);
        OpenOptions oo;
        oo.exclusive = exclusive;
        auto t = Table::open(dir, "APPEND.DBF", oo);
        const Date day = Date::fromYmd(2026, 12, 1);
        state.ResumeTiming();
        for (int i = 0; i < kBatch; ++i) {
            t->append();
            t->setText("FILE_CODE", "ACME");
            t->setDate("DATE", day);
            t->setText("SALES_ID", "ABC");
            t->post();
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBatch);
}

void BM_AppendShared(benchmark::State& state) { appendRecords(state, false); }
void BM_AppendExclusive(benchmark::State& state) { appendRecords(state, true); }
BENCHMARK(BM_AppendShared)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendExclusive)->Unit(benchmark::kMillisecond);

}  // namespace

// Compound index hot paths on a SALECALL table of 1,000,000 records with the
// catalogue's layout and its ten tags: rebuilding the tags, an exact seek,
// appending with every tag maintained, and opening in DATEDESC order. The
// table is generated once into $VV_BENCH_DIR (or /tmp/vv-bench) and reused.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include <unistd.h>

#include "data/catalogue.h"
#include "db/table.h"

namespace {

using namespace vv;
using db::Date;
using db::Table;

constexpr uint32_t kRecords = 1'000'000;
constexpr int kAccounts = 20'000;

std::string benchFolder() {
    const char* env = std::getenv("VV_BENCH_DIR");
    return env ? env : "/tmp/vv-bench";
}

std::vector<db::IndexTagSpec> callTags() {
    std::vector<db::IndexTagSpec> specs;
    for (const auto& tag : data::tableDef("SALECALL.DBF").tags)
        specs.push_back({tag.name, tag.expression, tag.descending, {}});
    return specs;
}

std::string fileCode(uint32_t i) { return "ACCT" + std::to_string(i % kAccounts); }
Date callDate(uint32_t i) { return Date::fromYmd(2015, 1, 1).addDays(static_cast<int>((i * 7919u) % 4000)); }

void fillCall(Table& t, uint32_t i) {
    static const char* kSales[] = {"ABC", "XXX", "JDO", "MKT"};
    static const char* kLast[] = {"Smith", "García", "Müller", "Okafor", "Nguyen", "Rossi", "Dubois", "Kowalski"};
    static const char* kTypes[] = {"TEL", "APT", "EML", "SIT", "LTR"};
    t.setText("LOCCODE", "HVH01");
    t.setText("FILE_CODE", fileCode(i));
    t.setDate("DATE", callDate(i));
    t.setText("ACCT_NAME", "Account " + std::to_string(i % kAccounts));
    t.setText("C_LAST", kLast[i % 8] + std::to_string(i % 97));
    t.setText("CALL_TYPE", kTypes[i % 5]);
    t.setText("SALES_ID", kSales[i % 4]);
    t.setText("EVENT_NO", i % 10 == 0 ? std::to_string(10000 + i % 900) : "");
    t.setText("KEY", "K" + std::to_string(1000000000 + i));
    if (i % 4 == 0) t.setText("MEMO", "Discussed the rates for next season with the travel manager.");
}

// The table with its ten tags, built once.
const std::string& tableFolder() {
    static const std::string folder = [] {
        const std::string dir = benchFolder() + "/salecall-indexed";
        std::filesystem::create_directories(dir);
        try {
            auto t = Table::open(dir, "SALECALL.DBF");
            if (t->recordCount() == kRecords && t->tags().size() == 10) return dir;
        } catch (const std::exception&) {
        }
        db::CreateOptions co;
        co.overwrite = true;
        Table::create(dir, "SALECALL.DBF", data::tableDef("SALECALL.DBF").fields, co);
        auto t = Table::open(dir, "SALECALL.DBF", {.exclusive = true});
        for (uint32_t i = 0; i < kRecords; ++i) {
            t->append();
            fillCall(*t, i);
            t->post();
        }
        t->rebuildIndex(callTags());
        return dir;
    }();
    return folder;
}

void BM_RebuildTenTagsOf1M(benchmark::State& state) {
    const std::string dir = tableFolder();
    auto t = Table::open(dir, "SALECALL.DBF", {.exclusive = true});
    const auto specs = callTags();
    for (auto _ : state) t->rebuildIndex(specs);
    state.counters["records"] = kRecords;
}
BENCHMARK(BM_RebuildTenTagsOf1M)->Unit(benchmark::kMillisecond)->Iterations(2);

void exactSeek(benchmark::State& state, bool exclusive) {
    auto t = Table::open(tableFolder(), "SALECALL.DBF", {.exclusive = exclusive});
    t->setIndexName("FILE_CODE");
    std::mt19937 rng(7);
    // The program seeks over and over in the same tags: measure with the
    // tag's pages in memory, as after a few minutes of use.
    for (int i = 0; i < 300'000; ++i) {
        const uint32_t r = rng() % kRecords;
        t->seek(std::vector<std::string>{fileCode(r), callDate(r).dtos()});
    }
    int64_t found = 0;
    for (auto _ : state) {
        const uint32_t i = rng() % kRecords;
        found += t->seek(std::vector<std::string>{fileCode(i), callDate(i).dtos()});
    }
    if (found != static_cast<int64_t>(state.iterations())) state.SkipWithError("a seek missed");
}
void BM_ExactSeekShared(benchmark::State& state) { exactSeek(state, false); }
void BM_ExactSeekExclusive(benchmark::State& state) { exactSeek(state, true); }
BENCHMARK(BM_ExactSeekShared)->Unit(benchmark::kMicrosecond)->Iterations(100'000);
BENCHMARK(BM_ExactSeekExclusive)->Unit(benchmark::kMicrosecond)->Iterations(100'000);

// Appends to a copy, so the shared table stays at a million records.
void appendWithTags(benchmark::State& state, bool exclusive) {
    constexpr uint32_t kAppends = 100'000;
    const std::string copy = benchFolder() + "/salecall-append";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(copy);
        std::filesystem::copy(tableFolder(), copy);
        ::sync();  // the copy's write-back must not run inside the measurement
        auto t = Table::open(copy, "SALECALL.DBF", {.exclusive = exclusive});
        state.ResumeTiming();
        for (uint32_t i = 0; i < kAppends; ++i) {
            t->append();
            fillCall(*t, kRecords + i);
            t->post();
        }
        t->close();
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(kAppends) * state.iterations(), benchmark::Counter::kIsRate);
}
void BM_AppendTenTagsExclusive(benchmark::State& state) { appendWithTags(state, true); }
void BM_AppendTenTagsShared(benchmark::State& state) { appendWithTags(state, false); }
BENCHMARK(BM_AppendTenTagsExclusive)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_AppendTenTagsShared)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_OpenDateDescFirst50(benchmark::State& state) {
    const std::string dir = tableFolder();
    for (auto _ : state) {
        auto t = Table::open(dir, "SALECALL.DBF");
        t->setIndexName("DATEDESC");
        int n = 0;
        for (; n < 50 && !t->eof(); t->next()) {
            benchmark::DoNotOptimize(t->getText("ACCT_NAME"));
            ++n;
        }
        if (n != 50) state.SkipWithError("fewer than 50 records");
    }
}
BENCHMARK(BM_OpenDateDescFirst50)->Unit(benchmark::kMillisecond);

}  // namespace

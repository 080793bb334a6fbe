// Compound index hot paths on one tag of 1,000,000 random 10-byte character
// keys: bulk build, random seeks, a full scan, and single inserts and
// removes. The index is written under $VV_BENCH_DIR (or /tmp/vv-bench).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "db/cdx_file.h"

namespace {

using namespace vv::db;

constexpr uint32_t kKeys = 1'000'000;
constexpr std::size_t kKeyLength = 10;

std::string benchPath(const std::string& name = "KEYS.CDX") {
    const char* env = std::getenv("VV_BENCH_DIR");
    const std::string dir = std::string(env ? env : "/tmp/vv-bench") + "/cdx";
    std::filesystem::create_directories(dir);
    return dir + "/" + name;
}

// Upper-case letters and digits, like the codes the tables index.
std::string randomKey(std::mt19937& random) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string key(kKeyLength, ' ');
    for (char& c : key) c = kAlphabet[random() % 36];
    return key;
}

const std::vector<CdxEntry>& entries() {
    static const std::vector<CdxEntry> all = [] {
        std::mt19937 random(1);
        std::vector<CdxEntry> result;
        result.reserve(kKeys);
        for (uint32_t r = 1; r <= kKeys; ++r) result.push_back({randomKey(random), r});
        return result;
    }();
    return all;
}

CdxTagDef keyTag() {
    CdxTagDef def;
    def.name = "CODE";
    def.keyExpression = "CODE";
    def.keyLength = kKeyLength;
    return def;
}

std::unique_ptr<CdxFile> build() {
    return CdxFile::create(FileSystem::local().open(benchPath(), OpenMode::CreateTruncate), {{keyTag(), entries()}});
}

// The built index, made once for the benchmarks that only read or add a little.
CdxFile& builtIndex() {
    static std::unique_ptr<CdxFile> cdx = build();
    return *cdx;
}

void BM_CdxBulkBuild(benchmark::State& state) {
    entries();
    for (auto _ : state) benchmark::DoNotOptimize(build());
    state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_CdxBulkBuild)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CdxRandomSeek(benchmark::State& state) {
    CdxFile& cdx = builtIndex();
    CdxCursor cursor(cdx.tag("CODE"));
    std::mt19937 random(2);
    std::size_t found = 0;
    for (auto _ : state) {
        // Half are keys that exist, half random ones that almost surely do not.
        const std::string key = random() % 2 ? entries()[random() % kKeys].key : randomKey(random);
        found += cursor.seek(key) == CdxSeekResult::Found;
    }
    state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CdxRandomSeek)->Iterations(kKeys);

// 50,000 keys: about 1,100 nodes, all held in the node cache after a while.
void BM_CdxRandomSeekCached(benchmark::State& state) {
    const std::vector<CdxEntry> some(entries().begin(), entries().begin() + 50'000);
    auto cdx = CdxFile::create(FileSystem::local().open(benchPath("SMALL.CDX"), OpenMode::CreateTruncate),
                               {{keyTag(), some}});
    CdxCursor cursor(cdx->tag("CODE"));
    std::mt19937 random(4);
    for (auto _ : state) benchmark::DoNotOptimize(cursor.seek(some[random() % some.size()].key));
}
BENCHMARK(BM_CdxRandomSeekCached)->Iterations(kKeys);

void BM_CdxScan(benchmark::State& state) {
    CdxCursor cursor(builtIndex().tag("CODE"));
    for (auto _ : state) {
        std::size_t n = 0;
        for (bool ok = cursor.first(); ok; ok = cursor.next()) ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_CdxScan)->Unit(benchmark::kMillisecond);

// One insert and one remove per iteration, so the tree keeps its size.
void BM_CdxInsertRemove(benchmark::State& state) {
    CdxTag& tag = builtIndex().tag("CODE");
    std::mt19937 random(3);
    uint32_t recno = kKeys;
    for (auto _ : state) {
        const std::string key = randomKey(random);
        tag.insert(key, ++recno);
        tag.remove(key, recno);
    }
}
BENCHMARK(BM_CdxInsertRemove)->Iterations(100'000);

}  // namespace

// Expression evaluation over an in-memory table of 1,000,000 records of
// about 300 bytes: the cost of a filter and of an index key per record,
// without any file reading.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "db/code_page.h"
#include "db/expression.h"
#include "db/field_codec.h"

namespace {

using namespace vv::db;

constexpr uint32_t kRecords = 1'000'000;

struct SyntheticTable {
    FieldList fields;
    uint32_t recordLength = 1;
    std::vector<unsigned char> data;

    SyntheticTable() {
        auto add = [&](const char* name, FieldType type, uint8_t width, uint8_t decimals = 0) {
            FieldDef f;
            f.name = name;
            f.type = type;
            f.width = width;
            f.decimals = decimals;
            f.offset = recordLength;
            recordLength += width;
            fields.push_back(f);
        };
        add("FILE_CODE", FieldType::Character, 10);
        add("C_LAST", FieldType::Character, 30);
        add("C_FIRST", FieldType::Character, 20);
        add("SALES_ID", FieldType::Character, 3);
        add("DATE", FieldType::Date, 8);
        add("AMOUNT", FieldType::Numeric, 12, 2);
        add("ADDRESS", FieldType::Character, 120);
        add("CITY", FieldType::Character, 40);
        add("NOTES", FieldType::Character, 56);
        data.assign(static_cast<std::size_t>(recordLength) * kRecords, ' ');

        std::mt19937 random(12345);
        const char* const salesIds[] = {"ABC", "XYZ", "DEF", "AB ", "QRS", "ABD"};
        const char* const names[] = {"Smith", "Jones", "Miller", "Carter", "Nguyen", "Brown"};
        const Date first = Date::fromYmd(1995, 1, 1);
        for (uint32_t i = 0; i < kRecords; ++i) {
            unsigned char* r = data.data() + static_cast<std::size_t>(i) * recordLength;
            field_codec::setText(fields[0], r, std::to_string(100000 + i));
            field_codec::setText(fields[1], r, names[random() % 6]);
            field_codec::setText(fields[3], r, salesIds[random() % 6]);
            field_codec::setDate(fields[4], r, first.addDays(static_cast<int>(random() % 3650)));
            field_codec::setNumber(fields[5], r, (random() % 1000000) / 100.0);
        }
    }
};

// Seconds per record, shown with an SI prefix ("40n" is 40 ns).
void perRecord(benchmark::State& state) {
    state.counters["per_record"] = benchmark::Counter(
        kRecords, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

const SyntheticTable& table() {
    static const SyntheticTable t;
    return t;
}

void BM_ExpressionFilter(benchmark::State& state) {
    const SyntheticTable& t = table();
    const Expression filter = Expression::compileFilter("dtos(date) >= '19990301' .and. sales_id = 'ABC'",
                                                        t.fields, CodePage::windows1252());
    std::size_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (uint32_t i = 0; i < kRecords; ++i) {
            const RecordView record{t.data.data() + static_cast<std::size_t>(i) * t.recordLength, i + 1, nullptr};
            matches += filter.evalLogical(record) ? 1 : 0;
        }
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = static_cast<double>(matches);
    perRecord(state);
}
BENCHMARK(BM_ExpressionFilter)->Unit(benchmark::kMillisecond);

void BM_ExpressionIndexKey(benchmark::State& state) {
    const SyntheticTable& t = table();
    const Expression key = Expression::compile("UPPER(C_LAST)+FILE_CODE", t.fields, CodePage::windows1252());
    std::string out;
    for (auto _ : state) {
        for (uint32_t i = 0; i < kRecords; ++i) {
            const RecordView record{t.data.data() + static_cast<std::size_t>(i) * t.recordLength, i + 1, nullptr};
            key.evalTextInto(record, out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    perRecord(state);
}
BENCHMARK(BM_ExpressionIndexKey)->Unit(benchmark::kMillisecond);

void BM_ExpressionNumericFilter(benchmark::State& state) {
    const SyntheticTable& t = table();
    const Expression filter = Expression::compileFilter("amount > 5000 .and. UPPER(c_last) = 'SM'", t.fields,
                                                        CodePage::windows1252());
    std::size_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (uint32_t i = 0; i < kRecords; ++i) {
            const RecordView record{t.data.data() + static_cast<std::size_t>(i) * t.recordLength, i + 1, nullptr};
            matches += filter.evalLogical(record) ? 1 : 0;
        }
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = static_cast<double>(matches);
    perRecord(state);
}
BENCHMARK(BM_ExpressionNumericFilter)->Unit(benchmark::kMillisecond);

}  // namespace

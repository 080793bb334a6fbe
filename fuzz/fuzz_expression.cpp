// Compiles arbitrary text as an expression against a small fixed table and,
// when it compiles, evaluates it over a few fixed records (ordinary, blank
// and damaged). Problems must come out as vv::db::Error, never as a crash,
// hang or bad read; a fixed width() must match every text result.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "db/code_page.h"
#include "db/error.h"
#include "db/expression.h"

namespace {

using namespace vv::db;

FieldList makeFields() {
    FieldList f;
    uint32_t offset = 1;
    auto add = [&](const char* name, FieldType type, uint8_t width, uint8_t decimals = 0) {
        FieldDef d;
        d.name = name;
        d.type = type;
        d.width = width;
        d.decimals = decimals;
        d.offset = offset;
        offset += width;
        f.push_back(d);
    };
    add("NAME", FieldType::Character, 10);
    add("ID", FieldType::Character, 3);
    add("D", FieldType::Date, 8);
    add("N", FieldType::Numeric, 8, 2);
    add("I", FieldType::Integer, 4);
    add("B", FieldType::Double, 8);
    add("Y", FieldType::Currency, 8);
    add("L", FieldType::Logical, 1);
    add("T", FieldType::DateTime, 8);
    add("M", FieldType::Memo, 4);
    return f;
}

constexpr std::size_t kRecordLength = 1 + 10 + 3 + 8 + 8 + 4 + 8 + 8 + 1 + 8 + 4;

std::vector<std::vector<unsigned char>> makeRecords() {
    auto record = [](std::string head, const unsigned char* binary) {
        std::vector<unsigned char> r(kRecordLength, ' ');
        head.resize(30, ' ');
        std::memcpy(r.data(), head.data(), head.size());  // flag, NAME, ID, D, N
        std::memcpy(r.data() + 30, binary, kRecordLength - 30);  // I, B, Y, L, T, M
        return r;
    };
    static const unsigned char ordinary[] = {0xD6, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0x04, 0x40,
                                             0x40, 0xE2, 0x01, 0, 0, 0, 0, 0, 'T', 0x8C, 0x45, 0x25,
                                             0, 0x40, 0x77, 0x1B, 0, 5, 0, 0, 0};
    static const unsigned char blank[33] = {};
    static const unsigned char damaged[] = {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                            0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, '?', 0xFF,
                                            0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    static const char odd[] = " \xE9\xFF\x00\t<>*   \x80\x01Z20240230***.*-1e9";
    return {
        record(" Smith     ABC19990315  123.45", ordinary),
        record("*", blank),
        record(std::string(odd, sizeof odd - 1), damaged),
    };
}

class Memos : public MemoSource {
public:
    std::string memoText(const FieldDef&, const unsigned char* record) const override {
        return record[0] == '*' ? std::string() : std::string("Memo text ") + static_cast<char>(record[11]);
    }
};

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FieldList fields = makeFields();
    static const std::vector<std::vector<unsigned char>> records = makeRecords();
    static const Memos memos;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The first byte picks the code page, so conversions of both kinds are reached.
    const CodePage& codePage = size > 0 && (data[0] & 1) ? CodePage::forLanguageDriver(0x01)  // 437
                                                         : CodePage::windows1252();
    Expression e;
    try {
        e = Expression::compile(text, fields, codePage);
    } catch (const ExpressionError& err) {
        if (err.position() > size) broken("error position past the end of the text");
        return 0;
    } catch (const Error&) {
        broken("compile errors must be ExpressionError");
    }
    const int width = e.width();
    uint32_t recno = 1;
    for (const auto& r : records) {
        const RecordView view{r.data(), recno++, recno % 2 ? &memos : nullptr};
        try {
            switch (e.type()) {
            case ValueType::Logical: (void)e.evalLogical(view); break;
            case ValueType::Numeric: (void)e.evalNumber(view); break;
            case ValueType::Date: (void)e.evalDate(view); break;
            case ValueType::Character: {
                const std::string s = e.evalText(view);
                if (width > 0 && static_cast<int>(s.size()) != width) broken("text result differs from width()");
                break;
            }
            }
        } catch (const Error&) {
        }
    }
    return 0;
}

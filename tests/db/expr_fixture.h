// A tiny hand-built table for the expression tests: one record buffer with
// a field of every type the expressions read, and a fake memo file.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "db/byte_order.h"
#include "db/code_page.h"
#include "db/error.h"
#include "db/expression.h"
#include "db/field_codec.h"

namespace vv::db::test {

inline FieldList expressionFields() {
    FieldList f;
    uint32_t offset = 1;  // byte 0: deletion flag
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
    add("SALES_ID", FieldType::Character, 3);
    add("DATE", FieldType::Date, 8);  // a field named like the function DATE()
    add("AMOUNT", FieldType::Numeric, 10, 2);
    add("QTY", FieldType::Integer, 4);
    add("PRICE", FieldType::Double, 8);
    add("FEE", FieldType::Currency, 8);
    add("ACTIVE", FieldType::Logical, 1);
    add("STAMP", FieldType::DateTime, 8);
    add("NOTES", FieldType::Memo, 4);
    add("CITY", FieldType::Character, 12);
    return f;
}

// Memo text is "memo #<block>", so a test sees which record it came from.
class FakeMemos : public MemoSource {
public:
    std::string memoText(const FieldDef& field, const unsigned char* record) const override {
        ++calls;
        const uint32_t block = readLe32(record + field.offset);
        return block == 0 ? std::string() : "memo #" + std::to_string(block);
    }
    mutable int calls = 0;
};

class ExpressionFixture : public ::testing::Test {
protected:
    ExpressionFixture() : record_(recordLength(), ' ') { fillSample(); }

    std::size_t recordLength() const { return fields_.back().offset + fields_.back().width; }
    const FieldDef& field(const char* name) const {
        for (const auto& f : fields_)
            if (f.name == name) return f;
        throw std::logic_error(name);
    }
    unsigned char* rec() { return record_.data(); }
    // Stored bytes as they are, for values a writer would refuse.
    void putRaw(const char* name, std::string_view bytes) {
        std::memcpy(rec() + field(name).offset, bytes.data(), bytes.size());
    }
    void setText(const char* name, std::string_view utf8) {
        field_codec::setText(field(name), rec(), cp_.fromUtf8(utf8));
    }

    // Smith / ABC / 1999-03-15 / 1234.50 / -42 / 2.5 / 12.3456 / .T. / 2024-02-29 10:00 / memo 9 / Montréal
    void fillSample() {
        std::fill(record_.begin(), record_.end(), ' ');
        setText("NAME", "Smith");
        setText("SALES_ID", "ABC");
        field_codec::setDate(field("DATE"), rec(), Date::fromYmd(1999, 3, 15));
        field_codec::setNumber(field("AMOUNT"), rec(), 1234.5);
        field_codec::setNumber(field("QTY"), rec(), -42);
        field_codec::setNumber(field("PRICE"), rec(), 2.5);
        field_codec::setNumber(field("FEE"), rec(), 12.3456);
        field_codec::setLogical(field("ACTIVE"), rec(), true);
        writeLe32(rec() + field("STAMP").offset, static_cast<uint32_t>(Date::fromYmd(2024, 2, 29).julian()));
        writeLe32(rec() + field("STAMP").offset + 4, 36'000'000);
        writeLe32(rec() + field("NOTES").offset, 9);
        setText("CITY", "Montréal");
    }

    RecordView view() const { return {record_.data(), recno_, &memos_}; }
    Expression compile(std::string_view text) const { return Expression::compile(text, fields_, cp_); }
    bool logical(std::string_view text) const { return compile(text).evalLogical(view()); }
    double number(std::string_view text) const { return compile(text).evalNumber(view()); }
    Date date(std::string_view text) const { return compile(text).evalDate(view()); }
    // Results shown as UTF-8 so the expectations stay readable.
    std::string text(std::string_view text) const { return cp_.toUtf8(compile(text).evalText(view())); }

    FieldList fields_ = expressionFields();
    const CodePage& cp_ = CodePage::windows1252();
    std::vector<unsigned char> record_;
    uint32_t recno_ = 7;
    FakeMemos memos_;
};

}  // namespace vv::db::test

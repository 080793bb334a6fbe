#include "cli/record_writer.h"

#include <charconv>
#include <cstdio>

#include "db/field_codec.h"

namespace vv::cli {

using db::FieldType;

std::string csvQuote(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string jsonQuote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

RecordWriter::RecordWriter(std::ostream& out, const db::Table& table, DumpFormat format, bool withDeletedColumn)
    : out_(out), format_(format), deletedColumn_(withDeletedColumn) {
    for (const auto& f : table.fields()) {
        names_.push_back(f.name);
        types_.push_back(f.type);
    }
}

void RecordWriter::begin() {
    if (format_ == DumpFormat::Json) {
        out_ << "[";
        return;
    }
    out_ << "RECNO";
    if (deletedColumn_) out_ << ",DELETED";
    for (const auto& n : names_) out_ << ',' << n;
    out_ << '\n';
}

std::string RecordWriter::valueText(const db::Table& table, int index, bool& blank) const {
    blank = table.isBlank(index);
    switch (types_[index]) {
    case FieldType::Date: return table.getDate(index).iso();
    case FieldType::DateTime: {
        if (blank) return {};
        const auto& f = table.fields()[index];
        const uint32_t ms = db::field_codec::milliseconds(f, table.recordBytes().data());
        char buf[16];
        std::snprintf(buf, sizeof buf, "T%02u:%02u:%02u", ms / 3600000 % 24, ms / 60000 % 60, ms / 1000 % 60);
        return table.getDate(index).iso() + buf;
    }
    default: return table.getText(index);
    }
}

void RecordWriter::write(const db::Table& table) {
    if (format_ == DumpFormat::Csv) {
        out_ << table.recno();
        if (deletedColumn_) out_ << ',' << (table.isDeleted() ? "T" : "F");
        for (std::size_t i = 0; i < names_.size(); ++i) {
            bool blank;
            out_ << ',' << csvQuote(valueText(table, static_cast<int>(i), blank));
        }
        out_ << '\n';
        return;
    }
    out_ << (first_ ? "\n" : ",\n") << "  {\"RECNO\": " << table.recno();
    first_ = false;
    if (deletedColumn_) out_ << ", \"DELETED\": " << (table.isDeleted() ? "true" : "false");
    for (std::size_t i = 0; i < names_.size(); ++i) {
        bool blank;
        const std::string text = valueText(table, static_cast<int>(i), blank);
        out_ << ", " << jsonQuote(names_[i]) << ": ";
        switch (types_[i]) {
        case FieldType::Numeric:
        case FieldType::Float:
        case FieldType::Integer:
        case FieldType::Double:
        case FieldType::Currency: {
            if (blank && types_[i] != FieldType::Integer) {
                out_ << "null";
                break;
            }
            char buf[64];
            auto r = std::to_chars(buf, buf + sizeof buf, table.getNumber(static_cast<int>(i)));
            out_ << std::string_view(buf, r.ptr - buf);
            break;
        }
        case FieldType::Logical:
            out_ << (blank ? "null" : text == "T" ? "true" : "false");
            break;
        case FieldType::Date:
        case FieldType::DateTime:
            out_ << (blank ? "null" : jsonQuote(text));
            break;
        default:
            out_ << jsonQuote(text);
        }
    }
    out_ << "}";
}

void RecordWriter::end() {
    if (format_ == DumpFormat::Json) out_ << (first_ ? "]\n" : "\n]\n");
    out_.flush();
}

}  // namespace vv::cli

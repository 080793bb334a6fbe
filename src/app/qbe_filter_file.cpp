#include "app/qbe_filter_file.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "db/error.h"

namespace vv::app {

namespace {

constexpr const char* kMagic = "VVQBE 1";

db::Error badFormat(const std::string& path, int line) {
    return db::Error(db::ErrorKind::CorruptFile,
                     "Invalid filter file format: " + path + ", line " + std::to_string(line));
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\t') out += "\\t";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

// Splits a line at its tabs and undoes the escapes; false for a bad escape.
bool splitLine(const std::string& line, std::vector<std::string>& fields) {
    fields.assign(1, {});
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c != '\\') {
            fields.back() += c;
        } else {
            if (++i == line.size()) return false;
            switch (line[i]) {
            case '\\': fields.back() += '\\'; break;
            case 't': fields.back() += '\t'; break;
            case 'n': fields.back() += '\n'; break;
            case 'r': fields.back() += '\r'; break;
            default: return false;
            }
        }
    }
    return true;
}

bool readFlag(const std::string& text, bool& flag) {
    if (text != "0" && text != "1") return false;
    flag = text == "1";
    return true;
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::vector<SavedQbeFilter> readQbeFilterFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) throw db::Error(db::ErrorKind::Io, "Cannot read the filter file " + path);

    std::vector<SavedQbeFilter> filters;
    SavedQbeFilter* open = nullptr;  // the filter whose lines are being read
    std::string line;
    std::vector<std::string> f;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1) {
            if (line != kMagic) throw badFormat(path, number);
            continue;
        }
        if (line.empty() && !open) continue;
        if (!splitLine(line, f)) throw badFormat(path, number);
        const std::string& kind = f[0];
        if (kind == "filter" && !open && f.size() == 5) {
            SavedQbeFilter& filter = filters.emplace_back();
            filter.table = f[1];
            filter.description = f[2];
            if (!readFlag(f[3], filter.options.caseSensitive) || !readFlag(f[4], filter.options.leadingParenthesis))
                throw badFormat(path, number);
            open = &filter;
        } else if (kind == "cond" && open && f.size() == 4) {
            const auto op = qbeOperatorFromCaption(f[2]);
            if (!op) throw badFormat(path, number);
            open->conditions.push_back({f[1], *op, f[3]});
        } else if (kind == "expr" && open && f.size() == 2 && open->expression.empty()) {
            open->expression = f[1];
        } else if (kind == "end" && open && f.size() == 1) {
            open = nullptr;
        } else {
            throw badFormat(path, number);
        }
    }
    if (number == 0 || open) throw badFormat(path, number);
    return filters;
}

void writeQbeFilterFile(const std::string& path, const std::vector<SavedQbeFilter>& filters) {
    std::ostringstream out;
    out << kMagic << '\n';
    for (const SavedQbeFilter& filter : filters) {
        out << "filter\t" << escaped(filter.table) << '\t' << escaped(filter.description) << '\t'
            << (filter.options.caseSensitive ? 1 : 0) << '\t' << (filter.options.leadingParenthesis ? 1 : 0) << '\n';
        for (const QbeCondition& c : filter.conditions)
            out << "cond\t" << escaped(c.field) << '\t' << qbeOperatorCaption(c.op) << '\t' << escaped(c.value) << '\n';
        if (!filter.expression.empty()) out << "expr\t" << escaped(filter.expression) << '\n';
        out << "end\n";
    }
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << out.str();
        file.close();
        if (!file) throw db::Error(db::ErrorKind::Io, "Cannot write the filter file " + path);
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) throw db::Error(db::ErrorKind::Io, "Cannot write the filter file " + path + ": " + ec.message());
}

std::vector<std::size_t> filtersForTable(const std::vector<SavedQbeFilter>& filters, const std::string& table) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < filters.size(); ++i)
        if (upper(filters[i].table) == upper(table)) found.push_back(i);
    return found;
}

}  // namespace vv::app

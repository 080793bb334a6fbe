#include "data/exchange_state.h"

#include <filesystem>

#include "db/table.h"

namespace vv::data {
namespace {

constexpr const char* kLiteExp = "LITEEXP.DBF";
constexpr const char* kBackupDate = "BKUPDATE.DBF";

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The table's one record, ready to be changed.
void editOnlyRecord(db::Table& t) {
    t.first();
    if (t.eof()) t.append();
    else t.edit();
}

void rememberIn(const std::string& dataFolder, const char* field, const std::string& text) {
    if (!findFileIgnoringCase(dataFolder, kLiteExp)) return;
    auto t = db::Table::open(dataFolder, kLiteExp);
    editOnlyRecord(*t);
    t->setText(field, text);
    t->post();
    t->close();
}

}  // namespace

std::optional<std::string> findFileIgnoringCase(const std::string& folder, const std::string& name) {
    std::error_code ec;
    const std::filesystem::path exact = std::filesystem::path(folder) / name;
    if (std::filesystem::is_regular_file(exact, ec)) return exact.string();
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (sameIgnoringCase(it->path().filename().string(), name) && it->is_regular_file(ec))
            return it->path().string();
    }
    return std::nullopt;
}

LastExchange readLastExchange(const std::string& dataFolder) {
    LastExchange last;
    if (!findFileIgnoringCase(dataFolder, kLiteExp)) return last;
    auto t = db::Table::open(dataFolder, kLiteExp);
    t->first();
    if (t->eof()) return last;
    last.exportLocation = trimmed(t->getText("LITEEXPORT"));
    last.importArchive = trimmed(t->getText("LITEIMPORT"));
    return last;
}

void rememberExportLocation(const std::string& dataFolder, const std::string& location) {
    rememberIn(dataFolder, "LITEEXPORT", location);
}

void rememberImportArchive(const std::string& dataFolder, const std::string& archive) {
    rememberIn(dataFolder, "LITEIMPORT", archive);
}

db::Date lastExportDate(const std::string& dataFolder) {
    auto t = db::Table::open(dataFolder, kBackupDate);
    t->first();
    return t->eof() ? db::Date() : t->getDate("EXPDATE");
}

void setLastExportDate(const std::string& dataFolder, db::Date date) {
    auto t = db::Table::open(dataFolder, kBackupDate);
    editOnlyRecord(*t);
    t->setDate("EXPDATE", date);
    t->post();
    t->close();
}

}  // namespace vv::data

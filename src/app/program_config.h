// What the Configure Program window does, without the window: it holds the
// hotel's LOCINFO.DBF and SYSTEM.DBF (in the data folder) and SYSPATH.DBF
// (in the program's folder) open in edit mode on their first records, lets
// the window read and write the fields it shows, and on OK stores them and
// brings the program-wide settings up to date.
//
// The tables close with the object; edits not saved are then discarded.
#pragma once

#include <memory>
#include <string>

#include "shared/settings.h"

namespace vv::db {
class Table;
}

namespace vv::app {

// The fields the window shows, in screen order.
enum class ConfigField { LocCode, LocName, LocAddr, LocCity, LocState, LocZip, BackupTo, DataFolder, LettersFolder };

struct ConfigFieldInfo {
    const char* table;  // file name
    const char* field;
    bool upperCase;     // typed text is shown and stored in upper case
};
const ConfigFieldInfo& configFieldInfo(ConfigField field);

class ProgramConfig {
public:
    explicit ProgramConfig(shared::Settings& settings);
    ~ProgramConfig();
    ProgramConfig(const ProgramConfig&) = delete;
    ProgramConfig& operator=(const ProgramConfig&) = delete;

    // Opens the three tables, each in edit mode on its first record (a new
    // record for an empty table). Engine errors propagate.
    void open();
    bool isOpen() const;

    std::string value(ConfigField field) const;
    // Writes the record buffer; nothing is stored before save().
    void setValue(ConfigField field, const std::string& text);
    // The width of the field, for limiting what can be typed.
    int width(ConfigField field) const;

    // OK: empty room counts of LOCINFO become 0; LOCINFO and SYSTEM are
    // saved; each SYSPATH folder gets a trailing separator when it ends in
    // none (an empty one becomes the separator alone); DataFolder and
    // ContractFolder take SYSPATH's folders; SYSPATH is saved; then SYSTEM
    // and LOCINFO are opened in the (possibly new) data folder and the
    // location settings read from LOCINFO. Engine errors propagate and
    // leave what was saved before them saved.
    void save();

    // Discards unsaved edits and closes the tables.
    void close();

private:
    db::Table& tableOf(ConfigField field) const;
    void editing(db::Table& table);

    shared::Settings& settings_;
    std::unique_ptr<db::Table> locInfo_;
    std::unique_ptr<db::Table> system_;
    std::unique_ptr<db::Table> sysPath_;
};

}  // namespace vv::app

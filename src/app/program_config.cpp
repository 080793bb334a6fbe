#include "app/program_config.h"

#include <cstddef>

#include "data/system_tables.h"
#include "db/error.h"
#include "db/table.h"
#include "shared/paths.h"

namespace vv::app {

namespace {

constexpr ConfigFieldInfo kFields[] = {
    {data::kLocInfoFile, "LOCCODE", true},   {data::kLocInfoFile, "LOCNAM", false},
    {data::kLocInfoFile, "LOCADDR", false},  {data::kLocInfoFile, "LOCCITY", false},
    {data::kLocInfoFile, "LOCSTATE", true},  {data::kLocInfoFile, "LOCZIP", true},
    {data::kSystemFile, "BACKUPTO", true},   {data::kSysPathFile, "PROG_PATH", false},
    {data::kSysPathFile, "MISC", false},
};

}  // namespace

const ConfigFieldInfo& configFieldInfo(ConfigField field) { return kFields[static_cast<std::size_t>(field)]; }

ProgramConfig::ProgramConfig(shared::Settings& settings) : settings_(settings) {}

ProgramConfig::~ProgramConfig() = default;

void ProgramConfig::open() {
    close();
    locInfo_ = db::Table::open(settings_.DataFolder, data::kLocInfoFile);
    system_ = db::Table::open(settings_.DataFolder, data::kSystemFile);
    sysPath_ = db::Table::open(settings_.ProgramFolder, data::kSysPathFile);
    for (db::Table* t : {locInfo_.get(), system_.get(), sysPath_.get()}) data::editFirstRecord(*t);
}

bool ProgramConfig::isOpen() const { return locInfo_ && system_ && sysPath_; }

db::Table& ProgramConfig::tableOf(ConfigField field) const {
    if (!isOpen()) throw db::Error(db::ErrorKind::InvalidState, "The configuration tables are not open");
    const std::string table = configFieldInfo(field).table;
    if (table == data::kLocInfoFile) return *locInfo_;
    if (table == data::kSystemFile) return *system_;
    return *sysPath_;
}

void ProgramConfig::editing(db::Table& table) {
    // After a save that failed half way a table may be back in browse mode.
    if (table.state() == db::Table::State::Browse) data::editFirstRecord(table);
}

std::string ProgramConfig::value(ConfigField field) const {
    return tableOf(field).getText(configFieldInfo(field).field);
}

void ProgramConfig::setValue(ConfigField field, const std::string& text) {
    db::Table& table = tableOf(field);
    editing(table);
    table.setText(configFieldInfo(field).field, text);
}

int ProgramConfig::width(ConfigField field) const {
    return tableOf(field).field(configFieldInfo(field).field).width;
}

void ProgramConfig::save() {
    if (!isOpen()) throw db::Error(db::ErrorKind::InvalidState, "The configuration tables are not open");
    editing(*locInfo_);
    for (const char* rooms : {"tier1_rms", "tier2_rms", "tier3_rms"})
        if (locInfo_->isBlank(rooms)) locInfo_->setNumber(rooms, 0);
    locInfo_->post();
    editing(*system_);
    system_->post();

    editing(*sysPath_);
    for (const char* folder : {"prog_path", "cont_path", "misc", "rep_path"})
        sysPath_->setText(folder, shared::withTrailingSeparator(sysPath_->getText(folder)));
    settings_.DataFolder = shared::toNativePath(sysPath_->getText("prog_path"));
    settings_.ContractFolder = shared::toNativePath(sysPath_->getText("cont_path"));
    sysPath_->post();

    // Only the location is read again; the switches of SYSTEM.DBF wait for
    // the next start.
    system_ = db::Table::open(settings_.DataFolder, data::kSystemFile);
    locInfo_ = db::Table::open(settings_.DataFolder, data::kLocInfoFile);
    locInfo_->first();
    settings_.CurrentLocCode = locInfo_->getText("loccode");
    settings_.LocName = locInfo_->getText("locnam");
    settings_.LocAddr = locInfo_->getText("locaddr");
    settings_.LocCity = locInfo_->getText("loccity");
    settings_.LocState = locInfo_->getText("locstate");
    settings_.LocZip = locInfo_->getText("loczip");
}

void ProgramConfig::close() {
    for (auto* t : {&locInfo_, &system_, &sysPath_}) t->reset();
}

}  // namespace vv::app

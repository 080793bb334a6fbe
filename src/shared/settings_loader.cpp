#include "shared/settings_loader.h"

#include <filesystem>
#include <utility>

#include "data/system_tables.h"
#include "db/table.h"
#include "shared/paths.h"

namespace vv::shared {

std::string productTitleFor(const std::string& workingFolder) {
    // Exactly these three spellings, as the marker has always been written.
    for (const char* marker : {"OMVI", "omvi", "Omvi"}) {
        std::error_code ec;
        const auto path = std::filesystem::path(workingFolder) / marker;
        if (std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec)) return "OMVI LITE";
    }
    return "VEK LITE";
}

SettingsLoader::SettingsLoader(Settings& settings, StartupPlaces places, LocateDataFn locateData)
    : settings_(settings), places_(std::move(places)), locateData_(std::move(locateData)) {}

void SettingsLoader::run() {
    brand();
    load();
}

void SettingsLoader::brand() { settings_.ProductTitle = productTitleFor(places_.workingFolder); }

void SettingsLoader::load() {
    settings_.ProgramFolder = withTrailingSeparator(places_.programFolder);
    settings_.DataFolder = settings_.ProgramFolder;

    settings_.SalesId = "XXX";
    settings_.EngineVersion = db::Table::engineVersion();

    if (!data::sysPathExists(settings_.ProgramFolder)) locateData();
    if (data::sysPathExists(settings_.ProgramFolder)) readSysPath();

    // The data folder is taken as stored, so one without its trailing
    // separator fails this test and the user is asked.
    if (!fileExists(settings_.DataFolder + "system.dbf")) locateData();

    readSystem();
    readLocInfo();
}

void SettingsLoader::locateData() {
    ++locateDataCalls_;
    if (locateData_) locateData_();
}

void SettingsLoader::readSysPath() {
    const data::SysPathFolders stored = data::readSysPath(settings_.ProgramFolder);
    settings_.DataFolder = toNativePath(stored.dataFolder);
    settings_.ReportFolder = toNativePath(stored.reportFolder);
    settings_.ContractFolder = toNativePath(stored.contractFolder);
    settings_.LettersFolder = toNativePath(stored.lettersFolder);
}

void SettingsLoader::readSystem() {
    auto table = db::Table::open(settings_.DataFolder, "system.dbf");
    table->first();
    settings_.ConnectionType = ConnectionTypeName(*table);
    settings_.BackupDrive = table->getText("backupto");
    if (settings_.BackupDrive.empty()) settings_.BackupDrive = "A";
    if (settings_.ContractFolder.empty()) settings_.ContractFolder = defaultContractFolder(settings_.DataFolder);
    if (settings_.LettersFolder.empty()) settings_.LettersFolder = defaultLettersFolder();
    for (int i = 1; i <= 5; ++i) settings_.UserFieldLabels[i] = table->getText("user_fld" + std::to_string(i));
    settings_.KeepFields = table->getText("keep_flds");
}

void SettingsLoader::readLocInfo() {
    auto table = db::Table::open(settings_.DataFolder, "locinfo.dbf");
    table->first();
    settings_.LocCode = table->getText("loccode");
    settings_.LocName = table->getText("locnam");
    settings_.RestName = table->findField("restname") ? table->getText("restname") : std::string();
    settings_.LocAddr = table->getText("locaddr");
    settings_.LocCity = table->getText("loccity");
    settings_.LocState = table->getText("locstate");
    settings_.LocZip = table->getText("loczip");
    settings_.LocType = table->getText("loc_type");
}

}  // namespace vv::shared

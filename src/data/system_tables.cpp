#include "data/system_tables.h"

#include "data/catalogue.h"
#include "db/file_system.h"
#include "db/table.h"

namespace vv::data {

namespace {

std::string withSeparator(std::string folder) {
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
    return folder;
}

}  // namespace

bool sysPathExists(const std::string& programFolder) {
    return db::FileSystem::local().findIgnoringCase(programFolder, kSysPathFile).has_value();
}

void createSysPath(const std::string& programFolder) {
    db::Table::create(programFolder, kSysPathFile, tableDef(kSysPathFile).fields);
}

SysPathFolders readSysPath(const std::string& programFolder) {
    auto table = db::Table::open(programFolder, kSysPathFile);
    table->first();
    SysPathFolders f;
    f.dataFolder = table->getText("PROG_PATH");
    f.reportFolder = table->getText("REP_PATH");
    f.contractFolder = table->getText("CONT_PATH");
    f.lettersFolder = table->getText("MISC");
    return f;
}

void editFirstRecord(db::Table& table) {
    table.first();
    if (table.eof())
        table.append();
    else
        table.edit();
}

void writeSysPath(const std::string& programFolder, const std::string& dataFolder,
                  const std::string& lettersFolder) {
    if (!sysPathExists(programFolder)) createSysPath(programFolder);
    auto table = db::Table::open(programFolder, kSysPathFile);
    editFirstRecord(*table);
    table->setText("PROG_PATH", withSeparator(dataFolder));
    table->setText("MISC", withSeparator(lettersFolder.empty() ? withSeparator(dataFolder) + "letters" : lettersFolder));
    table->post();
}

}  // namespace vv::data

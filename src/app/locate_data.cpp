#include "app/locate_data.h"

#include <cctype>
#include <utility>

#include "data/system_tables.h"
#include "db/table.h"
#include "shared/paths.h"

namespace vv::app {

namespace {

bool mentionsVek(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.find("vek") != std::string::npos;
}

}  // namespace

LocatedFolders locatedFoldersFor(const std::string& folder) {
    const bool vek = mentionsVek(folder);
    LocatedFolders f;
    f.dataFolder = folder;
    f.contractFolder = shared::onDriveOf(folder, vek ? "vek\\contract\\" : "contract\\");
    f.reportFolder = shared::toNativePath("c:\\vek\\reports\\");
    f.lettersFolder = shared::onDriveOf(folder, vek ? "vek\\letters\\" : "letters\\");
    return f;
}

LocateData::LocateData(shared::Settings& settings, std::string programFolder)
    : settings_(settings), programFolder_(shared::withTrailingSeparator(programFolder)) {}

std::string LocateData::prepare() {
    settings_.ProgramFolder = programFolder_;
    std::string initial = shared::toNativePath("c:\\vek\\data");
    if (data::sysPathExists(programFolder_)) {
        const std::string stored = data::readSysPath(programFolder_).dataFolder;
        if (!stored.empty()) initial = shared::toNativePath(stored);
    } else {
        data::createSysPath(programFolder_);
    }
    return initial;
}

LocateData::Result LocateData::accept(std::string& folder) {
    auto sysPath = db::Table::open(programFolder_, data::kSysPathFile);
    folder = shared::withTrailingSeparator(shared::toNativePath(folder));
    if (!shared::fileExists(folder + "account.dbf")) return Result::PathNotFound;

    settings_.DataFolder = folder;
    const LocatedFolders located = locatedFoldersFor(folder);
    data::editFirstRecord(*sysPath);
    sysPath->setText("prog_path", located.dataFolder);
    sysPath->setText("cont_path", located.contractFolder);
    sysPath->setText("rep_path", located.reportFolder);
    sysPath->setText("misc", located.lettersFolder);
    sysPath->post();
    sysPath->close();

    auto system = db::Table::open(folder, data::kSystemFile);
    data::editFirstRecord(*system);
    system->setText("prog_path", folder);
    system->post();
    return Result::Accepted;
}

}  // namespace vv::app

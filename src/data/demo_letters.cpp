#include "data/demo_letters.h"

#include <filesystem>
#include <fstream>

#include "data/data_folder.h"
#include "data/demo_content.h"
#include "db/error.h"
#include "db/table.h"

namespace vv::data::demo {
namespace {

// The body of each letter, in the order of kLetters; "\par" ends a paragraph.
constexpr const char* kBodies[] = {
    "Thank you for taking the time to meet with me. It was a pleasure to learn more about "
    "<<ACCTNAME>> and your travel plans for the coming year.\\par\\par "
    "I have noted your requirements and will follow up with our best rates shortly.",
    "As promised, please find below our proposal for <<ACCTNAME>> (account <<FILECODE>>).\\par\\par "
    "We would be delighted to welcome your travellers and will hold the rates quoted for thirty days.",
    "Welcome to the Harbour View Hotel & Suites. We are glad that <<ACCTNAME>> has chosen us "
    "for its stays in <<CITY>>.\\par\\par Your dedicated contact is <<SALESID>>, <<SALESTITLE>>.",
};
static_assert(std::size(kBodies) == kLetters.size());

std::string letterRtf(const char* body) {
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs24 "
        "<<DATE>>\\par\\par "
        "<<CSAL>> <<CFIRST>> <<CLAST>>\\par <<CTITLE>>\\par <<ACCTNAME>>\\par <<ADDR1>>\\par <<ADDR2>>\\par "
        "<<CITY>>, <<STATE>> <<ZIP>>\\par\\par "
        "Dear <<CSAL>> <<CLAST>>,\\par\\par ";
    rtf += body;
    rtf += "\\par\\par Sincerely,\\par\\par <<SALESID>>\\par <<SALESTITLE>>\\par }";
    return rtf;
}

}  // namespace

void writeDemoLetters(const std::string& folder) {
    std::filesystem::create_directories(folder);
    for (std::size_t i = 0; i < kLetters.size(); ++i) {
        const auto path = std::filesystem::path(folder) / std::string(kLetters[i]);
        if (std::filesystem::exists(path)) continue;
        std::ofstream out(path, std::ios::binary);
        out << letterRtf(kBodies[i]);
        if (!out.flush())
            throw db::Error(db::ErrorKind::Io, "Cannot write the letter " + path.string());
    }
}

}  // namespace vv::data::demo

namespace vv::data {

std::string sampleLettersFolder(const std::string& dataFolder) {
    std::string folder = dataFolder;
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder + "Letters/";
}

void addSampleLetters(const std::string& dataFolder) {
    demo::writeDemoLetters(sampleLettersFolder(dataFolder));
    auto letters = db::Table::open(dataFolder, "LETTERS.DBF");
    if (letters->recordCount() != 0) return;
    for (const auto name : demo::kLetters) {
        letters->append();
        letters->setText("FILE_NAME", std::string(name));
        letters->post();
    }
}

}  // namespace vv::data

// Feeds arbitrary bytes to the table and memo readers. The input is split
// into a DBF and an FPT file; every record and field is then read. Errors
// must come out as vv::db::Error, never as a crash, hang or bad read.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "db/error.h"
#include "db/table.h"

namespace {

const std::string& workFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/vvfuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made ? made : "/tmp");
    }();
    return folder;
}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t dbfSize = std::min<size_t>(size - 2, data[0] | (data[1] << 8));
    const std::string& dir = workFolder();
    writeFile(dir + "/F.DBF", data + 2, dbfSize);
    writeFile(dir + "/F.FPT", data + 2 + dbfSize, size - 2 - dbfSize);
    try {
        vv::db::OpenOptions options;
        options.readOnly = true;
        auto t = vv::db::Table::open(dir, "F.DBF", options);
        int records = 0;
        for (t->first(); !t->eof() && records < 2000; t->next(), ++records)
            for (int i = 0; i < static_cast<int>(t->fields().size()); ++i) {
                t->getText(i);
                t->isBlank(i);
                t->getNumber(i);
            }
        t->last();
        t->prior();
        t->count();
    } catch (const vv::db::Error&) {
    }
    return 0;
}

// vekvoro-admin: the command-line face of the maintenance work. This file
// only parses and checks arguments and hands the work to the libraries.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/demo_folder.h"
#include "cli/exchange_commands.h"
#include "cli/report_command.h"
#include "cli/index_commands.h"
#include "data/data_folder.h"
#include "data/index_rebuild.h"
#include "data/key_update.h"
#include "data/system_tables.h"
#include "data/table_encryption_commands.h"
#include "cli/record_writer.h"
#include "db/error.h"
#include "db/table.h"

namespace {

using namespace vv;

constexpr const char* kUsage =
    "usage: vekvoro-admin COMMAND ...\n"
    "  dump DIR TABLE [--filter EXPR] [--deleted] [--format csv|json] [--password PW]\n"
    "       [--tag TAG [--seek KEY[,KEY...]]]  in a tag's order; only the records of that key\n"
    "  count DIR TABLE [--filter EXPR] [--deleted] [--password PW]\n"
    "  info DIR TABLE\n"
    "  create-data DIR [--demo] every table of the system; --demo fills a sample hotel\n"
    "  reindex DIR [TABLE ...]  rebuild the index files (all tables, or those named)\n"
    "  check DIR                every tag of every table agrees with its table\n"
    "  update-keys DIR          give every call and trace without a key a new one\n"
    "  encrypt DIR | decrypt DIR  the account and contact tables\n"
    "  write-syspath PROGRAM_DIR DATA_DIR [LETTERS_DIR]\n"
    "  demo DIR                 a small folder with sales calls only\n"
    "  export DIR --to FOLDER [--all]  new (or all) calls, traces, tracking into FOLDER/VEKEXPORT.ZIP\n"
    "  import DIR ARCHIVE       lookup files from the full edition into DIR\n"
    "  report calls DIR [--filter EXPR] [--address] --pdf FILE  the call report as PDF\n"
    "  report tracking DIR [--filter EXPR] --pdf FILE  the tracking report as PDF\n";

using vv::data::kTablePassword;

// Progress goes to stderr, so stdout carries only results.
void progress(const std::string& message) { std::cerr << message << '\n'; }

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--filter" -> value; flags -> ""

    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::string get(const std::string& name, const std::string& fallback = {}) const {
        auto it = options.find(name);
        return it == options.end() ? fallback : it->second;
    }
};

Arguments parse(int argc, char** argv, const std::vector<std::string>& valued, const std::vector<std::string>& flags) {
    Arguments a;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) == 0) {
            const bool takesValue = std::find(valued.begin(), valued.end(), arg) != valued.end();
            const bool isFlag = std::find(flags.begin(), flags.end(), arg) != flags.end();
            if (!takesValue && !isFlag) throw UsageError("unknown option " + arg);
            if (takesValue) {
                if (i + 1 >= argc) throw UsageError(arg + " needs a value");
                a.options[arg] = argv[++i];
            } else {
                a.options[arg] = "";
            }
        } else {
            a.positional.push_back(arg);
        }
    }
    return a;
}

std::unique_ptr<db::Table> openForReading(const Arguments& a) {
    if (a.positional.size() != 2) throw UsageError("expected DIR and TABLE");
    db::OpenOptions options;
    options.readOnly = true;
    auto table = db::Table::open(a.positional[0], a.positional[1], options);
    if (table->isEncrypted()) table->enableEncryption(a.get("--password", kTablePassword));
    return table;
}

int dump(int argc, char** argv) {
    const auto a = parse(argc, argv, {"--filter", "--format", "--password", "--tag", "--seek"}, {"--deleted"});
    const std::string format = a.get("--format", "csv");
    if (format != "csv" && format != "json") throw UsageError("--format is csv or json");
    if (a.has("--seek") && !a.has("--tag")) throw UsageError("--seek needs --tag");
    db::Table::setShowDeleted(a.has("--deleted"));
    auto table = openForReading(a);
    if (a.has("--tag")) table->setIndexName(a.get("--tag"));
    if (a.has("--filter")) table->setFilter(a.get("--filter"));
    if (a.has("--seek")) {
        // Several values of a composite key are separated by commas.
        std::vector<std::string> values;
        const std::string keys = a.get("--seek");
        for (std::size_t start = 0;;) {
            const auto comma = keys.find(',', start);
            values.push_back(keys.substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        table->setKeyRange(values);
    }
    cli::RecordWriter writer(std::cout, *table, format == "json" ? cli::DumpFormat::Json : cli::DumpFormat::Csv,
                             a.has("--deleted"));
    writer.begin();
    for (table->first(); !table->eof(); table->next()) writer.write(*table);
    writer.end();
    return 0;
}

int count(int argc, char** argv) {
    const auto a = parse(argc, argv, {"--filter", "--password"}, {"--deleted"});
    db::Table::setShowDeleted(a.has("--deleted"));
    auto table = openForReading(a);
    if (a.has("--filter")) table->setFilter(a.get("--filter"));
    std::cout << table->count() << '\n';
    return 0;
}

const char* versionName(unsigned char v) {
    switch (v) {
    case 0x03: return "dBase III / FoxPro, no memo";
    case 0x83: return "dBase III with memo";
    case 0xF5: return "FoxPro 2.x with memo";
    case 0x30: return "Visual FoxPro";
    case 0x31: return "Visual FoxPro, autoincrement";
    case 0x32: return "Visual FoxPro, varchar/varbinary";
    default: return "dBase variant";
    }
}

int info(int argc, char** argv) {
    const auto a = parse(argc, argv, {}, {});
    if (a.positional.size() != 2) throw UsageError("expected DIR and TABLE");
    db::OpenOptions options;
    options.readOnly = true;
    auto t = db::Table::open(a.positional[0], a.positional[1], options);
    char version[16];
    std::snprintf(version, sizeof version, "0x%02X", t->version());
    std::cout << "Table:       " << t->name() << '\n'
              << "Version:     " << version << " (" << versionName(t->version()) << ")\n"
              << "Code page:   " << t->codePage().number() << '\n'
              << "Records:     " << t->recordCount() << '\n'
              << "Record size: " << t->recordLength() << '\n'
              << "Last update: " << (t->lastUpdate().isEmpty() ? "-" : t->lastUpdate().iso()) << '\n'
              << "Encrypted:   " << (t->isEncrypted() ? "yes" : "no") << '\n'
              << "Memo file:   " << (t->hasMemoFile() ? "yes" : "no") << '\n'
              << "Fields:      " << t->fields().size() << '\n';
    int n = 0;
    for (const auto& f : t->fields()) {
        char line[96];
        std::snprintf(line, sizeof line, "  %3d %-10s %c %3u %2u\n", ++n, f.name.c_str(), static_cast<char>(f.type),
                      f.width, f.decimals);
        std::cout << line;
    }
    return 0;
}

int demo(int argc, char** argv) {
    const auto a = parse(argc, argv, {}, {});
    if (a.positional.size() != 1) throw UsageError("expected DIR");
    cli::createDemoFolder(a.positional[0]);
    std::cout << "Created the demo data folder " << a.positional[0] << '\n';
    return 0;
}

int createData(int argc, char** argv) {
    const auto a = parse(argc, argv, {}, {"--demo"});
    if (a.positional.size() != 1) throw UsageError("expected DIR");
    const std::string& dir = a.positional[0];
    data::createDataFolder(dir, progress);
    if (a.has("--demo")) {
        const auto summary = data::fillDemoData(dir, db::Date::today(), progress, data::kFullDemo);
        std::cout << summary.accounts << " accounts, " << summary.contacts << " contacts, " << summary.calls
                  << " sales calls\n";
    } else {
        data::addSampleLetters(dir);
    }
    std::cout << "Letters: " << data::sampleLettersFolder(dir) << '\n';
    data::encryptTables(dir, progress);
    data::indexNewDataFolder(dir, progress);
    return 0;
}

int updateKeys(int argc, char** argv) {
    const auto a = parse(argc, argv, {}, {});
    if (a.positional.size() != 1) throw UsageError("expected DIR");
    const auto r = data::updateKeys(a.positional[0], progress);
    std::cout << r.salesCalls << " sales calls and " << r.traces << " traces got a key\n";
    return 0;
}

int encryption(int argc, char** argv, bool encrypt) {
    const auto a = parse(argc, argv, {}, {});
    if (a.positional.size() != 1) throw UsageError("expected DIR");
    if (encrypt) data::encryptTables(a.positional[0], progress);
    else data::decryptTables(a.positional[0], progress);
    return 0;
}

int writeSysPath(int argc, char** argv) {
    const auto a = parse(argc, argv, {}, {});
    if (a.positional.size() != 2 && a.positional.size() != 3) throw UsageError("expected PROGRAM_DIR DATA_DIR");
    data::writeSysPath(a.positional[0], a.positional[1], a.positional.size() == 3 ? a.positional[2] : std::string());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    try {
        if (command == "dump") return dump(argc, argv);
        if (command == "count") return count(argc, argv);
        if (command == "info") return info(argc, argv);
        if (command == "demo") return demo(argc, argv);
        if (command == "create-data") return createData(argc, argv);
        if (command == "update-keys") return updateKeys(argc, argv);
        if (command == "encrypt") return encryption(argc, argv, true);
        if (command == "decrypt") return encryption(argc, argv, false);
        if (command == "write-syspath") return writeSysPath(argc, argv);
        if (cli::isExchangeCommand(argv[1])) return cli::runExchangeCommand(argc, argv);
        if (cli::isReportCommand(argv[1])) return cli::runReportCommand(argc, argv);
        if (cli::isIndexCommand(argv[1])) return cli::runIndexCommand(argc, argv);
        throw UsageError("unknown command " + command);
    } catch (const UsageError& e) {
        std::cerr << "vekvoro-admin: " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const db::ExpressionError& e) {
        std::cerr << "vekvoro-admin: " << e.what() << '\n';
        return 1;
    } catch (const db::Error& e) {
        std::cerr << "vekvoro-admin: " << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "vekvoro-admin: " << e.what() << '\n';
        return 1;
    }
}

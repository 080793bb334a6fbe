#include "data/table_encryption_commands.h"

#include "data/catalogue.h"
#include "db/table.h"

namespace vv::data {
namespace {

struct EncryptedTable {
    const char* fileName;
    const char* label;
};
constexpr EncryptedTable kTables[] = {{"ACCOUNT.DBF", "Account"}, {"CONTACTS.DBF", "Contacts"}};

void convert(const std::string& dataFolder, bool encrypt, const ProgressFn& progress) {
    for (const auto& table : kTables) {
        db::OpenOptions options;
        options.exclusive = true;
        auto t = db::Table::open(dataFolder, table.fileName, options);
        t->enableEncryption(kTablePassword);
        if (encrypt) t->encryptTable(kTablePassword);
        else t->decryptTable();
        t->close();
        if (progress) progress(std::string(encrypt ? "Encrypted " : "Decrypted ") + table.label + " Table");
    }
}

}  // namespace

void encryptTables(const std::string& dataFolder, const ProgressFn& progress) { convert(dataFolder, true, progress); }
void decryptTables(const std::string& dataFolder, const ProgressFn& progress) { convert(dataFolder, false, progress); }

}  // namespace vv::data

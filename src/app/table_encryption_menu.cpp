#include "app/table_encryption_menu.h"

#include <QString>

#include "data/table_encryption_commands.h"
#include "shared/user_interaction.h"

namespace vv::app {

namespace {

data::ProgressFn tellUser(QWidget* parent) {
    return [parent](const std::string& message) {
        shared::userInteraction().information(parent, QString::fromStdString(message));
    };
}

}  // namespace

void encryptTablesCommand(QWidget* parent, const std::string& dataFolder) {
    data::encryptTables(dataFolder, tellUser(parent));
}

void decryptTablesCommand(QWidget* parent, const std::string& dataFolder) {
    data::decryptTables(dataFolder, tellUser(parent));
}

}  // namespace vv::app

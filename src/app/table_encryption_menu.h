// The hidden "Encrypt Tables" and "Decrypt Tables" menu commands: the
// account and contact tables converted at once, each table's end told in
// a message box ("Encrypted Account Table"). An error (a table open in
// another window) escapes to the menu's standard error box.
#pragma once

#include <string>

class QWidget;

namespace vv::app {

void encryptTablesCommand(QWidget* parent, const std::string& dataFolder);
void decryptTablesCommand(QWidget* parent, const std::string& dataFolder);

}  // namespace vv::app

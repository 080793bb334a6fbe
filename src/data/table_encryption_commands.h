// Encrypting and decrypting the account and contact tables of a data folder
// with the table password, one table at a time, each opened exclusively.
#pragma once

#include <string>

#include "data/progress.h"

namespace vv::data {

// ACCOUNT.DBF then CONTACTS.DBF. After each table `progress` receives
// "Encrypted Account Table" / "Encrypted Contacts Table" (or "Decrypted ...").
// A table already in the wanted state is left as it is. A table that cannot
// be opened exclusively stops the run with the engine's error.
void encryptTables(const std::string& dataFolder, const ProgressFn& progress = {});
void decryptTables(const std::string& dataFolder, const ProgressFn& progress = {});

}  // namespace vv::data

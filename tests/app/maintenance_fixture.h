// A demo data folder for the maintenance windows' tests, with the program's
// settings pointing at it and every message box and error box recorded.
#pragma once

#include <string>
#include <vector>

#include <QApplication>
#include <QWidget>

#include "data/data_folder.h"
#include "db/table.h"
#include "shared/settings.h"
#include "shared/shared_fixture.h"
#include "support/temp_dir.h"

namespace vv::test {

class MaintenanceFixture {
public:
    MaintenanceFixture() : data_(root_.str() + "/data/") {
        data::createDataFolder(data_, {});
        data::fillDemoData(data_, db::Date::fromYmd(2024, 3, 1), {});
        shared::settings() = shared::Settings{};
        shared::settings().DataFolder = data_;
        db::Table::setShowDeleted(false);
    }
    ~MaintenanceFixture() {
        // Windows the test left open must not outlive the folder.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->testAttribute(Qt::WA_DeleteOnClose) && w->isVisible()) w->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        db::Table::setShowDeleted(false);
    }
    MaintenanceFixture(const MaintenanceFixture&) = delete;
    MaintenanceFixture& operator=(const MaintenanceFixture&) = delete;

    // The texts of `field` in every record of `file`, in record order.
    std::vector<std::string> column(const std::string& file, const std::string& field) {
        auto table = db::Table::open(data_, file);
        if (table->isEncrypted()) table->enableEncryption(data::kTablePassword);
        std::vector<std::string> values;
        for (table->first(); !table->eof(); table->next()) values.push_back(table->getText(field));
        return values;
    }

    bool encrypted(const std::string& file) { return db::Table::open(data_, file)->isEncrypted(); }

    // The top-level window titled `title` (the newest when several are).
    static QWidget* window(const QString& title) {
        QWidget* found = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == title && w->isVisible()) found = w;
        return found;
    }

    TempDir root_;
    std::string data_;
    RecordedInteraction recorded_;
};

}  // namespace vv::test

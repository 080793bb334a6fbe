// Fixtures of the shared dialogs' tests: small tables of the catalogue's
// shapes filled with given rows, and a UserInteraction that records what
// the windows asked instead of showing boxes, so no test ever blocks.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QDate>
#include <QString>
#include <QUrl>

#include "data/catalogue.h"
#include "data/data_folder.h"
#include "db/error.h"
#include "db/table.h"
#include "shared/error_box.h"
#include "shared/user_interaction.h"

namespace vv::test {

using Row = std::map<std::string, std::string>;

// Creates the catalogue's `file` in `folder` (replacing one there) holding `rows`.
inline void fillTable(const std::string& folder, const std::string& file, const std::vector<Row>& rows) {
    data::createTable(folder, data::tableDef(file), true);
    db::OpenOptions exclusive;
    exclusive.exclusive = true;
    auto table = db::Table::open(folder, file, exclusive);
    for (const Row& row : rows) {
        table->append();
        for (const auto& [field, value] : row) table->setText(field, value);
        table->post();
    }
}

// Builds the catalogue's index tags of a table made by fillTable.
inline void indexTable(const std::string& folder, const std::string& file) {
    db::OpenOptions exclusive;
    exclusive.exclusive = true;
    auto table = db::Table::open(folder, file, exclusive);
    if (table->isEncrypted()) table->enableEncryption(data::kTablePassword);
    for (const data::TagDef& tag : data::tableDef(file).tags) table->addTag(tag.name, tag.expression, tag.descending);
}

// Whether this build's engine orders tables by their tags; tests of
// ordering skip without it.
inline bool orderingAvailable(const std::string& folder, const std::string& file) {
    try {
        auto table = db::Table::open(folder, file);
        table->tags();
        return true;
    } catch (const db::Error& e) {
        if (std::string(e.what()).find("not available in this build") != std::string::npos) return false;
        throw;
    }
}

// Encrypts a table with the program's password.
inline void encryptTable(const std::string& folder, const std::string& file) {
    db::OpenOptions exclusive;
    exclusive.exclusive = true;
    auto table = db::Table::open(folder, file, exclusive);
    table->enableEncryption(data::kTablePassword);
    table->encryptTable(data::kTablePassword);
}

// Records every question and answers from queues set up by the test.
class RecordingInteraction : public shared::UserInteraction {
public:
    void beep() override { ++beeps; }
    void information(QWidget*, const QString& text) override { informations.push_back(text); }
    bool askRetry(QWidget*, const QString& text) override {
        retryQuestions.push_back(text);
        if (retryAnswers.empty()) return false;
        const bool answer = retryAnswers.front();
        retryAnswers.pop_front();
        return answer;
    }
    bool askYesNo(QWidget*, const QString& caption, const QString& text) override {
        questions.push_back(caption + QStringLiteral(" | ") + text);
        return yesNoAnswer;
    }
    bool confirm(QWidget*, const QString& text) override {
        confirmations.push_back(text);
        return confirmAnswer;
    }
    std::optional<QDate> pickDate(QWidget*, const QDate& start) override {
        calendarStarts.push_back(start);
        return pickedDate;
    }
    void openUrl(const QUrl& url) override { urls.push_back(url); }

    int beeps = 0;
    std::vector<QString> informations, retryQuestions, questions, confirmations;
    std::vector<QDate> calendarStarts;
    std::vector<QUrl> urls;
    std::deque<bool> retryAnswers;  // empty: Cancel
    bool yesNoAnswer = false;
    bool confirmAnswer = true;
    std::optional<QDate> pickedDate;
};

// Puts a RecordingInteraction and an error recorder in place for its lifetime.
class RecordedInteraction {
public:
    RecordedInteraction() {
        auto recorder = std::make_unique<RecordingInteraction>();
        ui = recorder.get();
        previousUi_ = shared::setUserInteraction(std::move(recorder));
        previousErrors_ = shared::setErrorPresenter(
            [this](QWidget*, const shared::ErrorReport& report) { errors.push_back(report.text); });
    }
    ~RecordedInteraction() {
        shared::setErrorPresenter(previousErrors_);
        shared::setUserInteraction(std::move(previousUi_));
    }
    RecordedInteraction(const RecordedInteraction&) = delete;
    RecordedInteraction& operator=(const RecordedInteraction&) = delete;

    RecordingInteraction* ui = nullptr;
    std::vector<QString> errors;

private:
    std::unique_ptr<shared::UserInteraction> previousUi_;
    shared::ErrorPresenter previousErrors_;
};

}  // namespace vv::test

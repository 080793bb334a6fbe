#include "shared/error_box.h"

#include <stdexcept>
#include <vector>

#include <QMessageBox>
#include <QTimer>
#include <QApplication>

#include <gtest/gtest.h>

#include "db/error.h"

namespace vv::shared {
namespace {

// Records the reports instead of showing them.
class ErrorBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = setErrorPresenter([this](QWidget*, const ErrorReport& r) { reports_.push_back(r); });
    }
    void TearDown() override { setErrorPresenter(previous_); }

    std::vector<ErrorReport> reports_;
    ErrorPresenter previous_;
};

TEST_F(ErrorBoxTest, EngineErrorsGetASentenceForTheirKindAndCopyableDetails) {
    struct Case {
        db::ErrorKind kind;
        const char* sentence;
    } cases[] = {
        {db::ErrorKind::FileNotFound, "was not found"},
        {db::ErrorKind::LockConflict, "Another user"},
        {db::ErrorKind::WrongPassword, "password"},
        {db::ErrorKind::FieldNotFound, "lacks a field"},
    };
    for (const Case& c : cases) {
        const db::Error error(c.kind, "Table LOCINFO.DBF: something");
        const ErrorReport r = describeError(error, QStringLiteral("Start-up"));
        const QString kind = QString::fromUtf8(db::errorKindName(c.kind));
        EXPECT_TRUE(r.text.contains(QString::fromUtf8(c.sentence))) << r.text.toStdString();
        EXPECT_TRUE(r.text.contains(QStringLiteral("LOCINFO.DBF"))) << r.text.toStdString();
        EXPECT_TRUE(r.details.contains(QStringLiteral("Kind: ") + kind)) << r.details.toStdString();
        EXPECT_TRUE(r.details.contains(QStringLiteral("Where: Start-up"))) << r.details.toStdString();
        EXPECT_TRUE(r.details.contains(QStringLiteral("Message: Table LOCINFO.DBF: something")));
    }
}

TEST_F(ErrorBoxTest, ExpressionErrorsTellWhereInTheExpression) {
    const ErrorReport r = describeError(db::ExpressionError("Bad filter 'a = '", 4), {});
    EXPECT_TRUE(r.details.contains(QStringLiteral("Position in expression: 5"))) << r.details.toStdString();
    EXPECT_FALSE(r.details.contains(QStringLiteral("Where:")));
}

TEST_F(ErrorBoxTest, GuardedHandlerEndsAtTheErrorAndTheCallerGoesOn) {
    int steps = 0;
    const bool ok = runGuarded(nullptr, [&] {
        ++steps;
        throw db::Error(db::ErrorKind::Io, "Table SALECALL.DBF: disk full");
        ++steps;  // never reached
    }, QStringLiteral("AddEditCalls1"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(steps, 1);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_TRUE(reports_[0].text.contains(QStringLiteral("disk full")));

    EXPECT_TRUE(runGuarded(nullptr, [&] { ++steps; }));
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(reports_.size(), 1u);
}

TEST_F(ErrorBoxTest, OtherExceptionsAreShownWithTheirMessage) {
    runGuarded(nullptr, [] { throw std::runtime_error("out of paper"); });
    runGuarded(nullptr, [] { throw 42; });
    ASSERT_EQ(reports_.size(), 2u);
    EXPECT_EQ(reports_[0].text, QStringLiteral("out of paper"));
    EXPECT_TRUE(reports_[0].details.contains(QStringLiteral("program error")));
    EXPECT_TRUE(reports_[1].details.contains(QStringLiteral("unknown")));
}

TEST(ErrorBoxDefaultTest, ShowsAMessageBoxWithTheDetails) {
    QString text, details;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        text = box->text();
        details = box->detailedText();
        box->accept();
    });
    showError(nullptr, db::Error(db::ErrorKind::CorruptFile, "Table ACCOUNT.DBF: bad header"), QStringLiteral("Test"));
    EXPECT_TRUE(text.contains(QStringLiteral("damaged"))) << text.toStdString();
    EXPECT_TRUE(details.contains(QStringLiteral("Kind: "))) << details.toStdString();
}

}  // namespace
}  // namespace vv::shared

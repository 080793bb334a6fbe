#include "shared/error_box.h"

#include <QMessageBox>
#include <QWidget>

#include "db/error.h"
#include "db/table.h"
#include "shared/product.h"
#include "shared/settings.h"

namespace vv::shared {

namespace {

QString sentenceFor(db::ErrorKind kind) {
    using K = db::ErrorKind;
    switch (kind) {
    case K::LockConflict: return QStringLiteral("Another user is working on this record or table.");
    case K::FileNotFound: return QStringLiteral("A file the program needs was not found.");
    case K::ExclusiveConflict: return QStringLiteral("The table is in use; it cannot be opened this way now.");
    case K::CorruptFile: return QStringLiteral("A data file is damaged.");
    case K::BadExpression: return QStringLiteral("An expression could not be understood.");
    case K::WrongPassword: return QStringLiteral("The table password was not accepted.");
    case K::FieldNotFound: return QStringLiteral("A table lacks a field the program needs.");
    case K::Encoding: return QStringLiteral("The text holds characters the table cannot store.");
    case K::InvalidState: return QStringLiteral("This cannot be done at this moment.");
    case K::InvalidArgument: return QStringLiteral("A value was not accepted.");
    case K::Io: return QStringLiteral("A file could not be read or written.");
    }
    return QStringLiteral("The table engine reported an error.");
}

QString commonDetails(const QString& where) {
    const Settings& s = settings();
    QString d;
    if (!where.isEmpty()) d += QStringLiteral("Where: %1\n").arg(where);
    d += QStringLiteral("Program: %1 %2 (%3)\n")
             .arg(QString::fromUtf8(kProgramName), QString::fromUtf8(kProgramVersion),
                  QString::fromStdString(s.ProductTitle));
    d += QStringLiteral("Engine: %1\n").arg(QString::fromStdString(db::Table::engineVersion()));
    d += QStringLiteral("Data folder: %1\n").arg(QString::fromStdString(s.DataFolder));
    return d;
}

ErrorPresenter& presenter() {
    static ErrorPresenter current = [](QWidget* parent, const ErrorReport& report) {
        QMessageBox box(QMessageBox::Critical, report.title, report.text, QMessageBox::Ok, parent);
        box.setDetailedText(report.details);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        box.exec();
    };
    return current;
}

}  // namespace

ErrorReport describeError(const std::exception& error, const QString& where) {
    ErrorReport r;
    r.title = QStringLiteral("Error");
    const QString message = QString::fromUtf8(error.what());
    if (const auto* dbError = dynamic_cast<const db::Error*>(&error)) {
        r.text = sentenceFor(dbError->kind()) + QStringLiteral("\n\n") + message;
        r.details = QStringLiteral("Kind: %1\n").arg(QString::fromUtf8(db::errorKindName(dbError->kind())));
        if (const auto* expr = dynamic_cast<const db::ExpressionError*>(&error))
            r.details += QStringLiteral("Position in expression: %1\n").arg(expr->position() + 1);
    } else {
        r.text = message;
        r.details = QStringLiteral("Kind: program error\n");
    }
    r.details += QStringLiteral("Message: %1\n").arg(message) + commonDetails(where);
    return r;
}

ErrorReport describeUnknownError(const QString& where) {
    ErrorReport r;
    r.title = QStringLiteral("Error");
    r.text = QStringLiteral("An unexpected error occurred.");
    r.details = QStringLiteral("Kind: unknown exception\n") + commonDetails(where);
    return r;
}

void showError(QWidget* parent, const std::exception& error, const QString& where) {
    const ErrorReport report = describeError(error, where);
    if (presenter()) presenter()(parent, report);
}

void showCurrentError(QWidget* parent, const QString& where) {
    ErrorReport report;
    try {
        throw;
    } catch (const std::exception& e) {
        report = describeError(e, where);
    } catch (...) {
        report = describeUnknownError(where);
    }
    if (presenter()) presenter()(parent, report);
}

bool runGuarded(QWidget* parent, const std::function<void()>& handler, const QString& where) {
    try {
        handler();
        return true;
    } catch (...) {
        showCurrentError(parent, where);
        return false;
    }
}

ErrorPresenter setErrorPresenter(ErrorPresenter next) {
    ErrorPresenter previous = std::move(presenter());
    presenter() = std::move(next);
    return previous;
}

}  // namespace vv::shared

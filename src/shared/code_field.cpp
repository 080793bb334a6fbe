#include "shared/code_field.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include "db/table.h"
#include "shared/error_box.h"
#include "shared/field_binder.h"
#include "shared/focus_highlight.h"
#include "shared/lookup_dialog.h"
#include "shared/user_interaction.h"

namespace vv::shared {

CodeField::CodeField(FieldBinder& binder, CodeFieldSetup setup, QLabel* description, QWidget* parent)
    : QWidget(parent), binder_(binder), setup_(std::move(setup)), description_(description) {
    edit_ = new QLineEdit(this);
    button_ = new QToolButton(this);
    button_->setText(QStringLiteral("..."));
    button_->setFocusPolicy(Qt::NoFocus);  // the edit keeps the focus, so its check runs when it is left
    button_->setToolTip(QString::fromStdString(setup_.lookup.caption));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(edit_, 1);
    layout->addWidget(button_);
    setFocusProxy(edit_);
    binder_.bindText(edit_, setup_.field, setup_.upperCase, this);
    edit_->installEventFilter(this);
    connect(button_, &QToolButton::clicked, this, &CodeField::lookupClicked);
}

CodeCheckResult CodeField::runExitCheck() {
    FocusHighlight::paint(edit_, false);
    db::Table* table = binder_.table();
    if (!table || !setup_.lookUp) return {};
    CodeCheckResult result;
    const bool ran = runGuarded(window(), [&] {
        const bool rejectApplies = !setup_.rejectApplies || setup_.rejectApplies();
        result = CodeCheck::run(table->getText(setup_.field), setup_.lookUp, setup_.texts, rejectApplies);
    });
    if (!ran) return {};
    switch (result.outcome) {
    case CodeCheckResult::Outcome::Found:
        if (description_) description_->setText(result.label);
        binder_.load();  // the check may have copied fields from the code record
        emit codeFound();
        break;
    case CodeCheckResult::Outcome::Rejected: {
        userInteraction().beep();
        runGuarded(window(), [&] {
            if (table->state() != db::Table::State::Browse) table->setText(setup_.field, "");
        });
        binder_.load(edit_);
        if (description_) description_->setText(result.label);
        edit_->setFocus(Qt::OtherFocusReason);
        // Shown once the focus change this check interrupted is over.
        QPointer<QWidget> parent(window());
        QTimer::singleShot(0, this, [parent, message = result.error.toStdString()] {
            showError(parent, CodeRejected(message));
        });
        break;
    }
    case CodeCheckResult::Outcome::Empty:
    case CodeCheckResult::Outcome::Ignored: break;
    }
    return result;
}

void CodeField::lookupClicked() {
    LookupRequest request = setup_.lookup;
    if (setup_.lookupFilter) request.filter = setup_.lookupFilter();
    const std::string value = RunLookup(request, window());
    if (value.empty()) return;
    db::Table* table = binder_.table();
    if (!table) return;
    if (!runGuarded(window(), [&] { table->setText(setup_.field, value); })) return;
    binder_.load(edit_);
    edit_->setFocus(Qt::OtherFocusReason);
    emit valuePicked();
}

bool CodeField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // A dialog or menu coming up, or the window closing, is not the user leaving the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && edit_->isEnabled() &&
            edit_->isVisible())
            runExitCheck();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vv::shared

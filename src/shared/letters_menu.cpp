#include "shared/letters_menu.h"

#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "db/table.h"
#include "shared/error_box.h"
#include "shared/settings.h"

namespace vv::shared {

LettersMenu::LettersMenu(QWidget* window, QToolBar* bar, std::function<void(const QString&)> open) {
    auto* button = new QToolButton(bar);
    button->setText(QStringLiteral("Letters"));
    button->setToolTip(QStringLiteral("Letters"));
    button->setPopupMode(QToolButton::InstantPopup);
    menu_ = new QMenu(button);
    button->setMenu(menu_);
    bar->addWidget(button);
    QObject::connect(menu_, &QMenu::triggered, window, [window, open = std::move(open)](QAction* action) {
        runGuarded(window, [&] { open(action->text()); }, window->windowTitle());
    });
}

void LettersMenu::load() {
    db::OpenOptions readOnly;
    readOnly.readOnly = true;
    auto table = db::Table::open(settings().DataFolder, "Letters.dbf", readOnly);
    letters_.clear();
    menu_->clear();
    for (table->first(); !table->eof(); table->next()) {
        const QString name = QString::fromStdString(table->getText("FILE_NAME"));
        letters_.push_back(name);
        menu_->addAction(name);
    }
}

}  // namespace vv::shared

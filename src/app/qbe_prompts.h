// The questions the Filter Condition dialog asks besides its own form: yes
// or no, a message, a line of text, a choice from a list, a filter file.
// One replaceable object, so tests answer them without a modal box.
#pragma once

#include <memory>
#include <optional>

#include <QString>
#include <QStringList>

class QWidget;

namespace vv::app {

class QbePrompts {
public:
    virtual ~QbePrompts() = default;

    // Yes and No, No the default; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text);
    virtual void inform(QWidget* parent, const QString& text);
    // A text typed by the user (`multiLine` for an expression); nullopt when cancelled.
    virtual std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label,
                                           const QString& initial, bool multiLine);
    // The position of the chosen item; nullopt when cancelled.
    virtual std::optional<int> chooseItem(QWidget* parent, const QString& title, const QStringList& items);
    // A filter file to read, starting at `start`; nullopt when cancelled.
    virtual std::optional<QString> chooseFile(QWidget* parent, const QString& title, const QString& start);
};

QbePrompts& qbePrompts();
// Puts `next` in place (null restores the plain one) and returns the previous.
std::unique_ptr<QbePrompts> setQbePrompts(std::unique_ptr<QbePrompts> next);

}  // namespace vv::app

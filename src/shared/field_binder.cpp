#include "shared/field_binder.h"

#include <algorithm>

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include "db/table.h"
#include "shared/date_entry.h"
#include "shared/error_box.h"
#include "shared/focus_highlight.h"
#include "shared/user_interaction.h"

namespace vv::shared {

FieldBinder::FieldBinder(QObject* parent) : QObject(parent) {}

void FieldBinder::setTable(db::Table* table) {
    table_ = table;
    for (const Binding& b : bindings_) applyWidth(b);
    load();
}

// A text editor takes no more characters than its field holds.
void FieldBinder::applyWidth(const Binding& b) {
    if (!table_ || (b.kind != Kind::Text && b.kind != Kind::UpperText)) return;
    const int index = table_->fieldIndex(b.field);
    if (index < 0) return;
    const db::FieldDef& def = table_->fields()[static_cast<std::size_t>(index)];
    if (def.type == db::FieldType::Character) static_cast<QLineEdit*>(b.editor)->setMaxLength(def.width);
}

void FieldBinder::bind(QWidget* editor, QWidget* control, const std::string& field, Kind kind, bool highlight) {
    bindings_.push_back({editor, control ? control : editor, field, kind});
    if (highlight) FocusHighlight::attach(editor);
    editor->installEventFilter(this);
    connect(editor, &QObject::destroyed, this, [this, editor] {
        bindings_.erase(std::remove_if(bindings_.begin(), bindings_.end(),
                                       [editor](const Binding& b) { return b.editor == editor; }),
                        bindings_.end());
    });
    applyWidth(bindings_.back());
    loadBinding(bindings_.back());
}

void FieldBinder::bindText(QLineEdit* edit, const std::string& field, bool upperCase, QWidget* control) {
    connect(edit, &QLineEdit::textEdited, this, [this, edit](const QString& text) {
        if (Binding* b = find(edit)) storeText(*b, text);
    });
    bind(edit, control, field, upperCase ? Kind::UpperText : Kind::Text, true);
}

void FieldBinder::bindDate(QLineEdit* edit, const std::string& field, QWidget* control, bool highlight) {
    edit->setInputMask(QString::fromLatin1(DateEntry::kInputMask));
    connect(edit, &QLineEdit::textEdited, this, [this, edit](const QString& text) {
        if (Binding* b = find(edit)) storeDate(*b, text);
    });
    bind(edit, control, field, Kind::Date, highlight);
}

void FieldBinder::bindMemo(QPlainTextEdit* memo, const std::string& field, QWidget* control) {
    connect(memo, &QPlainTextEdit::textChanged, this, [this, memo] {
        if (Binding* b = find(memo); b && !loading_) storeMemo(*b);
    });
    bind(memo, control, field, Kind::Memo, false);
}

FieldBinder::Binding* FieldBinder::find(const QWidget* editor) {
    for (Binding& b : bindings_)
        if (b.editor == editor) return &b;
    return nullptr;
}

const FieldBinder::Binding* FieldBinder::find(const QWidget* editor) const {
    return const_cast<FieldBinder*>(this)->find(editor);
}

bool FieldBinder::pending() const { return table_ && table_->state() != db::Table::State::Browse; }

void FieldBinder::storeText(Binding& b, const QString& typed) {
    auto* edit = static_cast<QLineEdit*>(b.editor);
    if (!pending()) return loadBinding(b);
    QString text = typed;
    if (b.kind == Kind::UpperText && text != text.toUpper()) {
        text = text.toUpper();
        const int cursor = edit->cursorPosition();
        edit->setText(text);
        edit->setCursorPosition(cursor);
    }
    if (runGuarded(edit->window(), [&] { table_->setText(b.field, text.toStdString()); }))
        emit edited(b.editor);
    else
        loadBinding(b);
}

void FieldBinder::storeDate(Binding& b, const QString& typed) {
    if (!pending()) return loadBinding(b);
    const DateEntry::Parsed parsed = DateEntry::parse(typed.toStdString());
    if (!parsed.usable()) return;  // not complete yet
    if (runGuarded(b.editor->window(), [&] { table_->setDate(b.field, parsed.date); })) emit edited(b.editor);
}

void FieldBinder::storeMemo(Binding& b) {
    auto* memo = static_cast<QPlainTextEdit*>(b.editor);
    if (!pending()) return loadBinding(b);
    if (runGuarded(memo->window(), [&] { table_->setText(b.field, memo->toPlainText().toStdString()); }))
        emit edited(b.editor);
}

void FieldBinder::loadBinding(const Binding& b) {
    if (!table_ || !table_->isOpen()) return;
    QString text;
    try {
        text = QString::fromStdString(table_->getText(b.field));
    } catch (const std::exception&) {
        // A field the table lacks shows nothing; the window's own checks name it.
        text.clear();
    }
    const bool wasLoading = loading_;
    loading_ = true;
    if (b.kind == Kind::Memo) {
        auto* memo = static_cast<QPlainTextEdit*>(b.editor);
        if (memo->toPlainText() != text) memo->setPlainText(text);
    } else {
        auto* edit = static_cast<QLineEdit*>(b.editor);
        if (b.kind == Kind::Date) {
            const DateEntry::Parsed shown = DateEntry::parse(edit->displayText().toStdString());
            if (!shown.usable() || shown.date != DateEntry::parse(text.toStdString()).date) edit->setText(text);
        } else if (edit->text() != text) {
            edit->setText(text);
        }
    }
    loading_ = wasLoading;
}

void FieldBinder::load() {
    for (const Binding& b : bindings_) loadBinding(b);
}

void FieldBinder::load(QWidget* editor) {
    if (const Binding* b = find(editor)) loadBinding(*b);
}

void FieldBinder::setEnabled(bool enabled) {
    for (const Binding& b : bindings_) b.control->setEnabled(enabled);
}

std::string FieldBinder::fieldOf(const QWidget* editor) const {
    const Binding* b = find(editor);
    return b ? b->field : std::string();
}

QWidget* FieldBinder::editorOf(std::string_view field) const {
    for (const Binding& b : bindings_)
        if (b.field == field) return b.editor;
    return nullptr;
}

std::vector<QWidget*> FieldBinder::editors() const {
    std::vector<QWidget*> out;
    for (const Binding& b : bindings_) out.push_back(b.editor);
    return out;
}

bool FieldBinder::eventFilter(QObject* watched, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(watched);
    Binding* b = editor ? find(editor) : nullptr;
    if (!b || b->kind != Kind::Date) return false;
    auto* edit = static_cast<QLineEdit*>(editor);
    if (event->type() == QEvent::FocusIn) {
        // After the mouse has placed the cursor, so the whole text stays selected.
        QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
    } else if (event->type() == QEvent::FocusOut &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        if (!DateEntry::parse(edit->displayText().toStdString()).usable()) {
            userInteraction().beep();
            loadBinding(*b);
        }
    }
    return false;
}

}  // namespace vv::shared

#include "app/qbe_filter_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/qbe_prompts.h"
#include "db/error.h"

namespace vv::app {

namespace {

const QString kTitle = QStringLiteral("Filter Condition");

QString q(const std::string& text) { return QString::fromStdString(text); }

QPushButton* button(const char* caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

QbeFilterDialog::QbeFilterDialog(std::string table, db::FieldList fields, const QbeState& state,
                                 std::string filterFile, ExpressionCheck check, QWidget* parent)
    : QDialog(parent), table_(std::move(table)), fields_(std::move(fields)), filterFile_(std::move(filterFile)),
      check_(std::move(check)) {
    setObjectName(QStringLiteral("QBEDialog"));
    setWindowTitle(kTitle);

    grid_ = new QTableWidget(static_cast<int>(fields_.size()), 3, this);
    grid_->setObjectName(QStringLiteral("FieldGrid"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Operator"), QStringLiteral("Value")});
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const int r = static_cast<int>(i);
        auto* name = new QTableWidgetItem(q(fields_[i].name));
        name->setFlags(Qt::ItemIsEnabled);
        grid_->setItem(r, 0, name);
        Row row;
        row.op = new QComboBox(grid_);
        row.op->setObjectName(q("Operator_" + fields_[i].name));
        for (QbeOperator op : qbeOperators()) row.op->addItem(QString::fromLatin1(qbeOperatorCaption(op)));
        row.value = new QLineEdit(grid_);
        row.value->setObjectName(q("Value_" + fields_[i].name));
        connect(row.op, &QComboBox::currentIndexChanged, this, &QbeFilterDialog::entriesChanged);
        connect(row.value, &QLineEdit::textChanged, this, &QbeFilterDialog::entriesChanged);
        grid_->setCellWidget(r, 1, row.op);
        grid_->setCellWidget(r, 2, row.value);
        rows_.push_back(row);
    }
    grid_->resizeColumnToContents(0);
    grid_->resizeColumnToContents(1);

    caseSensitive_ = new QCheckBox(QStringLiteral("Case S&ensitive Comparisons"), this);
    caseSensitive_->setObjectName(QStringLiteral("CaseSensitiveBox"));
    parenthesis_ = new QCheckBox(QStringLiteral("Use Leading &Parenthesis"), this);
    parenthesis_->setObjectName(QStringLiteral("ParenthesisBox"));
    manualLabel_ = new QLabel(this);
    manualLabel_->setObjectName(QStringLiteral("ManualLabel"));
    manualLabel_->setWordWrap(true);

    auto* ok = button("OK", "OKButton", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QbeFilterDialog::okClicked);
    auto* cancel = button("Cancel", "CancelButton", this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* clear = button("&Clear", "ClearButton", this);
    connect(clear, &QPushButton::clicked, this, &QbeFilterDialog::clearClicked);
    auto* save = button("&Save", "SaveButton", this);
    connect(save, &QPushButton::clicked, this, &QbeFilterDialog::saveClicked);
    auto* load = button("&Load", "LoadButton", this);
    connect(load, &QPushButton::clicked, this, &QbeFilterDialog::loadClicked);
    auto* remove = button("&Delete", "DeleteButton", this);
    connect(remove, &QPushButton::clicked, this, &QbeFilterDialog::deleteClicked);

    auto* options = new QHBoxLayout;
    options->addWidget(caseSensitive_);
    options->addWidget(parenthesis_);
    options->addStretch(1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {ok, cancel, clear, save, load, remove}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(options);
    layout->addWidget(manualLabel_);
    layout->addLayout(buttons);
    resize(560, 420);

    setState(state);
}

QbeState QbeFilterDialog::state() const {
    QbeState s;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const QbeOperator op = qbeOperators().at(static_cast<std::size_t>(std::max(0, rows_[i].op->currentIndex())));
        const std::string value = rows_[i].value->text().toStdString();
        if (value.empty() && op != QbeOperator::IsNull && op != QbeOperator::IsNotNull) continue;
        s.conditions.push_back({fields_[i].name, op, value});
    }
    s.options.caseSensitive = caseSensitive_->isChecked();
    s.options.leadingParenthesis = parenthesis_->isChecked();
    s.manualExpression = manual_;
    return s;
}

void QbeFilterDialog::setState(const QbeState& state) {
    filling_ = true;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].op->setCurrentIndex(0);
        rows_[i].value->clear();
        for (const QbeCondition& c : state.conditions) {
            if (QString::compare(q(c.field), q(fields_[i].name), Qt::CaseInsensitive) != 0) continue;
            const auto& ops = qbeOperators();
            rows_[i].op->setCurrentIndex(static_cast<int>(std::find(ops.begin(), ops.end(), c.op) - ops.begin()));
            rows_[i].value->setText(q(c.value));
        }
    }
    caseSensitive_->setChecked(state.options.caseSensitive);
    parenthesis_->setChecked(state.options.leadingParenthesis);
    manual_ = state.manualExpression;
    filling_ = false;
    showManual();
}

void QbeFilterDialog::entriesChanged() {
    if (filling_ || manual_.empty()) return;
    // Entries typed after a hand edit mean the user wants the entries again.
    manual_.clear();
    showManual();
}

void QbeFilterDialog::showManual() {
    manualLabel_->setText(manual_.empty() ? QString() : QStringLiteral("Edited filter: ") + q(manual_));
    manualLabel_->setVisible(!manual_.empty());
}

std::optional<std::string> QbeFilterDialog::checkedExpression(const std::string& text) {
    try {
        if (!text.empty() && check_) check_(text);
        return text;
    } catch (const db::Error& e) {
        qbePrompts().inform(this, QStringLiteral("Invalid filter syntax") + QLatin1Char('\n') + q(e.what()));
        return std::nullopt;
    }
}

void QbeFilterDialog::okClicked() {
    const QbeState s = state();
    std::string text = s.manualExpression;
    if (text.empty()) {
        try {
            text = buildQbeExpression(s.conditions, fields_, s.options);
        } catch (const db::Error& e) {
            qbePrompts().inform(this, QStringLiteral("Invalid filter syntax") + QLatin1Char('\n') + q(e.what()));
            return;
        }
    }
    const std::optional<std::string> checked = checkedExpression(text);
    if (!checked) return;
    expression_ = *checked;
    accept();
}

bool QbeFilterDialog::askToClear() {
    if (state().empty()) return true;
    return qbePrompts().askYesNo(this, kTitle,
                                 QStringLiteral("Current filter conditions will be cleared!") + QLatin1Char('\n') +
                                     QStringLiteral("Do you wish to continue?"));
}

void QbeFilterDialog::clearClicked() {
    if (!askToClear()) return;
    QbeState cleared;
    cleared.options = state().options;
    setState(cleared);
}

std::optional<std::vector<SavedQbeFilter>> QbeFilterDialog::readFilters() {
    try {
        return readQbeFilterFile(filterFile_);
    } catch (const db::Error& e) {
        qbePrompts().inform(this, e.kind() == db::ErrorKind::CorruptFile ? QStringLiteral("Invalid filter file format")
                                                                        : q(e.what()));
        return std::nullopt;
    }
}

bool QbeFilterDialog::writeFilters(const std::vector<SavedQbeFilter>& filters) {
    try {
        writeQbeFilterFile(filterFile_, filters);
        return true;
    } catch (const db::Error& e) {
        qbePrompts().inform(this, q(e.what()));
        return false;
    }
}

std::optional<std::size_t> QbeFilterDialog::chooseSaved(const std::vector<SavedQbeFilter>& filters,
                                                        const QString& title) {
    const std::vector<std::size_t> mine = filtersForTable(filters, table_);
    if (mine.empty()) {
        qbePrompts().inform(this, QStringLiteral("No saved filters available for selection"));
        return std::nullopt;
    }
    QStringList descriptions;
    for (std::size_t i : mine) descriptions << q(filters[i].description);
    const std::optional<int> chosen = qbePrompts().chooseItem(this, title, descriptions);
    if (!chosen || *chosen < 0 || *chosen >= descriptions.size()) return std::nullopt;
    return mine[static_cast<std::size_t>(*chosen)];
}

void QbeFilterDialog::saveClicked() {
    const std::optional<QString> description =
        qbePrompts().askText(this, QStringLiteral("Save Filter"), QStringLiteral("Enter a description for this filter"),
                             QString(), false);
    if (!description || description->trimmed().isEmpty()) return;
    std::optional<std::vector<SavedQbeFilter>> filters = readFilters();
    if (!filters) return;
    const QbeState s = state();
    SavedQbeFilter filter{table_, description->trimmed().toStdString(), s.options, s.conditions, s.manualExpression};
    // A description already used for this table is saved over.
    bool replaced = false;
    for (std::size_t i : filtersForTable(*filters, table_)) {
        if ((*filters)[i].description != filter.description) continue;
        (*filters)[i] = filter;
        replaced = true;
    }
    if (!replaced) filters->push_back(filter);
    if (writeFilters(*filters)) qbePrompts().inform(this, QStringLiteral("Filter saved!"));
}

void QbeFilterDialog::loadClicked() {
    if (!askToClear()) return;
    const std::optional<QString> file =
        qbePrompts().chooseFile(this, QStringLiteral("Open Filter File"), q(filterFile_));
    if (!file) return;
    filterFile_ = file->toStdString();
    std::optional<std::vector<SavedQbeFilter>> filters = readFilters();
    if (!filters) return;
    const std::optional<std::size_t> chosen = chooseSaved(*filters, QStringLiteral("Load Filter"));
    if (!chosen) return;
    const SavedQbeFilter& filter = (*filters)[*chosen];
    setState({filter.conditions, filter.options, filter.expression});
    if (qbePrompts().askYesNo(this, kTitle, QStringLiteral("Do you want to manually edit the filter?")))
        editByHand(*chosen, *filters);
}

void QbeFilterDialog::editByHand(std::optional<std::size_t> savedIndex, std::vector<SavedQbeFilter>& saved) {
    const QbeState s = state();
    std::string current = s.manualExpression;
    if (current.empty()) {
        try {
            current = buildQbeExpression(s.conditions, fields_, s.options);
        } catch (const db::Error&) {
            current.clear();  // entries that make no filter: start from nothing
        }
    }
    const std::optional<QString> edited =
        qbePrompts().askText(this, QStringLiteral("Edit filter"), QStringLiteral("Edit filter"), q(current), true);
    if (!edited) return;
    const std::string text = edited->trimmed().toStdString();
    if (text == current) return;
    if (!checkedExpression(text)) return;
    manual_ = text;
    showManual();
    if (!savedIndex) return;
    if (!qbePrompts().askYesNo(this, kTitle, QStringLiteral("Would you like to re-save this edited filter?"))) return;
    saved[*savedIndex].expression = text;
    if (writeFilters(saved)) qbePrompts().inform(this, QStringLiteral("Filter saved!"));
}

void QbeFilterDialog::deleteClicked() {
    std::optional<std::vector<SavedQbeFilter>> filters = readFilters();
    if (!filters) return;
    const std::optional<std::size_t> chosen = chooseSaved(*filters, QStringLiteral("Delete Filter"));
    if (!chosen) return;
    const QString question =
        QStringLiteral("Are you sure you want to delete") + QStringLiteral(" \"%1\"?").arg(q((*filters)[*chosen].description));
    if (!qbePrompts().askYesNo(this, kTitle, question)) return;
    filters->erase(filters->begin() + static_cast<std::ptrdiff_t>(*chosen));
    writeFilters(*filters);
}

}  // namespace vv::app

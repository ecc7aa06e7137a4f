#include "ProblemsPanel.h"

#include <functional>

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "zevo/sheetdocs/MarkingColours.h"

namespace zevo::ui {

namespace {

QColor qColour(grid::Colour c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

// Enter on an entry goes to its cell (the table's own Enter would only move down).
class ProblemTable : public QTableView {
public:
    using QTableView::QTableView;
    std::function<void(const QModelIndex&)> onEnter;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onEnter &&
            currentIndex().isValid()) {
            onEnter(currentIndex());
            return;
        }
        QTableView::keyPressEvent(event);
    }
};

}  // namespace

// The controller's list as a table: severity, sheet, cell, note.
class ProblemTableModel : public QAbstractTableModel {
public:
    explicit ProblemTableModel(const engine::ProblemList& list, QObject* parent)
        : QAbstractTableModel(parent), list_(list) {}
    void reload() {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(list_.problems().size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const engine::Problem& p = list_.problems()[static_cast<std::size_t>(index.row())];
        const bool error = p.severity == engine::Problem::Severity::Error;
        if (role == Qt::DisplayRole) {
            switch (index.column()) {
                case 0: return error ? QStringLiteral("Lỗi") : QStringLiteral("Cảnh báo");
                case 1: return QString::fromStdString(p.sheetName);
                case 2: return QString::fromStdString(p.cell);
                default: return QString::fromStdString(p.note);
            }
        }
        if (role == Qt::ToolTipRole && index.column() == 3) return QString::fromStdString(p.note);
        if (role == Qt::BackgroundRole && index.column() == 0)
            return qColour(error ? sheetdocs::kErrorColour : sheetdocs::kWarningColour);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        static const char* const kTitles[] = {"Mức", "Trang", "Ô", "Nội dung"};
        return section >= 0 && section < 4 ? QString::fromUtf8(kTitles[section]) : QVariant();
    }

private:
    const engine::ProblemList& list_;
};

ProblemsPanel::ProblemsPanel(engine::MainController& controller, QWidget* parent)
    : QFrame(parent), controller_(controller) {
    setObjectName(QStringLiteral("problemsPanel"));
    setFrameShape(QFrame::StyledPanel);
    model_ = new ProblemTableModel(controller_.problems(), this);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("lblProblems"));
    summary_->setWordWrap(true);
    QFont bold = summary_->font();
    bold.setBold(true);
    summary_->setFont(bold);
    auto* table = new ProblemTable(this);
    table->onEnter = [this](const QModelIndex& index) { activate(index); };
    table_ = table;
    table_->setObjectName(QStringLiteral("tblProblems"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->setColumnWidth(0, table_->fontMetrics().horizontalAdvance(QStringLiteral("Cảnh báo")) + 14);
    table_->setColumnWidth(1, table_->fontMetrics().horizontalAdvance(QStringLiteral("Danh sách")) + 14);
    table_->setColumnWidth(2, table_->fontMetrics().horizontalAdvance(QStringLiteral("AM5000")) + 14);
    connect(table_, &QTableView::clicked, this, &ProblemsPanel::activate);
    recheck_ = new QPushButton(QStringLiteral("Kiểm tra lại"), this);
    recheck_->setObjectName(QStringLiteral("cmdRecheck"));
    recheck_->setToolTip(QStringLiteral("Chạy lại các kiểm tra của tờ khai"));
    close_ = new QPushButton(QStringLiteral("Ẩn"), this);
    close_->setObjectName(QStringLiteral("cmdHideProblems"));
    connect(recheck_, &QPushButton::clicked, this, &ProblemsPanel::recheckRequested);
    connect(close_, &QPushButton::clicked, this, &ProblemsPanel::closeRequested);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(recheck_);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    update();
}

int ProblemsPanel::entryCount() const { return model_->rowCount(); }

bool ProblemsPanel::update() {
    const engine::ProblemList& list = controller_.problems();
    if (list.revision() == revision_) return false;
    revision_ = list.revision();
    // Keep the chosen entry chosen when the list around it changes.
    const int current = table_->currentIndex().row();
    model_->reload();
    const std::size_t errors = list.errorCount();
    const std::size_t warnings = list.problems().size() - errors;
    if (list.problems().empty())
        summary_->setText(QStringLiteral("Không còn lỗi nào cần sửa."));
    else
        summary_->setText(QStringLiteral("Cần sửa: %1 lỗi, %2 cảnh báo").arg(errors).arg(warnings));
    if (current >= 0 && current < model_->rowCount()) table_->setCurrentIndex(model_->index(current, 0));
    return true;
}

void ProblemsPanel::activate(const QModelIndex& index) {
    const auto& problems = controller_.problems().problems();
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= problems.size()) return;
    // A copy: going to the cell may change the list.
    const engine::Problem problem = problems[static_cast<std::size_t>(index.row())];
    if (controller_.goToProblem(problem)) emit wentToCell();
}

}  // namespace zevo::ui

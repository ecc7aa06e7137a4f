#include "frmImportList.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <exception>

#include "zevo/clsMessageBox.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/ColumnLetters.h"

namespace zevo::ui {

namespace {

constexpr int kPreviewRows = 15;

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

frmImportList::frmImportList(engine::MainController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setObjectName(QStringLiteral("frmImportList"));
    setWindowTitle(QStringLiteral("Nhập danh sách cá nhân từ bảng tính"));
    setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    setModal(true);

    auto* lblPath = new QLabel(QStringLiteral("&Tệp bảng lương (.xlsx, .csv):"), this);
    lblPath->setObjectName(QStringLiteral("lblPath"));
    txtPath = new QLineEdit(this);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    lblPath->setBuddy(txtPath);
    cmdBrowser = new QPushButton(QStringLiteral("..."), this);
    cmdBrowser->setObjectName(QStringLiteral("cmdBrowser"));
    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);

    auto* framePreview = new QGroupBox(QStringLiteral("Các dòng đầu của tệp"), this);
    framePreview->setObjectName(QStringLiteral("framePreview"));
    tblPreview = new QTableWidget(framePreview);
    tblPreview->setObjectName(QStringLiteral("tblPreview"));
    tblPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblPreview->verticalHeader()->setDefaultSectionSize(20);
    // Wide enough for the cells and for the header naming the field.
    tblPreview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* previewLayout = new QVBoxLayout(framePreview);
    previewLayout->addWidget(tblPreview);

    auto* frameMapping = new QGroupBox(QStringLiteral("Cột của tệp cho từng trường"), this);
    frameMapping->setObjectName(QStringLiteral("frameMapping"));
    tblMapping = new QTableWidget(static_cast<int>(engine::listFields().size()), 2, frameMapping);
    tblMapping->setObjectName(QStringLiteral("tblMapping"));
    tblMapping->setHorizontalHeaderLabels({QStringLiteral("Trường của tờ khai"), QStringLiteral("Cột của tệp")});
    tblMapping->verticalHeader()->hide();
    tblMapping->verticalHeader()->setDefaultSectionSize(24);
    tblMapping->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tblMapping->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    tblMapping->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes from one field's box to the next.
    tblMapping->setTabKeyNavigation(false);
    tblMapping->setFocusPolicy(Qt::NoFocus);
    for (std::size_t f = 0; f < engine::listFields().size(); ++f) {
        const engine::ListField& field = engine::listFields()[f];
        auto* item = new QTableWidgetItem(qs(field.caption) + QStringLiteral("  (") + qs(field.column) + u')');
        item->setToolTip(QStringLiteral("--map ") + QString::fromLatin1(field.key) + QStringLiteral("=..."));
        tblMapping->setItem(static_cast<int>(f), 0, item);
        auto* box = new QComboBox(tblMapping);
        box->setObjectName(QStringLiteral("cbo_") + QString::fromLatin1(field.key));
        connect(box, &QComboBox::currentIndexChanged, this, [this] { markMappedColumns(); });
        tblMapping->setCellWidget(static_cast<int>(f), 1, box);
    }
    // The boxes keep room for a column's letter and header on a narrow screen; the
    // preview scrolls instead.
    frameMapping->setMinimumWidth(400);
    auto* mappingLayout = new QVBoxLayout(frameMapping);
    mappingLayout->addWidget(tblMapping);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    tblReport = new QTableWidget(0, 5, this);
    tblReport->setObjectName(QStringLiteral("tblReport"));
    tblReport->setHorizontalHeaderLabels({QStringLiteral("Dòng"), QStringLiteral("Cột"), QStringLiteral("Trường"),
                                          QStringLiteral("Giá trị"), QStringLiteral("Lý do")});
    tblReport->verticalHeader()->hide();
    tblReport->verticalHeader()->setDefaultSectionSize(20);
    tblReport->horizontalHeader()->setStretchLastSection(true);
    tblReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblReport->setMaximumHeight(170);
    tblReport->hide();

    cmdImport = new QPushButton(QStringLiteral("&Nhập vào tờ khai"), this);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    cmdImport->setEnabled(false);
    cmdCopy = new QPushButton(QStringLiteral("&Chép báo cáo"), this);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    cmdCopy->setEnabled(false);
    cmdClose = new QPushButton(QStringLiteral("Đón&g"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    // Enter in the path box reads the file and nothing more: importing is a
    // deliberate Alt+N once the mapping has been looked at.
    for (QPushButton* b : {cmdBrowser, cmdImport, cmdCopy, cmdClose}) b->setAutoDefault(false);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(lblPath);
    pathRow->addWidget(txtPath, 1);
    pathRow->addWidget(cmdBrowser);
    auto* tables = new QHBoxLayout;
    tables->addWidget(framePreview, 3);
    tables->addWidget(frameMapping, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdCopy);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addWidget(lblInfo);
    layout->addLayout(tables, 1);
    layout->addWidget(lblSummary);
    layout->addWidget(tblReport);
    layout->addLayout(buttons);

    connect(cmdBrowser, &QPushButton::clicked, this, [this] { browse(); });
    connect(txtPath, &QLineEdit::returnPressed, this, [this] { openFile(txtPath->text()); });
    connect(cmdImport, &QPushButton::clicked, this, [this] { importNow(); });
    connect(cmdCopy, &QPushButton::clicked, this, [this] { copyReport(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    clsMessageBox().SetControlCaption(this, "frmImportList");
    // As large as the form wants, within the screen.
    QSize size(1100, 640);
    if (const QScreen* shownOn = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(shownOn->availableGeometry().size() - QSize(20, 40));
    resize(size);
}

void frmImportList::browse() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Chọn tệp bảng lương"), QFileInfo(txtPath->text()).absolutePath(),
        QStringLiteral("Bảng tính (*.xlsx *.csv *.txt);;Tất cả các tệp (*)"));
    if (!path.isEmpty()) openFile(path);
}

bool frmImportList::openFile(const QString& path) {
    txtPath->setText(path);
    table_.reset();
    tblReport->hide();
    lblSummary->clear();
    cmdCopy->setEnabled(false);
    try {
        table_ = std::make_unique<engine::SourceTable>(engine::readSourceTable(path.toStdString()));
    } catch (const std::exception& e) {
        lblInfo->setText(QStringLiteral("Không đọc được tệp: ") + qs(e.what()));
        fillPreview();
        fillMapping(engine::ColumnMapping(engine::listFields().size(), -1));
        cmdImport->setEnabled(false);
        return false;
    }
    const int header = table_->headerRow;
    const int dataRows = static_cast<int>(table_->rows.size()) - header - 1;
    lblInfo->setText(header >= 0
                         ? QStringLiteral("%1 — dòng tiêu đề: %2 — %3 dòng dữ liệu. Các cột đã được đoán theo "
                                          "tiêu đề; hãy xem lại trước khi nhập.")
                               .arg(qs(table_->format))
                               .arg(header + 1)
                               .arg(dataRows)
                         : QStringLiteral("%1 — không thấy dòng tiêu đề: mọi dòng là dữ liệu (%2 dòng). Hãy chọn "
                                          "cột cho từng trường.")
                               .arg(qs(table_->format))
                               .arg(dataRows));
    fillPreview();
    fillMapping(header >= 0 ? engine::guessMapping(table_->rows[static_cast<std::size_t>(header)])
                            : engine::ColumnMapping(engine::listFields().size(), -1));
    cmdImport->setEnabled(true);
    return true;
}

void frmImportList::fillPreview() {
    tblPreview->clear();
    if (!table_) {
        tblPreview->setRowCount(0);
        tblPreview->setColumnCount(0);
        return;
    }
    const int cols = table_->columnCount();
    const int first = std::max(table_->headerRow, 0);
    const int rows = std::min(kPreviewRows, static_cast<int>(table_->rows.size()) - first);
    tblPreview->setColumnCount(cols);
    tblPreview->setRowCount(rows);
    QStringList numbers;
    for (int r = 0; r < rows; ++r) numbers << QString::number(first + r + 1);
    tblPreview->setVerticalHeaderLabels(numbers);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            auto* item = new QTableWidgetItem(qs(table_->cell(first + r, c)));
            if (first + r == table_->headerRow) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            tblPreview->setItem(r, c, item);
        }
    markMappedColumns();
}

void frmImportList::markMappedColumns() {
    const int cols = tblPreview->columnCount();
    QStringList labels;
    for (int c = 0; c < cols; ++c) labels << qs(grid::columnLetters(c + 1));
    const engine::ColumnMapping m = mapping();
    for (std::size_t f = 0; f < m.size(); ++f)
        if (m[f] >= 0 && m[f] < cols)
            labels[m[f]] += QStringLiteral(" → ") + qs(engine::listFields()[f].caption);
    tblPreview->setHorizontalHeaderLabels(labels);
}

void frmImportList::fillMapping(const engine::ColumnMapping& guess) {
    QStringList choices{QStringLiteral("— không nhập —")};
    if (table_) {
        for (int c = 0; c < table_->columnCount(); ++c) {
            QString header = table_->headerRow >= 0 ? qs(table_->cell(table_->headerRow, c)) : QString();
            choices << qs(grid::columnLetters(c + 1)) + (header.isEmpty() ? QString() : QStringLiteral(": ") + header);
        }
    }
    for (std::size_t f = 0; f < engine::listFields().size(); ++f) {
        auto* box = qobject_cast<QComboBox*>(tblMapping->cellWidget(static_cast<int>(f), 1));
        box->clear();
        box->addItems(choices);
        box->setCurrentIndex(f < guess.size() ? guess[f] + 1 : 0);
    }
}

engine::ColumnMapping frmImportList::mapping() const {
    engine::ColumnMapping out(engine::listFields().size(), -1);
    for (std::size_t f = 0; f < out.size(); ++f)
        if (auto* box = qobject_cast<QComboBox*>(tblMapping->cellWidget(static_cast<int>(f), 1)))
            out[f] = box->currentIndex() - 1;
    return out;
}

QComboBox* frmImportList::mappingBox(const char* fieldKey) const {
    const int f = engine::fieldIndex(fieldKey);
    return f < 0 ? nullptr : qobject_cast<QComboBox*>(tblMapping->cellWidget(f, 1));
}

bool frmImportList::importNow() {
    if (!table_) return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    report_ = engine::importList(controller_, *table_, mapping());
    QApplication::restoreOverrideCursor();
    lblSummary->setText(qs(report_.summary()));
    tblReport->setRowCount(static_cast<int>(report_.issues.size()));
    for (int r = 0; r < tblReport->rowCount(); ++r) {
        const engine::ImportIssue& issue = report_.issues[static_cast<std::size_t>(r)];
        const QString cells[] = {QString::number(issue.row), qs(issue.column), qs(issue.field), qs(issue.value),
                                 qs(issue.reason) + (issue.rowLeftOut ? QStringLiteral(" (dòng không nhập)") : QString())};
        for (int c = 0; c < 5; ++c) tblReport->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    tblReport->resizeColumnsToContents();
    tblReport->setVisible(!report_.issues.empty());
    cmdCopy->setEnabled(!report_.issues.empty());
    // One import per file read: a second press would append the rows again.
    cmdImport->setEnabled(false);
    return report_.failure.empty() && report_.imported > 0;
}

void frmImportList::copyReport() {
    QApplication::clipboard()->setText(qs(report_.summary() + "\n" + report_.table()));
}

}  // namespace zevo::ui

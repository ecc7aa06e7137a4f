#include "frmBackup_Restore.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "zevo/clsMessageBox.h"

namespace zevo::exchange::ui {

namespace {

// The form's measures are in twips; the screen has 15 twips per pixel.
constexpr int px(int twips) { return twips / 15; }

constexpr int kWidthTw = 6900;
constexpr int kMarginTw = 120;
constexpr int kBannerTw = 320;
constexpr int kOptionTw = 330;           // one option button's row in Frame1
constexpr int kFrame1TopTw = 480;
constexpr int kFrame1HeightTw = 300 + 3 * kOptionTw + 120;
constexpr int kPathBoxTw = 330;
constexpr int kButtonTw = 420;
constexpr int kFrame2HeightTw = 2400;

QFont formFont() { return QFont(QStringLiteral("DejaVu Sans"), 9); }

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The OK button's accelerator letter, whatever the caption catalogue wrote.
void keepAccelerator(QPushButton* button, QChar letter) {
    QString text = button->text();
    if (text.contains(QLatin1Char('&'))) return;
    const int at = text.indexOf(letter, 0, Qt::CaseInsensitive);
    if (at >= 0)
        text.insert(at, QLatin1Char('&'));
    else
        text += QStringLiteral(" (&") + letter + QLatin1Char(')');
    button->setText(text);
}

}  // namespace

frmBackup_Restore::frmBackup_Restore(grid::Spread& grid, DeclarationHost host, QWidget* parent)
    : QDialog(parent), controller_(grid, std::move(host)) {
    setObjectName(QStringLiteral("frmBackup_Restore"));
    setFont(formFont());
    setModal(true);
    // Children in control order (captions are applied in this order).
    imgCaption = new QLabel(this);
    imgCaption->setObjectName(QStringLiteral("imgCaption"));
    lblCaption = new QLabel(this);
    lblCaption->setObjectName(QStringLiteral("lblCaption"));
    Frame1 = new QGroupBox(QStringLiteral("Kết xuất ra"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    optionData = new QRadioButton(QStringLiteral("Tệp dữ liệu hồ sơ (.txt)"), Frame1);
    optionData->setObjectName(QStringLiteral("optionData"));
    optionExcel = new QRadioButton(QStringLiteral("Tệp Excel"), Frame1);
    optionExcel->setObjectName(QStringLiteral("optionExcel"));
    optionExcelSpecial = new QRadioButton(QStringLiteral("Tệp Excel khổ A3"), Frame1);
    optionExcelSpecial->setObjectName(QStringLiteral("optionExcelSpecial"));
    lblMsg = new QLabel(QStringLiteral("Tên tệp:"), this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    txtPath = new QLineEdit(this);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    cmdBrowser = new QPushButton(QStringLiteral("..."), this);
    cmdBrowser->setObjectName(QStringLiteral("cmdBrowser"));
    cmdExt = new QPushButton(QStringLiteral("Chọn trang >>"), this);
    cmdExt->setObjectName(QStringLiteral("cmdExt"));
    cmdColl = new QPushButton(QStringLiteral("<< Thu gọn"), this);
    cmdColl->setObjectName(QStringLiteral("cmdColl"));
    cmdOK = new QPushButton(QStringLiteral("&Kết xuất"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdClose = new QPushButton(QStringLiteral("Đóng"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    Frame2 = new QGroupBox(QStringLiteral("Các trang tờ khai"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    chkSelectAll = new QCheckBox(QStringLiteral("Chọn tất cả"), Frame2);
    chkSelectAll->setObjectName(QStringLiteral("chkSelectAll"));
    fpSpread1 = new QTableWidget(0, 1, Frame2);
    fpSpread1->setObjectName(QStringLiteral("fpSpread1"));
    fpSpread1->horizontalHeader()->hide();
    fpSpread1->verticalHeader()->hide();
    fpSpread1->setColumnWidth(0, 37 * fpSpread1->fontMetrics().averageCharWidth());
    fpSpread1->setWordWrap(true);

    for (QRadioButton* option : {optionData, optionExcel, optionExcelSpecial}) option->installEventFilter(this);
    fpSpread1->installEventFilter(this);
    connect(optionData, &QRadioButton::clicked, this, [this] { controller_.optionClick(ExchangeOption::Data); });
    connect(optionExcel, &QRadioButton::clicked, this, [this] { controller_.optionClick(ExchangeOption::Excel); });
    connect(optionExcelSpecial, &QRadioButton::clicked, this,
            [this] { controller_.optionClick(ExchangeOption::ExcelSpecial); });
    connect(txtPath, &QLineEdit::textEdited, this,
            [this](const QString& text) { controller_.setPath(text.toStdString()); });
    connect(cmdBrowser, &QPushButton::clicked, this, [this] { controller_.cmdBrowser_Click(); });
    connect(cmdExt, &QPushButton::clicked, this, [this] { controller_.cmdExt_Click(); });
    connect(cmdColl, &QPushButton::clicked, this, [this] { controller_.cmdColl_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { controller_.cmdOK_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { controller_.cmdClose_Click(); });
    connect(chkSelectAll, &QCheckBox::clicked, this, [this](bool on) { controller_.chkSelectAll_Click(on); });
    connect(fpSpread1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!updating_) controller_.sheetRowChanged(item->row(), item->checkState() == Qt::Checked);
    });
    controller_.setView(this);
}

QRadioButton* frmBackup_Restore::optionButton(ExchangeOption option) const {
    switch (option) {
        case ExchangeOption::Excel: return optionExcel;
        case ExchangeOption::ExcelSpecial: return optionExcelSpecial;
        default: return optionData;
    }
}

void frmBackup_Restore::showEvent(QShowEvent* event) {
    if (!controller_.loaded()) {
        controller_.Form_Load();
        if (!initialPath_.empty()) {
            controller_.setPath(initialPath_);
            stateChanged();
        }
    }
    QDialog::showEvent(event);
}

void frmBackup_Restore::applyCaptions(const std::string& section) {
    clsMessageBox().SetControlCaption(this, section);
    keepAccelerator(cmdOK, controller_.bIsBackup ? QLatin1Char('K') : QLatin1Char('T'));
}

void frmBackup_Restore::stateChanged() {
    updating_ = true;
    const bool exporting = controller_.bIsBackup;
    optionButton(controller_.option())->setChecked(true);
    txtPath->setText(qs(controller_.path()));
    chkSelectAll->setChecked(controller_.selectAll());
    const auto& rows = controller_.sheetRows();
    fpSpread1->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        QTableWidgetItem* item = fpSpread1->item(r, 0);
        if (!item) {
            item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            fpSpread1->setItem(r, 0, item);
        }
        item->setText(qs(rows[static_cast<std::size_t>(r)].caption));
        item->setCheckState(rows[static_cast<std::size_t>(r)].checked ? Qt::Checked : Qt::Unchecked);
    }
    fpSpread1->resizeRowsToContents();
    optionExcelSpecial->setVisible(exporting);
    cmdExt->setVisible(exporting && !controller_.sheetListShown());
    cmdColl->setVisible(exporting && controller_.sheetListShown());
    Frame2->setVisible(controller_.sheetListShown());
    updating_ = false;
    layoutControls();
}

void frmBackup_Restore::layoutControls() {
    // The import face has no special Excel option: everything below it moves up.
    const int lift = controller_.bIsBackup ? 0 : kOptionTw;
    const int w = kWidthTw;
    Frame1->setGeometry(px(kMarginTw), px(kFrame1TopTw), px(w - 2 * kMarginTw), px(kFrame1HeightTw - lift));
    int top = 300;
    for (QRadioButton* option : {optionData, optionExcel, optionExcelSpecial}) {
        option->setGeometry(px(240), px(top), px(w - 2 * kMarginTw - 480), px(kOptionTw - 30));
        top += kOptionTw;
    }
    int y = kFrame1TopTw + kFrame1HeightTw - lift + kMarginTw;
    lblMsg->setGeometry(px(kMarginTw), px(y), px(w - 2 * kMarginTw), px(270));
    y += 300;
    const int browseTw = 480;
    txtPath->setGeometry(px(kMarginTw), px(y), px(w - 3 * kMarginTw - browseTw), px(kPathBoxTw));
    cmdBrowser->setGeometry(px(w - kMarginTw - browseTw), px(y), px(browseTw), px(kPathBoxTw));
    y += kPathBoxTw + 2 * kMarginTw;
    const int buttonW = 1500;
    cmdExt->setGeometry(px(kMarginTw), px(y), px(buttonW), px(kButtonTw));
    cmdColl->setGeometry(px(kMarginTw), px(y), px(buttonW), px(kButtonTw));
    cmdClose->setGeometry(px(w - kMarginTw - buttonW), px(y), px(buttonW), px(kButtonTw));
    cmdOK->setGeometry(px(w - 2 * (kMarginTw + buttonW)), px(y), px(buttonW), px(kButtonTw));
    y += kButtonTw + kMarginTw;
    Frame2->setGeometry(px(kMarginTw), px(y), px(w - 2 * kMarginTw), px(kFrame2HeightTw - kMarginTw));
    chkSelectAll->setGeometry(px(180), px(300), px(w - 600), px(300));
    fpSpread1->setGeometry(px(180), px(660), px(w - 2 * kMarginTw - 360), px(kFrame2HeightTw - 960));
    if (controller_.sheetListShown()) y += kFrame2HeightTw;
    setFixedSize(px(w), px(y));
}

void frmBackup_Restore::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    clsMessageBox().SetFormCaption(this, imgCaption, lblCaption);
}

void frmBackup_Restore::focusPath() { txtPath->setFocus(); }

std::optional<std::string> frmBackup_Restore::pickFolder(const std::string& title, const std::string& start) {
    const QString folder = QFileDialog::getExistingDirectory(this, qs(title), qs(start), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return std::nullopt;
    return folder.toStdString();
}

std::optional<std::string> frmBackup_Restore::pickFile(const std::string& title, bool save,
                                                       const std::string& start) {
    const QString filter = QStringLiteral("Text file (*.txt)");
    const QString file = save ? QFileDialog::getSaveFileName(this, qs(title), qs(start), filter, nullptr,
                                                             QFileDialog::DontConfirmOverwrite)
                              : QFileDialog::getOpenFileName(this, qs(title), qs(start), filter);
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

void frmBackup_Restore::hideForm() { hide(); }

void frmBackup_Restore::closeForm() { done(QDialog::Accepted); }

void frmBackup_Restore::done(int result) {
    controller_.Form_Unload();
    QDialog::done(result);
}

void frmBackup_Restore::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F4 && (event->modifiers() & Qt::AltModifier)) {
        controller_.cmdClose_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmBackup_Restore::eventFilter(QObject* watched, QEvent* event) {
    const bool in = event->type() == QEvent::FocusIn, out = event->type() == QEvent::FocusOut;
    if (!in && !out) return false;
    if (watched == fpSpread1) {
        controller_.sheetListFocus(in);
    } else if (out) {
        for (ExchangeOption option : {ExchangeOption::Data, ExchangeOption::Excel, ExchangeOption::ExcelSpecial})
            if (watched == optionButton(option)) controller_.optionLostFocus(option);
    }
    return false;
}

}  // namespace zevo::exchange::ui

#include "frmReports.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "frmPreview.h"
#include "zevo/clsMessageBox.h"
#include "zevo/printing/frmReportData.h"

namespace zevo::printing {

namespace {

// The banner's height (320 twips).
constexpr int kBannerHeight = 21;

QLabel* label(QWidget* parent, const char* name, const char* text) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* text) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumWidth(96);
    return b;
}

}  // namespace

frmReports::frmReports(const grid::SpreadModel& mainGrid, QWidget* parent)
    : QDialog(parent), controller_(mainGrid) {
    setObjectName(QStringLiteral("frmReports"));
    setWindowTitle(QStringLiteral("In tờ khai"));
    setModal(true);
    createControls();
    layOut();
    controller_.Form_Load();
    for (const std::string& name : controller_.printers()) cboPrinters->addItem(QString::fromStdString(name));
    cboPrinters->setCurrentIndex(controller_.printerIndex());
    txtNumberOfCopies->setText(QString::fromStdString(controller_.copiesText()));
    clsMessageBox().SetControlCaption(this, "frmReports");

    connectControls();
    refresh();
    resize(480, sizeHint().height());
}

void frmReports::createControls() {
    // Children in control order (captions are applied in this order).
    imgCaption = new QLabel(this);
    imgCaption->setObjectName(QStringLiteral("imgCaption"));
    lblCaption = label(this, "lblCaption", "IN TỜ KHAI ĐĂNG KÝ THUẾ");
    lblPrinter = label(this, "lblPrinter", "Máy in:");
    cboPrinters = new QComboBox(this);
    cboPrinters->setObjectName(QStringLiteral("cboPrinters"));
    lblCopies = label(this, "lblCopies", "Số bản in:");
    txtNumberOfCopies = new QLineEdit(this);
    txtNumberOfCopies->setObjectName(QStringLiteral("txtNumberOfCopies"));
    txtNumberOfCopies->setMaxLength(3);
    lblPages = label(this, "lblPages", "Các tờ cần in:");
    txtPages = new QLineEdit(this);
    txtPages->setObjectName(QStringLiteral("txtPages"));
    lblPagesHint = label(this, "lblPagesHint", "Ví dụ: 1,3-5\nĐể trống để in tất cả");
    lblPagesHint->setStyleSheet(QStringLiteral("color: #505050"));
    cmdPreview = button(this, "cmdPreview", "Xem trước");
    cmdPrint = button(this, "cmdPrint", "In");
    cmdSavePdf = button(this, "cmdSavePdf", "Lưu PDF");
    cmdExit = button(this, "cmdExit", "Thoát");
}

void frmReports::layOut() {
    auto* form = new QGridLayout;
    form->addWidget(lblPrinter, 0, 0);
    form->addWidget(cboPrinters, 0, 1, 1, 2);
    form->addWidget(lblCopies, 1, 0);
    form->addWidget(txtNumberOfCopies, 1, 1);
    form->addWidget(lblPages, 2, 0);
    form->addWidget(txtPages, 2, 1);
    form->addWidget(lblPagesHint, 2, 2, 2, 1, Qt::AlignTop);
    form->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {cmdPreview, cmdPrint, cmdSavePdf, cmdExit}) buttons->addWidget(b);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, kBannerHeight + 14, 12, 12);
    outer->addLayout(form);
    outer->addSpacing(10);
    outer->addLayout(buttons);
}

void frmReports::connectControls() {
    txtNumberOfCopies->installEventFilter(this);
    txtPages->installEventFilter(this);
    connect(cboPrinters, &QComboBox::currentIndexChanged, this, [this](int index) {
        controller_.setPrinterIndex(index);
        refresh();
    });
    connect(txtNumberOfCopies, &QLineEdit::textEdited, this, [this](const QString& text) {
        const std::string kept = controller_.txtNumberOfCopies_Change(text.toStdString());
        if (kept != text.toStdString()) txtNumberOfCopies->setText(QString::fromStdString(kept));
    });
    connect(txtPages, &QLineEdit::textEdited, this, [this](const QString& text) {
        const std::string kept = controller_.txtPages_Change(text.toStdString());
        if (kept != text.toStdString()) txtPages->setText(QString::fromStdString(kept));
    });
    controller_.focusControl = [this](const std::string& control) {
        QLineEdit* box = control == "txtPages" ? txtPages : txtNumberOfCopies;
        box->setFocus();
        box->selectAll();
    };
    controller_.showPreview = [this](frmReportData& report) {
        frmPreview preview(report, controller_, this);
        setEnabled(false);
        preview.setEnabled(true);
        preview.exec();
        setEnabled(true);
        return !controller_.unloaded();
    };
    connect(cmdPreview, &QPushButton::clicked, this, [this] {
        controller_.cmdPreview_Click();
        afterCommand();
    });
    connect(cmdPrint, &QPushButton::clicked, this, [this] {
        controller_.cmdPrint_Click();
        afterCommand();
    });
    connect(cmdSavePdf, &QPushButton::clicked, this, [this] { savePdf(); });
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);
}

void frmReports::refresh() {
    cmdPreview->setEnabled(controller_.previewEnabled());
    cmdPrint->setEnabled(controller_.printEnabled());
}

void frmReports::afterCommand() {
    if (controller_.unloaded()) accept();
}

void frmReports::savePdf() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    QString path = QFileDialog::getSaveFileName(this, cmdSavePdf->text(), folder + QStringLiteral("/ToKhaiDangKyThue.pdf"),
                                                QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
    // Saved: the reports are done, as after printing.
    if (controller_.cmdSavePdf_Click(path.toStdString())) accept();
}

bool frmReports::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == txtNumberOfCopies || watched == txtPages)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Keys without a character (arrows, Delete) edit the box; a change they
        // make is checked like any other.
        if (key->key() == Qt::Key_Backspace || text.isEmpty() || !text.at(0).isPrint()) return false;
        const int code = text.at(0).unicode();
        const bool accepted = watched == txtPages ? controller_.txtPages_KeyPress(code)
                                                  : controller_.txtNumberOfCopies_KeyPress(code);
        return !accepted;
    }
    return QDialog::eventFilter(watched, event);
}

void frmReports::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    clsMessageBox().SetFormCaption(this, imgCaption, lblCaption);
}

void frmReports::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, 200 twips above the centre.
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center().x() - width() / 2, area.center().y() - height() / 2 - 13);
    }
}

}  // namespace zevo::printing

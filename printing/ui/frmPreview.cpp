#include "frmPreview.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/printing/ReportsController.h"
#include "zevo/printing/frmReportData.h"

namespace zevo::printing {

namespace {

constexpr int kBannerHeight = 21;
constexpr int kPageGap = 16;   // grey around the paper

QPixmap picture(const std::string& name) {
    QImageReader reader(QString::fromStdString(clsMessageBox().GetAbsolutePath("..\\Pictures\\" + name)));
    reader.setDecideFormatFromContent(true);
    return QPixmap::fromImage(reader.read());
}

// The "Caption" of the control's entry in this form's caption section.
QString controlCaption(const char* control) {
    for (const xml::Node& section : clsVariables().NodeCaption().childElements()) {
        if (QString::fromStdString(section.name()).compare(QStringLiteral("frmPreview"), Qt::CaseInsensitive) != 0)
            continue;
        for (const xml::Node& child : section.childElements())
            if (documents::GetAttributeValue(child, "Name") == control)
                return QString::fromStdString(documents::GetAttributeValue(child, "Caption"));
        break;
    }
    return {};
}

}  // namespace

// The current page on grey: fitted into the window, or at its printed size
// (zoomed) in a scrolled area.
class frmPreview::PageView : public QWidget {
public:
    explicit PageView(PreviewController& controller, QWidget* parent) : QWidget(parent), controller_(controller) {
        setObjectName(QStringLiteral("fpsReport"));
        setFocusPolicy(Qt::StrongFocus);
    }

    // The page's size on screen at 100 %, with the grey around it.
    QSize zoomedSize() const {
        const QSizeF page = controller_.pageSizePoints() * (logicalDpiX() / 72.0);
        return QSize(static_cast<int>(page.width()) + 2 * kPageGap, static_cast<int>(page.height()) + 2 * kPageGap);
    }
    void pageChanged() {
        image_ = QImage();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(128, 128, 128));
        const QSizeF points = controller_.pageSizePoints();
        const double ppp = controller_.zoomed()
                               ? logicalDpiX() / 72.0
                               : std::max(0.05, std::min((width() - 2.0 * kPageGap) / points.width(),
                                                         (height() - 2.0 * kPageGap) / points.height()));
        const QSize pagePx(static_cast<int>(points.width() * ppp), static_cast<int>(points.height() * ppp));
        if (pagePx.isEmpty()) return;
        if (image_.size() != pagePx || imagePage_ != controller_.currentPage()) {
            // Drawn at the resolution it is shown at, so text keeps its size.
            image_ = QImage(pagePx, QImage::Format_RGB32);
            const double dpi = ppp * 72;
            image_.setDotsPerMeterX(static_cast<int>(dpi / 0.0254));
            image_.setDotsPerMeterY(static_cast<int>(dpi / 0.0254));
            QPainter ip(&image_);
            controller_.paintCurrent(ip, QRectF(QPointF(0, 0), QSizeF(pagePx)), dpi);
            imagePage_ = controller_.currentPage();
        }
        const QPoint at(std::max(kPageGap, (width() - pagePx.width()) / 2), kPageGap);
        p.fillRect(QRect(at + QPoint(3, 3), pagePx), QColor(60, 60, 60));
        p.drawImage(at, image_);
    }

private:
    PreviewController& controller_;
    QImage image_;
    int imagePage_ = 0;
};

frmPreview::frmPreview(frmReportData& report, ReportsController& reports, QWidget* parent)
    : QDialog(parent), controller_(report), reports_(reports) {
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("Xem trước khi in"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    imgCaption = new QLabel(this);
    imgCaption->setObjectName(QStringLiteral("imgCaption"));
    lblCaption = new QLabel(QStringLiteral("XEM TRƯỚC TỜ KHAI"), this);
    lblCaption->setObjectName(QStringLiteral("lblCaption"));

    toolbar_ = new QWidget(this);
    toolbar_->setObjectName(QStringLiteral("fpsToolbar"));
    toolbar_->setAutoFillBackground(true);
    toolbar_->setBackgroundRole(QPalette::Button);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    toolbar_->setFont(font);
    cmdNext = makeButton("cmdNext", "RIGHT", " [Ctrl+N] ", QKeySequence(Qt::CTRL | Qt::Key_N));
    cmdPrevious = makeButton("cmdPrevious", "LEFT", " [Ctrl+P] ", QKeySequence(Qt::CTRL | Qt::Key_P));
    cmdZoom = makeButton("cmdZoom", "ZOOM", " [Ctrl+Z] ", QKeySequence(Qt::CTRL | Qt::Key_Z));
    cmdPrint = makeButton("cmdPrint", "PRINT", " [Ctrl+I] ", QKeySequence(Qt::CTRL | Qt::Key_I));
    cmdClose = makeButton("cmdClose", "CLOSE", " [Ctrl+X] ", QKeySequence(Qt::CTRL | Qt::Key_X));
    lblCounter = new QLabel(toolbar_);
    lblCounter->setObjectName(QStringLiteral("lblCounter"));
    lblCounter->setMinimumWidth(120);
    lblCounter->setAlignment(Qt::AlignCenter);
    auto* row = new QHBoxLayout(toolbar_);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(6);
    for (QWidget* w : std::initializer_list<QWidget*>{cmdNext, cmdPrevious, cmdZoom, cmdPrint, lblCounter})
        row->addWidget(w);
    row->addStretch();
    row->addWidget(cmdClose);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("scrollPreview"));
    scroll_->setBackgroundRole(QPalette::Dark);
    page_ = new PageView(controller_, scroll_);
    scroll_->setWidget(page_);
    scroll_->setWidgetResizable(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, kBannerHeight, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(toolbar_);
    outer->addWidget(scroll_, 1);

    clsMessageBox().SetControlCaption(this, "frmPreview");
    // The toolbar's buttons show pictures, their captions go to the tooltips.
    for (QToolButton* b : {cmdNext, cmdPrevious, cmdZoom, cmdPrint, cmdClose}) b->setText(QString());

    connect(cmdNext, &QToolButton::clicked, this, [this] {
        controller_.cmdNext_Click();
        UpdatePageCount();
    });
    connect(cmdPrevious, &QToolButton::clicked, this, [this] {
        controller_.cmdPrevious_Click();
        UpdatePageCount();
    });
    connect(cmdZoom, &QToolButton::clicked, this, [this] {
        controller_.cmdZoom_Click();
        // Zoomed, the page keeps its printed size and the area scrolls.
        scroll_->setWidgetResizable(!controller_.zoomed());
        if (controller_.zoomed()) page_->resize(page_->zoomedSize());
        page_->pageChanged();
        page_->setFocus();
    });
    connect(cmdPrint, &QToolButton::clicked, this, [this] {
        if (reports_.printFromPreview(controller_.report())) accept();
    });
    connect(cmdClose, &QToolButton::clicked, this, &QDialog::reject);
    // A whole A4 page at a readable size, within the screen.
    QSize size(900, 1000);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(40, 60));
    resize(size);
    UpdatePageCount();
}

QToolButton* frmPreview::makeButton(const char* name, const char* pictureName, const char* suffix,
                                    const QKeySequence& shortcut) {
    auto* b = new QToolButton(toolbar_);
    b->setObjectName(QString::fromLatin1(name));
    b->setProperty("picture", QString::fromLatin1(pictureName));
    b->setAutoRaise(true);
    b->setIconSize(QSize(24, 24));
    const QString caption = controlCaption(name);
    if (!caption.isEmpty()) b->setToolTip(caption + QString::fromLatin1(suffix));
    auto* key = new QShortcut(shortcut, this);
    connect(key, &QShortcut::activated, b, [b] {
        if (b->isEnabled()) b->click();
    });
    setButtonEnabled(b, true);
    return b;
}

void frmPreview::setButtonEnabled(QToolButton* b, bool enabled) {
    const std::string name = b->property("picture").toString().toStdString();
    const QPixmap pixmap = picture(name + (enabled ? ".BMP" : "DIS.BMP"));
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Disabled);
    b->setIcon(icon);
    b->setEnabled(enabled);
    QPalette palette = b->palette();
    palette.setColor(QPalette::ButtonText, enabled ? QColor(0, 0, 0) : QColor(128, 128, 128));
    b->setPalette(palette);
}

QToolButton* frmPreview::button(const char* name) const {
    return findChild<QToolButton*>(QString::fromLatin1(name));
}

QString frmPreview::counterText() const { return lblCounter->text(); }

void frmPreview::UpdatePageCount() {
    lblCounter->setText(QString::fromStdString(controller_.counterText()));
    setButtonEnabled(cmdNext, controller_.nextEnabled());
    setButtonEnabled(cmdPrevious, controller_.previousEnabled());
    page_->pageChanged();
    page_->setFocus();
}

void frmPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    clsMessageBox().SetFormCaption(this, imgCaption, lblCaption);
}

}  // namespace zevo::printing

#include "frmDisplayMessage.h"

#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStyle>
#include <QThread>
#include <QTimer>

namespace zevo {
namespace {

constexpr double kDialogWidthTw = 6000;
constexpr double kButtonWidthTw = 1215;
constexpr double kButtonHeightTw = 375;
constexpr double kButtonGapTw = 50;
constexpr double kIconLeftTw = 150;
constexpr double kIconTopTw = 620;
constexpr int kIconSize = 32;

struct StyleButtons {
    const char* section;
    int codes[3];   // 0 = hidden
    int visible;
};

// Indexed by MsgBoxStyle.
constexpr StyleButtons kStyles[] = {
    {"frmAbortRetryIgnore", {mrAbort, mrRetry, mrIgnore}, 3},
    {"frmOKCancel", {0, mrOK, mrCancel}, 2},
    {"frmOKOnly", {0, 0, mrOK}, 1},
    {"frmOKCancelRetry", {mrOK, mrCancel, mrRetry}, 3},
    {"frmYesNo", {0, mrYes, mrNo}, 2},
    {"frmYesNoCancel", {mrYes, mrNo, mrCancel}, 3},
};

const char* const kIconFiles[] = {
    "..\\Pictures\\information.ico",
    "..\\Pictures\\question.ico",
    "..\\Pictures\\exclamation.ico",
    "..\\Pictures\\critical.ico",
};

// Compiled-in button texts; the style's caption section may replace them.
QString defaultButtonText(int code) {
    switch (code) {
        case mrAbort: return QStringLiteral("Hủy bỏ");
        case mrCancel: return QStringLiteral("Hủy bỏ");
        case mrIgnore: return QStringLiteral("Bỏ qua");
        case mrNo: return QStringLiteral("Không");
        case mrOK: return QStringLiteral("Đồng ý");
        case mrRetry: return QStringLiteral("Thử lại");
        case mrYes: return QStringLiteral("Có");
        default: return {};
    }
}

QPixmap iconPicture(QStyle* style, int index) {
    QImageReader reader(QString::fromStdString(clsMessageBox().GetAbsolutePath(kIconFiles[index])));
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (!image.isNull())
        return QPixmap::fromImage(image.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio,
                                               Qt::SmoothTransformation));
    // No installed picture: the platform's own icon says the same.
    static const QStyle::StandardPixmap kStandard[] = {
        QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxQuestion,
        QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical};
    return style->standardIcon(kStandard[index]).pixmap(kIconSize, kIconSize);
}

class DialogPresenter : public MessagePresenter {
public:
    int present(const MessageRequest& request) override {
        // Widgets need a QApplication and its thread.
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        if (app == nullptr || QThread::currentThread() != app->thread()) return 0;
        frmDisplayMessage dialog(QApplication::activeWindow());
        dialog.prepare(request);
        return dialog.run();
    }
};

}  // namespace

frmDisplayMessage::frmDisplayMessage(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDisplayMessage"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    imgCaption_ = new QLabel(this);
    imgCaption_->setObjectName(QStringLiteral("imgCaption"));
    lblCaption_ = new QLabel(QStringLiteral("Thông báo"), this);
    lblCaption_->setObjectName(QStringLiteral("lblCaption"));

    for (int i = 0; i < 4; ++i) {
        auto* pic = new QLabel(this);
        pic->setObjectName(QStringLiteral("picIcon"));
        pic->setFocusPolicy(Qt::NoFocus);
        pic->setPixmap(iconPicture(style(), i));
        pic->setGeometry(twipsToPixels(kIconLeftTw), twipsToPixels(kIconTopTw), kIconSize,
                         kIconSize);
        pic->hide();
        picIcon_[i] = pic;
    }

    lblMessage_ = new QLabel(this);
    lblMessage_->setObjectName(QStringLiteral("lblMessage"));
    lblMessage_->setWordWrap(true);
    lblMessage_->setTextFormat(Qt::PlainText);
    lblMessage_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(this);
        b->setObjectName(QStringLiteral("cmdButton%1").arg(i + 1));
        b->setAutoDefault(true);
        connect(b, &QPushButton::clicked, this, [this, i] {
            chosen_ = codes_[i];
            accept();
        });
        buttons_[i] = b;
    }
}

void frmDisplayMessage::prepare(const MessageRequest& request) {
    lblMessage_->setText(QString::fromStdString(request.text));

    // An unknown style gets the single OK button rather than a dialog that
    // cannot be answered.
    int style = (request.style >= 0 && request.style < 6) ? request.style : msOKOnly;
    const StyleButtons& s = kStyles[style];
    for (int i = 0; i < 3; ++i) {
        codes_[i] = s.codes[i];
        buttons_[i]->setText(defaultButtonText(s.codes[i]));
    }
    visible_ = s.visible;
    clsMessageBox().SetControlCaption(this, s.section);
    // The visible buttons are the rightmost ones (Abort's code is 0 but it shows).
    for (int i = 0; i < 3; ++i) buttons_[i]->setVisible(i >= 3 - visible_);

    defaultButton_ = request.defaultButton;
    setWindowTitle(QString());

    for (int i = 0; i < 4; ++i) picIcon_[i]->setVisible(i == request.icon);

    layoutButtons();
}

void frmDisplayMessage::layoutButtons() {
    const int width = twipsToPixels(kDialogWidthTw);
    const double w = kButtonWidthTw;
    const double f = kDialogWidthTw;

    // Message to the right of the icon; the dialog grows with the text.
    const int textLeft = twipsToPixels(kIconLeftTw) + kIconSize + 14;
    const int textTop = twipsToPixels(kIconTopTw);
    const int textWidth = width - textLeft - 14;
    int textHeight = std::max(kIconSize, lblMessage_->heightForWidth(textWidth));
    lblMessage_->setGeometry(textLeft, textTop, textWidth, textHeight);

    const int buttonTop = textTop + textHeight + 16;
    double lefts[3] = {0, 0, 0};
    if (visible_ == 1) {
        lefts[2] = static_cast<double>(static_cast<long>(f - w + 0.5) / 2);
    } else if (visible_ == 2) {
        lefts[1] = f / 2 - w - kButtonGapTw;
        lefts[2] = lefts[1] + w + kButtonGapTw;
        setTabOrder(buttons_[1], buttons_[2]);
        setTabOrder(buttons_[2], buttons_[0]);
    } else {
        lefts[0] = f / 2 - 1.5 * w - kButtonGapTw;
        lefts[1] = lefts[0] + w + kButtonGapTw;
        lefts[2] = lefts[1] + w + kButtonGapTw;
        setTabOrder(buttons_[0], buttons_[1]);
        setTabOrder(buttons_[1], buttons_[2]);
    }
    for (int i = 0; i < 3; ++i)
        buttons_[i]->setGeometry(twipsToPixels(lefts[i]), buttonTop, twipsToPixels(w),
                                 twipsToPixels(kButtonHeightTw));
    setFixedSize(width, buttonTop + twipsToPixels(kButtonHeightTw) + 12);
}

void frmDisplayMessage::focusDefaultButton() {
    QPushButton* target = nullptr;
    for (int i = 0; i < 3; ++i)
        if (i >= 3 - visible_ && codes_[i] == defaultButton_) target = buttons_[i];
    if (!target) target = buttons_[3 - visible_];
    target->setDefault(true);
    target->setFocus(Qt::ActiveWindowFocusReason);
}

void frmDisplayMessage::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    focusDefaultButton();
    // Activation may move the focus once more; settle it afterwards.
    QTimer::singleShot(0, this, [this] { focusDefaultButton(); });
}

void frmDisplayMessage::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    clsMessageBox().SetFormCaption(this, imgCaption_, lblCaption_);
}

int frmDisplayMessage::run() {
    chosen_ = 0;
    exec();
    return chosen_;
}

std::shared_ptr<MessagePresenter> makeDialogPresenter() {
    return std::make_shared<DialogPresenter>();
}

}  // namespace zevo

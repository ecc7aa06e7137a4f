#include "mainForm.h"

#include <algorithm>
#include <vector>

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QShortcut>
#include <QToolTip>

#include "ProblemsPanel.h"
#include "SpreadView.h"
#include "frmImportList.h"
#include "zevo/clsMessageBox.h"

namespace zevo::ui {

namespace {

// The form's measures are in twips; the screen has 15 twips per pixel.
constexpr int px(int twips) { return twips / 15; }

constexpr int kButtonWidthTw = 2100;
constexpr int kButtonHeightTw = 480;
constexpr int kTitleHeightTw = 400;

QFont formFont(int pointSize, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace

mainForm::mainForm(engine::MainController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    setObjectName(QStringLiteral("mainForm"));
    setWindowTitle(QStringLiteral("ZEVO"));
    // Children in control order (captions are applied in this order).
    formFrame = new QFrame(this);
    formFrame->setObjectName(QStringLiteral("formFrame"));
    lblTitle = new QLabel(QStringLiteral("TO KHAI DANG KY THUE"), formFrame);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setAlignment(Qt::AlignCenter);
    lblTitle->setFont(formFont(11, true));
    fpSpread1 = new SpreadView(controller.grid(), formFrame);
    lblStatus = new QLabel(formFrame);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setFont(formFont(9));
    lblStatus->setWordWrap(true);
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    buttonFrame = new QFrame(this);
    buttonFrame->setObjectName(QStringLiteral("buttonFrame"));
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), buttonFrame);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(formFont(9));
        b->resize(px(kButtonWidthTw), px(kButtonHeightTw));
        return b;
    };
    cmdDelete = button("cmdDelete", "Tao moi ho so");
    cmdExport = button("cmdExport", "Ket xuat tep ho so");
    cmdImport = button("cmdImport", "Mo tep ho so");
    cmdImportList = button("cmdImportList", "Nhap danh sach");
    cmdPrint = button("cmdPrint", "In to khai");
    cmdSave = button("cmdSave", "Ghi");
    cmdExit = button("cmdExit", "Thoat");
    connect(cmdDelete, &QPushButton::clicked, this, [this] { controller_.cmdDelete_Click(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { controller_.cmdExport_Click(); });
    connect(cmdImport, &QPushButton::clicked, this, [this] { controller_.cmdImport_Click(); });
    // Individuals from a payroll spreadsheet; the dialog refreshes the grid itself.
    connect(cmdImportList, &QPushButton::clicked, this, [this] {
        frmImportList dialog(controller_, this);
        dialog.exec();
        fpSpread1->refresh(true);
    });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { controller_.cmdPrint_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] {
        controller_.cmdSave_Click();
        fpSpread1->refresh();
    });
    connect(cmdExit, &QPushButton::clicked, this, [this] { controller_.cmdExit_Click(); });
    // Only the window's controller knows which cells store a value.
    fpSpread1->setTakesValue(
        [this](int sheet, int col, int row) { return controller_.cellTakesValue(sheet, col, row); });
    connect(fpSpread1, &SpreadView::entryRejected, this, [this](int col, int row, const QString& typed) {
        controller_.entryRejected(col, row, typed.toStdString());
        fpSpread1->refresh();
    });
    connect(fpSpread1, &SpreadView::notice, this, [this](const QString& text) {
        const QString status = QString::fromStdString(controller_.statusText());
        lblStatus->setText(status.isEmpty() ? text : text + u'\n' + status);
    });
    // Notes show on hover even where no window manager makes this window active.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, cmdSave, &QPushButton::click);
    // The window sees F1 and Alt+F4 before the grid does.
    qApp->installEventFilter(this);
    controller_.setView(this);
    setUpProblemsAndUndo();
    connect(fpSpread1, &QTabWidget::currentChanged, this, [this] { followShownSheet(); });
    // Small enough for an 800 x 600 screen; the buttons narrow down to fit.
    setMinimumSize(800, 440);
}

void mainForm::placeOnScreen() {
    QScreen* shownOn = screen();
    if (!shownOn) return;
    const QRect available = shownOn->availableGeometry();
    int formWidth = 0;
    for (int i = 0; i < fpSpread1->count(); ++i)
        if (auto* table = qobject_cast<SpreadTable*>(fpSpread1->widget(i)))
            formWidth = std::max(formWidth, table->formWidth());
    // The grid stands 200 twips inside the window on each side, plus its tab frame.
    const int wanted = formWidth + px(4 * 100) + 8;
    if (wanted > available.width() || available.height() < 700) {
        // Without a window manager the maximised state alone does not resize.
        setGeometry(available);
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        const int height = std::min(available.height(), 900);
        setGeometry(available.x() + (available.width() - wanted) / 2,
                    available.y() + (available.height() - height) / 2, wanted, height);
    }
}

void mainForm::showEvent(QShowEvent* event) {
    // A window sized by its caller (tests, tools) keeps its size.
    if (!placed_ && !testAttribute(Qt::WA_Resized)) placeOnScreen();
    QWidget::showEvent(event);
    if (placed_) return;
    placed_ = true;
    // The form opens at its top-left, labels and all, whatever cell is current.
    QTimer::singleShot(0, this, [this] {
        for (int i = 0; i < fpSpread1->count(); ++i)
            if (auto* table = qobject_cast<SpreadTable*>(fpSpread1->widget(i))) table->scrollToTopLeft();
    });
}

void mainForm::followShownSheet() {
    if (baseTitle_.isEmpty()) baseTitle_ = windowTitle();
    const int index = fpSpread1->currentIndex();
    setWindowTitle(index < 0 ? baseTitle_ : baseTitle_ + QStringLiteral(" - ") + fpSpread1->tabText(index));
}

void mainForm::layoutControls() {
    const int w = width() * 15, h = height() * 15;   // twips
    int frameW = formFrame->width() * 15, frameH = formFrame->height() * 15;
    if (w > 200) frameW = w - 200;
    if (h > 1100) frameH = h - 1100;
    formFrame->setGeometry(px(100), 0, px(frameW), px(frameH));
    const int innerW = frameW > 200 ? frameW - 200 : frameW;
    lblTitle->setGeometry(px(100), px(60), px(innerW), px(kTitleHeightTw));
    // The status line shows two lines: a cell's note and its status text.
    const int statusTw = (lblStatus->fontMetrics().lineSpacing() * 2 + 6) * 15;
    const int gridH = frameH - kTitleHeightTw - statusTw;
    // The problems panel, when shown, takes a third of the width (at most 420 pixels) beside the grid.
    const int panelW = problemsShown_ ? std::min(px(innerW) / 3, 420) : 0;
    if (gridH > 0) {
        fpSpread1->setUpdatesEnabled(false);
        fpSpread1->setGeometry(px(100), px(60 + kTitleHeightTw), px(innerW) - panelW, px(gridH));
        fpSpread1->setUpdatesEnabled(true);
        if (problemsShown_)
            problemsPanel_->setGeometry(px(100) + px(innerW) - panelW + 4, px(60 + kTitleHeightTw),
                                        panelW - 4, px(gridH));
    }
    lblStatus->setGeometry(px(100), px(60 + kTitleHeightTw + std::max(gridH, 0)), px(innerW),
                           px(statusTw));
    const int frameWidth = w - 200;
    // Every button stays visible with its whole caption: on a narrow window they
    // narrow down to an even width, and a caption longer than that keeps its own.
    const std::vector<QPushButton*> buttons = {cmdDelete, cmdExport, cmdImport, cmdImportList,
                                               cmdPrint, cmdSave, cmdExit};
    // In pixels, so that the last button ends exactly 8 px (120 twips) before the edge.
    const int count = static_cast<int>(buttons.size());
    const int gap = px(120), frame = px(frameWidth);
    const int available = frame - (count + 1) * gap;
    std::vector<int> need;
    for (QPushButton* b : buttons)
        need.push_back(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) + 14);
    const auto widthsFor = [&](int even) {
        int total = 0;
        for (int n : need) total += std::max(n, even);
        return total;
    };
    int even = std::clamp(available / count, px(1350), px(kButtonWidthTw));
    while (even > 40 && widthsFor(even) > available) --even;
    buttonFrame->setGeometry(px(100), px(frameH), frame, px(1100 - 100));
    int left = frame - widthsFor(even) - count * gap;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->setGeometry(left, px(250), std::max(need[i], even), px(kButtonHeightTw));
        left += buttons[i]->width() + gap;
    }
}

void mainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void mainForm::applyCaptions(const std::string& section) {
    clsMessageBox().SetControlCaption(this, section);
    baseTitle_ = windowTitle();
    followShownSheet();
}

void mainForm::setStatusText(const std::string& text) {
    lblStatus->setText(QString::fromStdString(text));
}

void mainForm::setStatusVisible(bool visible) { lblStatus->setVisible(visible); }
void mainForm::setGridVisible(bool visible) { fpSpread1->setVisible(visible); }

void mainForm::focusGrid() {
    fpSpread1->refresh();
    if (SpreadTable* table = fpSpread1->currentTable()) {
        table->setFocus();
        table->scrollTo(table->currentIndex());
    }
}

void mainForm::gridReloaded() {
    fpSpread1->rebuild();
    updateProblems(true);
}
void mainForm::gridChanged() {
    fpSpread1->refresh();
    updateProblems();
}
void mainForm::processEvents() { QApplication::processEvents(); }
void mainForm::closeWindow() { close(); }
void mainForm::setHelpContext(int context) {
    helpContext_ = context;
    // No help viewer is installed with the program: F1 shows the help text of the
    // current cell (its note and its status text) beside it.
    const QString help = QString::fromStdString(controller_.helpText());
    SpreadTable* table = fpSpread1->currentTable();
    if (help.isEmpty() || !table) return;
    const QRect cell = table->visualRect(table->currentIndex());
    QToolTip::showText(table->viewport()->mapToGlobal(cell.bottomLeft()), help,
                       table->viewport(), cell, 15000);
}

void mainForm::setBackgroundColour(grid::Colour colour) {
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(static_cast<int>(colour & 0xFF),
                                        static_cast<int>((colour >> 8) & 0xFF),
                                        static_cast<int>((colour >> 16) & 0xFF)));
    setPalette(p);
    setAutoFillBackground(true);
}

void mainForm::closeEvent(QCloseEvent* event) {
    if (controller_.unloaded() || controller_.Form_Unload()) {
        event->accept();
    } else {
        event->ignore();
        fpSpread1->refresh();
    }
}

bool mainForm::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1) {
            controller_.Form_KeyDown(grid::keys::kF1, 0);
            return true;
        }
    } else if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 && (key->modifiers() & Qt::AltModifier)) {
            controller_.Form_KeyUp(grid::keys::kF4, grid::keys::kAltMask);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- problems and undo

void mainForm::setUpProblemsAndUndo() {
    problemsPanel_ = new ProblemsPanel(controller_, formFrame);
    problemsPanel_->hide();
    recheckTimer_ = new QTimer(this);
    recheckTimer_->setSingleShot(true);
    recheckTimer_->setInterval(400);
    connect(recheckTimer_, &QTimer::timeout, this, [this] {
        const SpreadTable* table = fpSpread1->currentTable();
        if (table && table->editing()) {
            recheckTimer_->start();   // not under an open editor
            return;
        }
        controller_.recheckProblems();
    });
    connect(fpSpread1, &SpreadView::userActed, this, [this] {
        updateProblems();
        if (controller_.problems().recheckWanted()) recheckTimer_->start();
    });
    connect(fpSpread1, &SpreadView::entryRejected, this, [this] { updateProblems(); });
    connect(problemsPanel_, &ProblemsPanel::recheckRequested, this, [this] { controller_.recheckProblems(); });
    connect(problemsPanel_, &ProblemsPanel::closeRequested, this, [this] {
        problemsShown_ = false;
        problemsPanel_->hide();
        layoutControls();
        focusGrid();
    });
    // Named keys rather than the platform's standard ones, which may bind Ctrl+Y twice.
    auto* undo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    connect(undo, &QShortcut::activated, this, [this] { afterUndoOrRedo(controller_.undo()); });
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
        auto* redo = new QShortcut(keys, this);
        connect(redo, &QShortcut::activated, this, [this] { afterUndoOrRedo(controller_.redo()); });
    }
}

void mainForm::afterUndoOrRedo(bool done) {
    if (!done) return;
    // F5 and F6 may have been replayed: rows moved.
    fpSpread1->refresh(true);
    updateProblems();
    if (controller_.problems().recheckWanted()) recheckTimer_->start();
    focusGrid();
}

void mainForm::updateProblems(bool reloaded) {
    if (!problemsPanel_) return;
    const bool changed = problemsPanel_->update();
    const bool any = problemsPanel_->entryCount() > 0;
    // Shown when problems appear; it stays (saying none are left) until hidden or reloaded.
    const bool show = reloaded ? any : problemsShown_ || (changed && any);
    if (show == problemsShown_) return;
    problemsShown_ = show;
    problemsPanel_->setVisible(show);
    layoutControls();
}

}  // namespace zevo::ui

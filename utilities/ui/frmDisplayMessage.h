#pragma once
// The system's modal message dialog and the presenter that shows it.
#include <QDialog>
#include <array>
#include <memory>

#include "zevo/clsMessageBox.h"

class QLabel;
class QPushButton;

namespace zevo {

// Twips of the layout rules to pixels (15 twips per pixel at 96 dpi).
inline int twipsToPixels(double twips) { return static_cast<int>(twips / 15.0 + 0.5); }

class frmDisplayMessage : public QDialog {
public:
    explicit frmDisplayMessage(QWidget* parent = nullptr);

    // Fills in text, buttons, icon and default for one message.
    void prepare(const MessageRequest& request);
    // Shows the dialog modally; the pressed button's code, 0 when closed otherwise.
    int run();

    QPushButton* button(int index) const { return buttons_[index]; }
    int visibleButtons() const { return visible_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutButtons();
    void focusDefaultButton();

    QLabel* imgCaption_;
    QLabel* lblCaption_;
    QLabel* lblMessage_;
    std::array<QLabel*, 4> picIcon_{};
    std::array<QPushButton*, 3> buttons_{};
    std::array<int, 3> codes_{};
    int visible_ = 1;
    int defaultButton_ = 0;
    int chosen_ = 0;
};

// The presenter the program uses: the real dialog. Without a QApplication, or off
// its thread, it shows nothing and answers 0 rather than aborting the process.
std::shared_ptr<MessagePresenter> makeDialogPresenter();

}  // namespace zevo

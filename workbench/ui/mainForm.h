#pragma once
// The main window: title line, the declaration grid, the status line and the six
// command buttons. It only shows the controller's state and forwards the user's
// clicks and keys; everything else is MainController's.
#include <QWidget>

#include "zevo/engine/MainController.h"
#include "zevo/engine/MainView.h"

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace zevo::ui {

class SpreadView;
class ProblemsPanel;

class mainForm : public QWidget, public engine::MainView {
    Q_OBJECT
public:
    explicit mainForm(engine::MainController& controller, QWidget* parent = nullptr);

    SpreadView* spreadView() const { return fpSpread1; }
    QLabel* statusLabel() const { return lblStatus; }
    ProblemsPanel* problemsPanel() const { return problemsPanel_; }

    // MainView
    void applyCaptions(const std::string& section) override;
    void setStatusText(const std::string& text) override;
    void setStatusVisible(bool visible) override;
    void setGridVisible(bool visible) override;
    void focusGrid() override;
    void gridReloaded() override;
    void gridChanged() override;
    void processEvents() override;
    void closeWindow() override;
    void setHelpContext(int context) override;
    void setBackgroundColour(grid::Colour colour) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutControls();
    // Maximised on a screen narrower than the form, else as wide as the form.
    void placeOnScreen();
    void followShownSheet();
    // The problems panel, Ctrl+Z and Ctrl+Y (mainForm.cpp, end of file).
    void setUpProblemsAndUndo();
    void updateProblems(bool reloaded = false);
    void afterUndoOrRedo(bool done);
    QString baseTitle_;
    bool placed_ = false;
    engine::MainController& controller_;
    QFrame* formFrame;
    QLabel* lblTitle;
    SpreadView* fpSpread1;
    QLabel* lblStatus;
    QFrame* buttonFrame;
    QPushButton* cmdDelete;
    QPushButton* cmdExport;
    QPushButton* cmdImport;
    QPushButton* cmdImportList;
    QPushButton* cmdPrint;
    QPushButton* cmdSave;
    QPushButton* cmdExit;
    int helpContext_ = 0;
    ProblemsPanel* problemsPanel_ = nullptr;
    // Runs the checks again a moment after an edit of a marked row, not per keystroke.
    QTimer* recheckTimer_ = nullptr;
    bool problemsShown_ = false;
};

}  // namespace zevo::ui

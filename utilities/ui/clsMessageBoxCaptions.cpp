// Window and control texts from the caption catalogue, and the caption banner.
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QWidget>

#include "frmDisplayMessage.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"

namespace zevo {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Sets the caption of the controls that have one; others are left alone.
void setCaption(QObject* control, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(control)) label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control)) group->setTitle(text);
    else if (auto* menu = qobject_cast<QMenu*>(control)) menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(control)) action->setText(text);
}

}  // namespace

void clsMessageBox::SetControlCaption(QWidget* frmForm, const std::string& formName) {
    try {
        if (!frmForm) return;
        QString section = formName.empty() ? frmForm->objectName() : qs(formName);
        xml::Node root = clsVariables().NodeCaption();
        if (root.isNull()) return;

        xml::Node found;
        for (const auto& child : root.childElements()) {
            if (sameName(qs(child.name()), section)) {
                found = child;
                break;
            }
        }
        if (found.isNull()) return;

        // The title keeps "\n" as written: a title bar has one line.
        if (auto title = found.attribute("Caption")) frmForm->setWindowTitle(qs(*title));

        const auto entries = found.childElements();
        for (QObject* control : frmForm->findChildren<QObject*>()) {
            const QString name = control->objectName();
            if (name.isEmpty()) continue;
            for (const auto& entry : entries) {
                if (!sameName(qs(entry.attribute("Name").value_or(std::string{})), name)) continue;
                QString text = qs(entry.attribute("Caption").value_or(std::string{}));
                text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
                setCaption(control, text);
                break;
            }
        }
    } catch (...) {
        // A caption that cannot be applied leaves the compiled-in text.
    }
}

void clsMessageBox::SetFormCaption(QWidget* frmForm, QLabel* bkGround, QLabel* lblCaption) {
    try {
        if (!frmForm || !bkGround || !lblCaption) return;
        // Qt reads the picture by its content, so the installed banner may be any
        // format Qt knows (a PNG named caption.bmp included).
        QImageReader reader(qs(GetAbsolutePath("..\\Pictures\\caption.bmp")));
        reader.setDecideFormatFromContent(true);
        QImage picture = reader.read();
        if (!picture.isNull()) {
            bkGround->setPixmap(QPixmap::fromImage(picture));
            bkGround->setAutoFillBackground(false);
        } else if (bkGround->pixmap().isNull()) {
            // Without the picture a dark band keeps the white caption readable.
            QPalette pal = bkGround->palette();
            pal.setColor(QPalette::Window, QColor(0, 51, 153));
            bkGround->setPalette(pal);
            bkGround->setAutoFillBackground(true);
        }
        bkGround->setScaledContents(true);
        bkGround->setGeometry(0, 0, frmForm->width(), twipsToPixels(320));

        lblCaption->setGeometry(twipsToPixels(30), twipsToPixels(30), bkGround->width(),
                                bkGround->height());
        lblCaption->setAutoFillBackground(false);
        lblCaption->setAttribute(Qt::WA_TranslucentBackground);
        QFont font = lblCaption->font();
        font.setPointSize(9);
        font.setBold(true);
        lblCaption->setFont(font);
        QPalette pal = lblCaption->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        lblCaption->setPalette(pal);
        lblCaption->raise();
    } catch (...) {
    }
}

}  // namespace zevo

// Draws the pictures the windows load from the Pictures folder: message icons
// (.ico), preview toolbar buttons with greyed "DIS" variants (.BMP) and the
// caption banner, from the PNGs of the Adwaita icon theme.
//
//   picturegen --theme /usr/share/icons/Adwaita --out DIR
#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QBuffer>
#include <QByteArray>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The grid paints buttons on the button face; BMP has no transparency.
const QColor kFace(240, 240, 240);

QImage load(const QString& theme, const QString& rel) {
    QImage img(theme + "/" + rel);
    if (img.isNull()) throw std::runtime_error(("cannot read icon " + theme + "/" + rel).toStdString());
    return img.convertToFormat(QImage::Format_ARGB32);
}

QImage onFace(const QImage& icon) {
    QImage out(icon.size(), QImage::Format_RGB32);
    out.fill(kFace);
    QPainter p(&out);
    p.drawImage(0, 0, icon);
    return out;
}

// Disabled look: grey levels lifted towards the face colour.
QImage greyed(const QImage& icon) {
    QImage g = icon.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < g.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(g.scanLine(y));
        for (int x = 0; x < g.width(); ++x) {
            const int grey = qGray(line[x]);
            const int lifted = 128 + grey / 2;
            line[x] = qRgba(lifted, lifted, lifted, qAlpha(line[x]) * 2 / 3);
        }
    }
    return g;
}

void saveBmp(const QImage& img, const QString& path) {
    if (!img.save(path, "BMP")) throw std::runtime_error(("cannot write " + path).toStdString());
}

// An .ico container holding PNG images (Vista and later read these; so does Qt).
void saveIco(const std::vector<QImage>& images, const QString& path) {
    std::vector<QByteArray> pngs;
    for (const auto& img : images) {
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        if (!img.save(&buf, "PNG")) throw std::runtime_error("cannot encode PNG");
        pngs.push_back(bytes);
    }
    QByteArray out;
    auto u16 = [&](int v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto u32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF)); };
    u16(0);
    u16(1);   // icon
    u16(static_cast<int>(images.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int w = images[i].width(), h = images[i].height();
        out.append(char(w >= 256 ? 0 : w)).append(char(h >= 256 ? 0 : h));
        out.append(char(0)).append(char(0));   // no palette, reserved
        u16(1);                                 // colour planes
        u16(32);                                // bits per pixel
        u32(static_cast<quint32>(pngs[i].size()));
        u32(offset);
        offset += static_cast<quint32>(pngs[i].size());
    }
    for (const auto& p : pngs) out.append(p);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(out) != out.size())
        throw std::runtime_error(("cannot write " + path).toStdString());
}

QImage banner() {
    QImage img(640, 24, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, img.width(), 0);
    g.setColorAt(0.0, QColor(0, 51, 128));
    g.setColorAt(0.6, QColor(40, 100, 180));
    g.setColorAt(1.0, QColor(150, 190, 235));
    p.fillRect(img.rect(), g);
    p.setPen(QColor(255, 255, 255, 60));
    p.drawLine(0, img.height() - 1, img.width(), img.height() - 1);
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    QString theme, out;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string k = argv[i];
        if (k == "--theme") theme = QString::fromLocal8Bit(argv[i + 1]);
        else if (k == "--out") out = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (theme.isEmpty() || out.isEmpty()) {
        std::fprintf(stderr, "usage: picturegen --theme DIR --out DIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        const struct { const char* file; const char* icon; } icons[] = {
            {"information.ico", "dialog-information.png"},
            {"question.ico", "dialog-question.png"},
            {"exclamation.ico", "dialog-warning.png"},
            {"critical.ico", "dialog-error.png"},
        };
        for (const auto& i : icons) {
            QImage big = load(theme, QString("48x48/legacy/") + i.icon);
            QImage small = big.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            saveIco({small, big}, out + "/" + i.file);
        }
        const struct { const char* name; const char* icon; } buttons[] = {
            {"RIGHT", "24x24/actions/go-next-symbolic.symbolic.png"},
            {"LEFT", "24x24/actions/go-previous-symbolic.symbolic.png"},
            {"ZOOM", "24x24/legacy/zoom-in.png"},
            {"PRINT", "24x24/legacy/document-print.png"},
            {"CLOSE", "24x24/legacy/window-close.png"},
        };
        for (const auto& b : buttons) {
            QImage icon = load(theme, b.icon);
            saveBmp(onFace(icon), out + "/" + b.name + ".BMP");
            saveBmp(onFace(greyed(icon)), out + "/" + b.name + "DIS.BMP");
        }
        saveBmp(banner(), out + "/caption.bmp");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "picturegen: %s\n", e.what());
        return 1;
    }
    return 0;
}

#include "XlsxStyles.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>

#include "XmlPull.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/XlsxReader.h"

namespace zevo::grid::xlsx {

namespace {

// Legacy palette of the "indexed" colours (0xRRGGBB).
constexpr unsigned kPalette[64] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

Colour fromRgb(unsigned rrggbb) {
    return rgb(static_cast<int>((rrggbb >> 16) & 0xFF), static_cast<int>((rrggbb >> 8) & 0xFF),
               static_cast<int>(rrggbb & 0xFF));
}

std::optional<unsigned> parseHex(const std::string& s) {
    unsigned v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    if (ec != std::errc() || p != s.data() + s.size() || s.empty()) return std::nullopt;
    return v;
}

int parseInt(const std::string& s, int fallback) {
    int v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return (ec == std::errc() && p == s.data() + s.size()) ? v : fallback;
}

double parseDouble(const std::string& s, double fallback) {
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return (ec == std::errc() && std::isfinite(v)) ? v : fallback;
}

bool parseFlag(const std::optional<std::string>& v, bool whenMissing) {
    if (!v) return whenMissing;
    return *v == "1" || *v == "true";
}

// Lightens (tint > 0) or darkens (tint < 0) a colour in HSL space.
Colour applyTint(Colour c, double tint) {
    if (tint == 0) return c;
    tint = std::clamp(tint, -1.0, 1.0);
    const double r = (c & 0xFF) / 255.0, g = ((c >> 8) & 0xFF) / 255.0, b = ((c >> 16) & 0xFF) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    double h = 0, s = 0, l = (mx + mn) / 2;
    if (mx != mn) {
        const double d = mx - mn;
        s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r) h = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g) h = (b - r) / d + 2;
        else h = (r - g) / d + 4;
        h /= 6;
    }
    l = tint < 0 ? l * (1 + tint) : l * (1 - tint) + tint;
    auto hue = [](double p, double q, double t) {
        if (t < 0) t += 1;
        if (t > 1) t -= 1;
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 0.5) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    double r2 = l, g2 = l, b2 = l;
    if (s != 0) {
        const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
        const double p = 2 * l - q;
        r2 = hue(p, q, h + 1.0 / 3);
        g2 = hue(p, q, h);
        b2 = hue(p, q, h - 1.0 / 3);
    }
    auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return rgb(byte(r2), byte(g2), byte(b2));
}

// A <color>/<fgColor> element; nullopt for "automatic" or unreadable colours.
std::optional<Colour> readColour(const XmlPull& x, const std::vector<Colour>& theme) {
    std::optional<Colour> c;
    if (auto v = x.attr("rgb")) {
        if (auto hex = parseHex(*v)) c = fromRgb(*hex & 0xFFFFFF);
    } else if (auto t = x.attr("theme")) {
        const int i = parseInt(*t, -1);
        if (i >= 0 && static_cast<std::size_t>(i) < theme.size()) c = theme[static_cast<std::size_t>(i)];
    } else if (auto n = x.attr("indexed")) {
        const int i = parseInt(*n, -1);
        if (i >= 0 && i < 64) c = fromRgb(kPalette[i]);
        else if (i == 64) c = rgb(0, 0, 0);           // system foreground
        else if (i == 65) c = rgb(255, 255, 255);     // system background
    }
    if (c) {
        if (auto tint = x.attr("tint")) c = applyTint(*c, parseDouble(*tint, 0));
    }
    return c;
}

struct FillInfo {
    std::string pattern = "none";
    std::optional<Colour> fg, bg;
};

struct XfInfo {
    int numFmt = 0, font = 0, fill = 0, border = 0;
    HAlign h = HAlign::General;
    VAlign v = VAlign::Bottom;
    bool wrap = false;
    bool locked = true;
};

HAlign parseHAlign(const std::string& s) {
    if (s == "left" || s == "justify" || s == "distributed" || s == "fill") return HAlign::Left;
    if (s == "center" || s == "centerContinuous") return HAlign::Center;
    if (s == "right") return HAlign::Right;
    return HAlign::General;
}

VAlign parseVAlign(const std::string& s) {
    if (s == "top") return VAlign::Top;
    if (s == "center" || s == "justify" || s == "distributed") return VAlign::Center;
    return VAlign::Bottom;
}

}  // namespace

std::vector<Colour> defaultThemeColours() {
    const unsigned v[] = {0xFFFFFF, 0x000000, 0xEEECE1, 0x1F497D, 0x4F81BD, 0xC0504D,
                          0x9BBB59, 0x8064A2, 0x4BACC6, 0xF79646, 0x0000FF, 0x800080};
    std::vector<Colour> out;
    for (unsigned c : v) out.push_back(fromRgb(c));
    return out;
}

std::vector<Colour> parseThemeColours(const std::string& themeXml) {
    // Files list dk1, lt1, dk2, lt2 ...; the colour indices swap each dark/light pair.
    static const std::map<std::string, int, std::less<>> kSlot = {
        {"lt1", 0}, {"dk1", 1}, {"lt2", 2}, {"dk2", 3}, {"accent1", 4}, {"accent2", 5},
        {"accent3", 6}, {"accent4", 7}, {"accent5", 8}, {"accent6", 9}, {"hlink", 10}, {"folHlink", 11}};
    std::vector<Colour> out = defaultThemeColours();
    XmlPull x(themeXml, "theme");
    bool inScheme = false;
    int slot = -1;
    while (x.next()) {
        const auto n = x.name();
        if (n == "clrScheme") {
            inScheme = x.isStart() && !x.isEmpty();
            continue;
        }
        if (!inScheme) continue;
        if (x.isStart()) {
            if (auto it = kSlot.find(n); it != kSlot.end()) {
                slot = it->second;
            } else if (slot >= 0 && (n == "srgbClr" || n == "sysClr")) {
                auto v = x.attr(n == "srgbClr" ? "val" : "lastClr");
                if (v) {
                    if (auto hex = parseHex(*v)) out[static_cast<std::size_t>(slot)] = fromRgb(*hex & 0xFFFFFF);
                }
            }
        } else if (kSlot.count(n)) {
            slot = -1;
        }
    }
    return out;
}

std::string builtinNumberFormat(int id) {
    static const std::map<int, std::string> kCodes = {
        {1, "0"}, {2, "0.00"}, {3, "#,##0"}, {4, "#,##0.00"},
        {5, "($#,##0_);($#,##0)"}, {6, "($#,##0_);[Red]($#,##0)"},
        {7, "($#,##0.00_);($#,##0.00)"}, {8, "($#,##0.00_);[Red]($#,##0.00)"},
        {9, "0%"}, {10, "0.00%"}, {11, "0.00E+00"}, {12, "# ?/?"}, {13, "# ?\?/?\?"},
        // 14 is the reader's short date, which in Vietnam reads day first.
        {14, "dd/mm/yyyy"}, {15, "d-mmm-yy"}, {16, "d-mmm"}, {17, "mmm-yy"},
        {18, "h:mm AM/PM"}, {19, "h:mm:ss AM/PM"}, {20, "h:mm"}, {21, "h:mm:ss"},
        {22, "m/d/yy h:mm"}, {37, "(#,##0_);(#,##0)"}, {38, "(#,##0_);[Red](#,##0)"},
        {39, "(#,##0.00_);(#,##0.00)"}, {40, "(#,##0.00_);[Red](#,##0.00)"},
        {41, "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)"},
        {42, "_($* #,##0_);_($* (#,##0);_($* \"-\"_);_(@_)"},
        {43, "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)"},
        {44, "_($* #,##0.00_);_($* (#,##0.00);_($* \"-\"??_);_(@_)"},
        {45, "mm:ss"}, {46, "[h]:mm:ss"}, {47, "mm:ss.0"}, {48, "##0.0E+0"}, {49, "@"}};
    auto it = kCodes.find(id);
    return it == kCodes.end() ? std::string() : it->second;
}

namespace {

// The pieces of a styles part that cell formats refer to by index.
class StyleParts {
public:
    explicit StyleParts(const std::vector<Colour>& theme) : theme_(theme) {}

    // One element below a styleSheet child (`section`).
    void element(XmlPull& x, const std::string& section, const std::string& n) {
        if (section == "numFmts" && n == "numFmt") {
            const int id = parseInt(x.attrOr("numFmtId"), -1);
            if (id >= 0) numFmts_[id] = x.attrOr("formatCode");
        } else if (section == "fonts") {
            font(x, n);
        } else if (section == "fills") {
            if (n == "fill" && x.depth() == 2) fills_.emplace_back();
            else if (!fills_.empty() && n == "patternFill") fills_.back().pattern = x.attrOr("patternType", "none");
            else if (!fills_.empty() && n == "fgColor") fills_.back().fg = readColour(x, theme_);
            else if (!fills_.empty() && n == "bgColor") fills_.back().bg = readColour(x, theme_);
        } else if (section == "borders") {
            if (n == "border" && x.depth() == 2) borders_.push_back(false);
            else if (!borders_.empty() && (n == "left" || n == "right" || n == "top" || n == "bottom" ||
                                           n == "start" || n == "end")) {
                const std::string style = x.attrOr("style", "none");
                if (style != "none") borders_.back() = true;
            }
        } else if (section == "cellXfs") {
            cellFormat(x, n);
        }
    }

    std::vector<StyleData> styles() const {
        std::vector<StyleData> out;
        out.reserve(xfs_.size());
        // Every style copies its font and number format: a long name used by
        // many styles would multiply.
        std::size_t bytes = 0;
        for (const XfInfo& xf : xfs_) {
            out.push_back(style(xf));
            bytes += out.back().font.name.size() + out.back().numberFormat.size();
            if (bytes > kMaxDecodedBytes)
                throw RuntimeError(kErrInvalidFormat, "Damaged workbook: styles too large once decoded");
        }
        if (out.empty()) out.emplace_back();
        return out;
    }

private:
    void font(XmlPull& x, const std::string& n) {
        if (n == "font" && x.depth() == 2) {
            fonts_.emplace_back();
            fonts_.back().name = "Calibri";
            fonts_.back().size = 11;
            return;
        }
        if (fonts_.empty()) return;
        FontData& f = fonts_.back();
        if (n == "b") f.bold = x.attrOr("val", "1") != "0" && x.attrOr("val") != "false";
        else if (n == "i") f.italic = x.attrOr("val", "1") != "0" && x.attrOr("val") != "false";
        else if (n == "u") f.underline = x.attrOr("val", "single") != "none";
        else if (n == "sz") f.size = std::clamp(parseDouble(x.attrOr("val"), 11), 1.0, 409.0);
        else if (n == "name") f.name = x.attrOr("val", f.name);
        else if (n == "color") f.colour = readColour(x, theme_).value_or(0);
    }

    void cellFormat(XmlPull& x, const std::string& n) {
        if (n == "xf" && x.depth() == 2) {
            XfInfo xf;
            xf.numFmt = parseInt(x.attrOr("numFmtId"), 0);
            xf.font = parseInt(x.attrOr("fontId"), 0);
            xf.fill = parseInt(x.attrOr("fillId"), 0);
            xf.border = parseInt(x.attrOr("borderId"), 0);
            xfs_.push_back(xf);
        } else if (!xfs_.empty() && n == "alignment") {
            xfs_.back().h = parseHAlign(x.attrOr("horizontal"));
            xfs_.back().v = parseVAlign(x.attrOr("vertical", "bottom"));
            xfs_.back().wrap = parseFlag(x.attr("wrapText"), false);
        } else if (!xfs_.empty() && n == "protection") {
            xfs_.back().locked = parseFlag(x.attr("locked"), true);
        }
    }

    template <class T>
    static const T* at(const std::vector<T>& v, int index) {
        return index >= 0 && static_cast<std::size_t>(index) < v.size() ? &v[static_cast<std::size_t>(index)] : nullptr;
    }

    StyleData style(const XfInfo& xf) const {
        StyleData s;
        if (const FontData* f = at(fonts_, xf.font)) s.font = *f;
        else if (!fonts_.empty()) s.font = fonts_.front();
        if (const FillInfo* f = at(fills_, xf.fill)) {
            if (f->pattern != "none" && f->pattern != "gray125") s.fill = f->fg ? f->fg : f->bg;
        }
        if (xf.border >= 0 && static_cast<std::size_t>(xf.border) < borders_.size())
            s.border = borders_[static_cast<std::size_t>(xf.border)];
        if (auto it = numFmts_.find(xf.numFmt); it != numFmts_.end()) s.numberFormat = it->second;
        else s.numberFormat = builtinNumberFormat(xf.numFmt);
        if (s.numberFormat == "General") s.numberFormat.clear();
        s.hAlign = xf.h;
        s.vAlign = xf.v;
        s.wrap = xf.wrap;
        s.locked = xf.locked;
        return s;
    }

    const std::vector<Colour>& theme_;
    std::map<int, std::string> numFmts_;
    std::vector<FontData> fonts_;
    std::vector<FillInfo> fills_;
    std::vector<bool> borders_;
    std::vector<XfInfo> xfs_;
};

}  // namespace

std::vector<StyleData> parseStyles(const std::string& stylesXml, const std::vector<Colour>& theme) {
    StyleParts parts(theme);
    XmlPull x(stylesXml, "styles");
    std::string section;   // the styleSheet child being read
    while (x.next()) {
        const std::string n(x.name());
        if (x.depth() == 1) {
            section = x.isStart() && !x.isEmpty() ? n : std::string();
            continue;
        }
        if (x.isStart()) parts.element(x, section, n);
    }
    return parts.styles();
}

}  // namespace zevo::grid::xlsx

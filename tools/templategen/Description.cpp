#include "Description.h"

#include "XmlText.h"

#include <cctype>
#include <sstream>
#include <stdexcept>

namespace zevo::tools {

namespace {

[[noreturn]] void fail(const std::string& path, int line, const std::string& what) {
    throw std::runtime_error(path + ":" + std::to_string(line) + ": " + what);
}

bool isLetter(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

int columnNumber(const std::string& letters) {
    int n = 0;
    for (char c : letters) {
        if (!isLetter(c)) throw std::runtime_error("bad column letters: " + letters);
        n = n * 26 + (c - 'A' + 1);
    }
    if (n == 0 || n > 16384) throw std::runtime_error("bad column letters: " + letters);
    return n;
}

std::string columnLetters(int col) {
    std::string s;
    while (col > 0) {
        int r = (col - 1) % 26;
        s.insert(s.begin(), static_cast<char>('A' + r));
        col = (col - 1) / 26;
    }
    return s;
}

CellAddress parseAddress(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && isLetter(text[i])) ++i;
    std::string letters = text.substr(0, i);
    if (i < text.size() && text[i] == '_') ++i;
    std::string digits = text.substr(i);
    if (letters.empty() || digits.empty() || digits.size() > 7)
        throw std::runtime_error("bad cell address: " + text);
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) throw std::runtime_error("bad cell address: " + text);
    CellAddress a{columnNumber(letters), std::stoi(digits)};
    if (a.row < 1 || a.row > 1048576) throw std::runtime_error("bad cell address: " + text);
    return a;
}

std::string cellId(const CellAddress& a) { return columnLetters(a.col) + "_" + std::to_string(a.row); }

const SheetDef* Description::sheet(const std::string& name) const {
    for (const auto& s : sheets)
        if (s.name == name) return &s;
    return nullptr;
}

std::vector<std::string> tokenize(const std::string& line, int lineNo, const std::string& path) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string token;
        bool inQuote = false, any = false;
        while (i < line.size() && (inQuote || (line[i] != ' ' && line[i] != '\t'))) {
            char c = line[i];
            if (c == '"') {
                inQuote = !inQuote;
                any = true;
            } else if (inQuote && c == '\\' && i + 1 < line.size() &&
                       (line[i + 1] == '"' || line[i + 1] == '\\')) {
                token += line[++i];
            } else {
                token += c;
                any = true;
            }
            ++i;
        }
        if (inQuote) fail(path, lineNo, "unterminated quoted text");
        if (any) tokens.push_back(token);
    }
    return tokens;
}

namespace {

int parseColour(const std::string& hex, const std::string& path, int line) {
    if (hex.size() != 6) fail(path, line, "colour must be RRGGBB: " + hex);
    try {
        return std::stoi(hex, nullptr, 16);
    } catch (...) {
        fail(path, line, "colour must be RRGGBB: " + hex);
    }
}

std::pair<std::string, std::string> splitKey(const std::string& token) {
    auto eq = token.find('=');
    if (eq == std::string::npos) return {token, ""};
    return {token.substr(0, eq), token.substr(eq + 1)};
}

// Columns "A" or "A:C" -> first and last column.
std::pair<int, int> columnRange(const std::string& text) {
    auto colon = text.find(':');
    if (colon == std::string::npos) {
        int c = columnNumber(text);
        return {c, c};
    }
    return {columnNumber(text.substr(0, colon)), columnNumber(text.substr(colon + 1))};
}

std::pair<int, int> rowRange(const std::string& text) {
    auto colon = text.find(':');
    if (colon == std::string::npos) {
        int r = std::stoi(text);
        return {r, r};
    }
    return {std::stoi(text.substr(0, colon)), std::stoi(text.substr(colon + 1))};
}

const std::set<std::string> kDataKeys = {"id2", "encode", "receive", "status", "maxlen", "min", "max",
                                          "digits", "help", "pagebreak", "marker", "firstcell"};

}  // namespace

namespace {

// Reads a description line by line; a handler per command.
class DescriptionReader {
public:
    DescriptionReader(const std::string& path, const std::set<std::string>& defines)
        : path_(path), defines_(defines) {
        d_.path = path;
    }

    Description read() {
        std::istringstream in(readTextFile(path_));
        std::string raw;
        while (std::getline(in, raw)) {
            ++lineNo_;
            if (!raw.empty() && raw.back() == '\r') raw.pop_back();
            std::string line;
            if (!activeLine(raw, line)) continue;
            auto t = tokenize(line, lineNo_, path_);
            if (t.empty()) continue;
            try {
                command(t);
            } catch (const std::invalid_argument&) {
                fail(path_, lineNo_, "a number was expected");
            } catch (const std::out_of_range&) {
                fail(path_, lineNo_, "missing or out-of-range argument");
            } catch (const std::runtime_error& e) {
                std::string what = e.what();
                if (what.rfind(path_, 0) == 0) throw;
                fail(path_, lineNo_, what);
            }
        }
        if (d_.sheets.empty()) fail(path_, lineNo_, "no sheet described");
        return std::move(d_);
    }

private:
    // The line without blanks in front and without a condition that holds; false
    // for a blank line, a comment or a line whose condition does not hold.
    bool activeLine(const std::string& raw, std::string& line) const {
        const std::size_t start = raw.find_first_not_of(" \t");
        if (start == std::string::npos || raw[start] == '#') return false;
        line = raw.substr(start);
        if (line[0] != '[') return true;
        auto close = line.find(']');
        if (close == std::string::npos) fail(path_, lineNo_, "unterminated condition");
        std::string cond = line.substr(1, close - 1);
        const bool negate = !cond.empty() && cond[0] == '!';
        if (negate) cond.erase(0, 1);
        const bool defined = defines_.count(cond) > 0;
        if (defined == negate) return false;
        line = line.substr(close + 1);
        return true;
    }

    void command(const std::vector<std::string>& t) {
        const std::string& cmd = t[0];
        if (cmd == "style") return style(t);
        if (cmd == "sheet") return startSheet(t);
        if (!sheet_) fail(path_, lineNo_, "'" + cmd + "' before the first sheet");
        if (cmd == "document") {
            sheet_->document = t.at(1);
        } else if (cmd == "interface-ini") {
            sheet_->interfaceIni = t.at(1);
        } else if (cmd == "report-ini") {
            sheet_->reportIni = t.at(1);
            if (t.size() > 2) sheet_->orientation = t[2];
        } else if (cmd == "width") {
            if (t.size() != 3) fail(path_, lineNo_, "width COLUMNS PIXELS");
            auto [a, b] = columnRange(t[1]);
            for (int c = a; c <= b; ++c) sheet_->widths[c] = std::stoi(t[2]);
        } else if (cmd == "height") {
            if (t.size() != 3) fail(path_, lineNo_, "height ROWS POINTS");
            auto [a, b] = rowRange(t[1]);
            for (int r = a; r <= b; ++r) sheet_->heights[r] = std::stod(t[2]);
        } else if (cmd == "section") {
            section(t);
        } else if (cmd == "note") {
            note(t);
        } else {
            cell(t);
        }
    }

    void style(const std::vector<std::string>& t) {
        if (t.size() < 2) fail(path_, lineNo_, "style needs a name");
        StyleDef s;
        s.name = t[1];
        for (std::size_t i = 2; i < t.size(); ++i) {
            auto [k, v] = splitKey(t[i]);
            if (k == "like") {
                auto base = d_.styles.find(v);
                if (base == d_.styles.end()) fail(path_, lineNo_, "unknown style " + v);
                std::string name = s.name;
                s = base->second;
                s.name = name;
            } else if (k == "font") s.font = v;
            else if (k == "size") s.size = std::stod(v);
            else if (k == "bold") s.bold = true;
            else if (k == "italic") s.italic = true;
            else if (k == "wrap") s.wrap = true;
            else if (k == "border") s.border = true;
            else if (k == "unlocked") s.unlocked = true;
            else if (k == "fill") s.fill = parseColour(v, path_, lineNo_);
            else if (k == "colour") s.fontColour = parseColour(v, path_, lineNo_);
            else if (k == "align") s.align = v;
            else if (k == "valign") s.valign = v;
            else if (k == "format") s.numberFormat = v;
            else fail(path_, lineNo_, "unknown style property " + k);
        }
        d_.styles[s.name] = s;
    }

    void startSheet(const std::vector<std::string>& t) {
        if (t.size() < 2) fail(path_, lineNo_, "sheet needs a name");
        if (d_.sheet(t[1])) fail(path_, lineNo_, "duplicate sheet " + t[1]);
        d_.sheets.push_back({});
        sheet_ = &d_.sheets.back();
        sheet_->name = t[1];
        taken_.clear();
        for (std::size_t i = 2; i < t.size(); ++i) {
            auto [k, v] = splitKey(t[i]);
            if (k == "hidden") sheet_->hidden = true;
            else if (k == "landscape") sheet_->landscape = true;
            else if (k == "protect") sheet_->protect = true;
            else if (k == "paper") sheet_->paper = v == "A3" ? 8 : 9;
            else if (k == "fit") sheet_->fitWidth = std::stoi(v);
            else if (k == "margins") {
                std::istringstream m(v);
                std::string part;
                for (int j = 0; j < 4 && std::getline(m, part, ','); ++j) sheet_->margins[j] = std::stod(part);
            } else fail(path_, lineNo_, "unknown sheet property " + k);
        }
    }

    void section(const std::vector<std::string>& t) {
        SectionDef s;
        if (t.size() < 2 || (t[1] != "static" && t[1] != "dynamic"))
            fail(path_, lineNo_, "section static|dynamic [maxrows=N] [receive=0]");
        s.dynamic = t[1] == "dynamic";
        for (std::size_t i = 2; i < t.size(); ++i) {
            auto [k, v] = splitKey(t[i]);
            if (k == "maxrows") s.maxRows = std::stoi(v);
            else if (k == "receive") s.receive = v;
            else fail(path_, lineNo_, "unknown section property " + k);
        }
        sheet_->sections.push_back(s);
    }

    void note(const std::vector<std::string>& t) {
        if (t.size() != 3) fail(path_, lineNo_, "note ADDRESS TEXT");
        CellAddress a = parseAddress(t[1]);
        bool found = false;
        for (auto& c : sheet_->cells)
            if (c.at == a) { c.note = t[2]; found = true; }
        if (!found) fail(path_, lineNo_, "note on a cell not described: " + t[1]);
    }

    void cell(const std::vector<std::string>& t) {
        const std::string& cmd = t[0];
        CellDef c;
        c.line = lineNo_;
        if (cmd == "label") c.kind = CellKind::Label;
        else if (cmd == "formula") c.kind = CellKind::Formula;
        else if (cmd == "number") c.kind = CellKind::Number;
        else if (cmd == "data" || cmd == "bind") c.kind = CellKind::Data;
        else fail(path_, lineNo_, "unknown command " + cmd);
        const bool bindOnly = cmd == "bind";   // bound to a cell of another workbook
        if (t.size() < (bindOnly ? 2u : 3u)) fail(path_, lineNo_, cmd + " ADDRESS[:ADDRESS] STYLE ...");
        auto colon = t[1].find(':');
        c.at = parseAddress(t[1].substr(0, colon));
        c.to = colon == std::string::npos ? c.at : parseAddress(t[1].substr(colon + 1));
        if (c.to.col < c.at.col || c.to.row < c.at.row) fail(path_, lineNo_, "range runs backwards: " + t[1]);
        std::size_t i = 2;
        if (!bindOnly) {
            c.style = t[2];
            if (!d_.styles.count(c.style)) fail(path_, lineNo_, "unknown style " + c.style);
            i = 3;
        }
        i = cellContent(t, i, c);
        for (; i < t.size(); ++i) {
            auto [k, v] = splitKey(t[i]);
            if (c.kind != CellKind::Data) fail(path_, lineNo_, "attributes belong to data cells: " + t[i]);
            if (!kDataKeys.count(k)) fail(path_, lineNo_, "unknown data attribute " + k);
            c.attrs[k] = v.empty() && t[i].find('=') == std::string::npos ? "1" : v;
        }
        if (c.kind == CellKind::Data) c.section = static_cast<int>(sheet_->sections.size()) - 1;
        for (int r = c.at.row; r <= c.to.row; ++r)
            for (int col = c.at.col; col <= c.to.col; ++col)
                if (!taken_.insert({col, r}).second)
                    fail(path_, lineNo_, "cell described twice: " + cellId({col, r}));
        sheet_->cells.push_back(c);
    }

    // The text, formula, number or preset value of a cell from token i on; the
    // index of the first token after it.
    std::size_t cellContent(const std::vector<std::string>& t, std::size_t i, CellDef& c) const {
        const std::string& cmd = t[0];
        if (c.kind == CellKind::Label || c.kind == CellKind::Formula) {
            if (t.size() < 4) fail(path_, lineNo_, cmd + " needs its text");
            c.text = t[3];
            if (c.kind == CellKind::Formula && (c.text.empty() || c.text[0] != '='))
                fail(path_, lineNo_, "a formula starts with '='");
            return 4;
        }
        if (c.kind == CellKind::Number) {
            if (t.size() < 4) fail(path_, lineNo_, "number needs its value");
            c.number = std::stod(t[3]);
            return 4;
        }
        if (i < t.size() && t[i].find('=') == std::string::npos) c.text = t[i++];   // preset value of a data cell
        return i;
    }

    const std::string& path_;
    const std::set<std::string>& defines_;
    Description d_;
    int lineNo_ = 0;
    SheetDef* sheet_ = nullptr;
    std::set<CellAddress> taken_;
};

}  // namespace

Description readDescription(const std::string& path, const std::set<std::string>& defines) {
    return DescriptionReader(path, defines).read();
}

}  // namespace zevo::tools

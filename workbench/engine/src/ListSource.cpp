#include "zevo/engine/ListSource.h"

#include <iconv.h>

#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "zevo/RuntimeError.h"
#include "zevo/engine/PickSearch.h"
#include "zevo/grid/ColumnLetters.h"
#include "zevo/grid/XlsxReader.h"

namespace zevo::engine {

namespace {

const std::string kEmpty;

std::string nfcTrimmed(const std::string& text) {
    // Non-breaking spaces count as blanks: spreadsheets pad with them.
    QString s = QString::fromStdString(text).normalized(QString::NormalizationForm_C);
    s.replace(QChar(0x00A0), QLatin1Char(' '));
    return s.trimmed().toStdString();
}

bool endsWithXlsx(const std::string& path) {
    return QString::fromStdString(path).endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
}

// ---- workbook cells ----

// A number format that shows a date: d or y outside quoted text and [..] parts.
bool isDateFormat(const std::string& format) {
    bool quoted = false;
    int bracket = 0;
    for (char c : format) {
        if (c == '"') quoted = !quoted;
        else if (!quoted && c == '[') ++bracket;
        else if (!quoted && c == ']' && bracket > 0) --bracket;
        else if (!quoted && bracket == 0 && (c == 'd' || c == 'D' || c == 'y' || c == 'Y')) return true;
    }
    return false;
}

std::string numberText(double value) {
    if (std::isfinite(value) && std::fabs(value) < 1e15 && value == std::floor(value)) {
        char buffer[32];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
        return std::string(buffer, end);
    }
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

SourceTable readWorkbook(const std::string& path) {
    const grid::WorkbookData book = grid::readXlsx(path);
    const grid::SheetData* sheet = nullptr;
    for (const grid::SheetData& s : book.sheets)
        if (!s.hidden) {
            sheet = &s;
            break;
        }
    if (!sheet) throw RuntimeError(err::kTypeMismatch, path + ": the workbook has no visible sheet");
    SourceTable table;
    table.format = "xlsx";
    for (const grid::CellData& c : sheet->cells) {
        std::string text;
        switch (c.type) {
            case grid::CellValueType::Empty: continue;
            case grid::CellValueType::String:
            case grid::CellValueType::Error: text = c.text; break;
            case grid::CellValueType::Boolean: text = c.number != 0 ? "1" : "0"; break;
            case grid::CellValueType::Number: {
                const std::size_t style = static_cast<std::size_t>(c.style);
                const bool date = style < book.styles.size() && isDateFormat(book.styles[style].numberFormat);
                text = date ? serialToDate(c.number) : numberText(c.number);
                if (text.empty()) text = numberText(c.number);
                break;
            }
        }
        text = nfcTrimmed(text);
        if (text.empty()) continue;
        if (table.rows.size() < static_cast<std::size_t>(c.row)) table.rows.resize(static_cast<std::size_t>(c.row));
        auto& row = table.rows[static_cast<std::size_t>(c.row - 1)];
        if (row.size() < static_cast<std::size_t>(c.col)) row.resize(static_cast<std::size_t>(c.col));
        row[static_cast<std::size_t>(c.col - 1)] = std::move(text);
    }
    return table;
}

// ---- CSV ----

std::string fromUtf16(const std::string& bytes, std::size_t skip, bool littleEndian) {
    QStringDecoder decoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    const QString text = decoder(QByteArrayView(bytes.data() + skip, static_cast<qsizetype>(bytes.size() - skip)));
    return text.toStdString();
}

// Windows-1258 through the C library's converter; its combining tone marks are
// composed afterwards (NFC) by the caller.
std::string fromWindows1258(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP1258");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw RuntimeError(err::kTypeMismatch, "The system has no Windows-1258 converter");
    std::string out(bytes.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(bytes.data());
    std::size_t srcLeft = bytes.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) break;
        // A byte the code page leaves undefined: skip it, with a replacement mark.
        if (errno == EILSEQ && dstLeft >= 3) {
            ++src;
            --srcLeft;
            std::memcpy(dst, "\xEF\xBF\xBD", 3);
            dst += 3;
            dstLeft -= 3;
            continue;
        }
        break;
    }
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

char separatorOf(const std::string& text) {
    std::map<char, int> counts;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r')) break;
        else if (!quoted && (c == ',' || c == ';' || c == '\t')) ++counts[c];
    }
    char best = ',';
    int most = 0;
    for (char c : {',', ';', '\t'})
        if (counts[c] > most) {
            most = counts[c];
            best = c;
        }
    return best;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RuntimeError(err::kFileNotFound, path + ": the file cannot be opened");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// ---- header texts ----

// Folded, with every character that is not a letter or digit made a blank.
std::string headerKey(const std::string& text) {
    QString folded = foldForSearch(QString::fromStdString(text));
    for (QChar& c : folded)
        if (!c.isLetterOrNumber()) c = u' ';
    return folded.simplified().toStdString();
}

bool containsWords(const std::string& text, const std::string& words) {
    const std::string padded = " " + text + " ";
    return padded.find(" " + words + " ") != std::string::npos;
}

std::string removeWords(std::string text, const std::string& words) {
    std::string padded = " " + text + " ";
    for (std::size_t at; (at = padded.find(" " + words + " ")) != std::string::npos;)
        padded.replace(at, words.size() + 2, " ");
    return QString::fromStdString(padded).simplified().toStdString();
}

// Header texts per field key (as headerKey leaves them); the longest that matches wins.
const std::map<std::string, std::vector<std::string>>& aliases() {
    static const std::map<std::string, std::vector<std::string>> kAliases = {
        {"tin", {"ma so thue", "mst", "ma so thue ca nhan", "mst ca nhan", "mst tncn", "tax code", "tin"}},
        {"name", {"ho va ten", "ho ten", "ho va ten nhan vien", "ho ten nhan vien", "ten nhan vien",
                  "ho va ten nguoi lao dong", "full name", "name", "employee name"}},
        {"birth", {"ngay sinh", "ngay thang nam sinh", "sinh ngay", "date of birth", "birth date", "dob"}},
        {"sex", {"gioi tinh", "gender", "sex", "nam nu"}},
        {"nationality", {"quoc tich", "nationality"}},
        {"idno", {"so cmnd", "so cccd", "cmnd", "cccd", "so cmnd cccd", "cmnd cccd", "so cccd cmnd", "cccd cmnd",
                  "chung minh nhan dan", "so chung minh nhan dan", "can cuoc cong dan", "so can cuoc cong dan",
                  "so can cuoc", "can cuoc", "so dinh danh", "so dinh danh ca nhan", "so giay to", "id number"}},
        {"iddate", {"ngay cap", "ngay cap cmnd", "ngay cap cccd", "ngay cap cmnd cccd", "ngay cap cccd cmnd",
                    "ngay cap giay to"}},
        {"idplace", {"noi cap", "noi cap cmnd", "noi cap cccd", "noi cap cmnd cccd", "noi cap giay to"}},
        {"passport", {"ho chieu", "so ho chieu", "passport", "passport number"}},
        {"passportdate", {"ngay cap ho chieu", "ngay cap hc"}},
        {"natnote", {"ghi chu quoc tich"}},
        {"street", {"so nha", "dia chi", "so nha duong pho", "so nha duong pho thon xom", "dia chi chi tiet",
                    "address"}},
        {"province", {"tinh thanh pho", "tinh tp", "tinh thanh", "tinh", "thanh pho", "tp", "province"}},
        {"district", {"quan huyen", "quan", "huyen", "quan huyen thi xa", "district"}},
        {"ward", {"phuong xa", "xa phuong", "phuong", "xa", "phuong xa thi tran", "ward"}},
        {"country", {"quoc gia", "country"}},
        {"phone", {"dien thoai", "so dien thoai", "sdt", "dt", "dien thoai di dong", "phone", "mobile"}},
        {"email", {"email", "e mail", "thu dien tu", "dia chi email", "dia chi thu dien tu"}},
        {"start", {"ngay bat dau lam viec", "ngay vao lam", "ngay bat dau", "ngay vao cong ty", "ngay lam viec",
                   "start date"}},
    };
    return kAliases;
}

const std::array<const char*, 5> kCurrentWords = {"hien tai", "tam tru", "noi o", "cho o", "hien nay"};
const std::array<const char*, 4> kPermanentWords = {"thuong tru", "ho khau", "hktt", "ho khau thuong tru"};

// The field key a header names, the score of the match (0 = none) and which
// address its words name (0 none, 1 permanent, 2 current).
struct HeaderMatch {
    std::string key;
    std::size_t score = 0;
    int address = 0;
};

HeaderMatch matchHeader(const std::string& header) {
    HeaderMatch best;
    std::string key = headerKey(header);
    for (const char* w : kCurrentWords)
        if (containsWords(key, w)) {
            best.address = 2;
            key = removeWords(key, w);
        }
    if (best.address == 0)
        for (const char* w : kPermanentWords)
            if (containsWords(key, w)) {
                best.address = 1;
                key = removeWords(key, w);
            }
    if (key.empty()) return best;
    for (const auto& [field, names] : aliases())
        for (const std::string& name : names) {
            // A whole-text match beats any part; among parts the longest wins.
            const std::size_t score = key == name ? 1000 + name.size() : containsWords(key, name) ? name.size() : 0;
            if (score > best.score) {
                best.score = score;
                best.key = field;
            }
        }
    return best;
}

// The field of the other address, of the passport for the identity paper's date.
std::string secondChoice(const std::string& key) {
    static const std::map<std::string, std::string> kSecond = {
        {"street", "street2"}, {"province", "province2"}, {"district", "district2"},
        {"ward", "ward2"}, {"iddate", "passportdate"}};
    const auto it = kSecond.find(key);
    return it == kSecond.end() ? std::string() : it->second;
}

int daysInMonth(int month, int year) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return kDays[month - 1];
}

std::string twoDigits(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

// Digits of the text from `at`, at most `most`; their count in `count`.
int digitsAt(const std::string& s, std::size_t& at, int most, int& count) {
    int value = 0;
    count = 0;
    while (at < s.size() && count < most && s[at] >= '0' && s[at] <= '9') {
        value = value * 10 + (s[at++] - '0');
        ++count;
    }
    return value;
}

}  // namespace

// ---------------------------------------------------------------- the table

int SourceTable::columnCount() const {
    std::size_t most = 0;
    for (const auto& row : rows) most = std::max(most, row.size());
    return static_cast<int>(most);
}

const std::string& SourceTable::cell(int row, int col) const {
    if (row < 0 || col < 0 || static_cast<std::size_t>(row) >= rows.size()) return kEmpty;
    const auto& r = rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(col) < r.size() ? r[static_cast<std::size_t>(col)] : kEmpty;
}

SourceTable readSourceTable(const std::string& path) {
    SourceTable table;
    if (endsWithXlsx(path)) {
        table = readWorkbook(path);
    } else {
        std::string encoding;
        const std::string text = decodeText(readBytes(path), encoding);
        table.format = "CSV " + encoding;
        for (auto& record : parseCsv(text)) {
            for (std::string& cell : record) cell = nfcTrimmed(cell);
            while (!record.empty() && record.back().empty()) record.pop_back();
            table.rows.push_back(std::move(record));
        }
    }
    while (!table.rows.empty() && table.rows.back().empty()) table.rows.pop_back();
    if (table.rows.empty()) throw RuntimeError(err::kTypeMismatch, path + ": the file holds no rows");
    table.headerRow = guessHeaderRow(table);
    return table;
}

std::string decodeText(const std::string& bytes, std::string& encoding) {
    const auto starts = [&](const char* bom, std::size_t n) { return bytes.size() >= n && bytes.compare(0, n, bom, n) == 0; };
    if (starts("\xEF\xBB\xBF", 3)) {
        encoding = "UTF-8";
        return QString::fromUtf8(bytes.data() + 3, static_cast<qsizetype>(bytes.size() - 3)).toStdString();
    }
    if (starts("\xFF\xFE", 2)) {
        encoding = "UTF-16LE";
        return fromUtf16(bytes, 2, true);
    }
    if (starts("\xFE\xFF", 2)) {
        encoding = "UTF-16BE";
        return fromUtf16(bytes, 2, false);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) {
        encoding = "UTF-8";
        return text.toStdString();
    }
    encoding = "Windows-1258";
    return fromWindows1258(bytes);
}

std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    const char separator = separatorOf(text);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false, any = false;
    const auto endField = [&] {
        record.push_back(std::move(field));
        field.clear();
    };
    const auto endRecord = [&] {
        endField();
        records.push_back(std::move(record));
        record.clear();
        any = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
            else quoted = false;
            continue;
        }
        if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == separator) {
            endField();
            any = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRecord();
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.empty()) endRecord();
    return records;
}

// ---------------------------------------------------------------- fields

const std::vector<ListField>& listFields() {
    static const std::vector<ListField> kFields = {
        {"tin", "G", "Mã số thuế", FieldKind::TaxCode, 0},
        {"name", "K", "Họ và tên", FieldKind::Text, 0},
        {"birth", "N", "Ngày sinh", FieldKind::Date, 0},
        {"sex", "Q", "Giới tính", FieldKind::Pick, 0},
        {"nationality", "S", "Quốc tịch", FieldKind::Pick, 0},
        {"idno", "T", "Số CMND/CCCD", FieldKind::Digits, 0},
        {"iddate", "U", "Ngày cấp CMND/CCCD", FieldKind::Date, 0},
        {"idplace", "V", "Nơi cấp CMND/CCCD", FieldKind::Pick, 0},
        {"passport", "W", "Số hộ chiếu", FieldKind::Text, 0},
        {"passportdate", "X", "Ngày cấp hộ chiếu", FieldKind::Date, 0},
        {"natnote", "Y", "Ghi chú quốc tịch", FieldKind::Text, 0},
        {"street", "Z", "Số nhà, đường phố (thường trú)", FieldKind::Text, 1},
        {"province", "AB", "Tỉnh/Thành phố (thường trú)", FieldKind::Province, 1},
        {"district", "AD", "Quận/Huyện (thường trú)", FieldKind::District, 1},
        {"ward", "AF", "Phường/Xã (thường trú)", FieldKind::Ward, 1},
        {"country", "AH", "Quốc gia", FieldKind::Pick, 1},
        {"street2", "AI", "Số nhà, đường phố (hiện tại)", FieldKind::Text, 2},
        {"province2", "AK", "Tỉnh/Thành phố (hiện tại)", FieldKind::Province, 2},
        {"district2", "AM", "Quận/Huyện (hiện tại)", FieldKind::District, 2},
        {"ward2", "AO", "Phường/Xã (hiện tại)", FieldKind::Ward, 2},
        {"phone", "AP", "Điện thoại", FieldKind::Text, 0},
        {"email", "AQ", "Thư điện tử", FieldKind::Text, 0},
        {"start", "AU", "Ngày bắt đầu làm việc", FieldKind::Date, 0},
    };
    return kFields;
}

int fieldIndex(const std::string& key) {
    const auto& fields = listFields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (key == fields[i].key) return static_cast<int>(i);
    return -1;
}

ColumnMapping guessMapping(const std::vector<std::string>& header) {
    ColumnMapping mapping(listFields().size(), -1);
    const auto take = [&](const std::string& key, int col) {
        const int f = fieldIndex(key);
        if (f < 0 || mapping[static_cast<std::size_t>(f)] >= 0) return false;
        mapping[static_cast<std::size_t>(f)] = col;
        return true;
    };
    for (std::size_t c = 0; c < header.size(); ++c) {
        const HeaderMatch m = matchHeader(header[c]);
        if (m.score == 0) continue;
        const int col = static_cast<int>(c);
        const int f = fieldIndex(m.key);
        const bool addressField = listFields()[static_cast<std::size_t>(f)].address == 1;
        // Words naming the current address send an address field there.
        if (m.address == 2 && addressField && m.key != "country") {
            take(m.key + "2", col);
            continue;
        }
        if (!take(m.key, col) && m.address == 0) take(secondChoice(m.key), col);
    }
    return mapping;
}

int guessHeaderRow(const SourceTable& table) {
    int best = -1, bestCount = 1;
    const int rows = std::min<int>(10, static_cast<int>(table.rows.size()));
    for (int r = 0; r < rows; ++r) {
        const ColumnMapping m = guessMapping(table.rows[static_cast<std::size_t>(r)]);
        const int count = static_cast<int>(std::count_if(m.begin(), m.end(), [](int c) { return c >= 0; }));
        if (count > bestCount) {
            best = r;
            bestCount = count;
        }
    }
    return best;
}

std::optional<ColumnMapping> parseMapping(const std::string& text, std::string& error) {
    ColumnMapping mapping(listFields().size(), -1);
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        item = QString::fromStdString(item).trimmed().toStdString();
        if (item.empty()) continue;
        const std::size_t eq = item.find('=');
        const std::string key = eq == std::string::npos ? item : item.substr(0, eq);
        const int f = fieldIndex(QString::fromStdString(key).trimmed().toLower().toStdString());
        if (f < 0) {
            error = "Unknown field '" + key + "' in --map";
            return std::nullopt;
        }
        const std::string letters =
            eq == std::string::npos ? std::string() : QString::fromStdString(item.substr(eq + 1)).trimmed().toStdString();
        const int col = grid::columnNumber(letters);
        if (col < 1) {
            error = "The field '" + key + "' needs a column letter (" + key + "=B)";
            return std::nullopt;
        }
        if (mapping[static_cast<std::size_t>(f)] >= 0) {
            error = "The field '" + key + "' is given twice in --map";
            return std::nullopt;
        }
        mapping[static_cast<std::size_t>(f)] = col - 1;
    }
    return mapping;
}

std::string formatMapping(const ColumnMapping& mapping) {
    std::string out;
    const auto& fields = listFields();
    for (std::size_t f = 0; f < fields.size() && f < mapping.size(); ++f) {
        if (mapping[f] < 0) continue;
        if (!out.empty()) out += ',';
        out += std::string(fields[f].key) + "=" + grid::columnLetters(mapping[f] + 1);
    }
    return out;
}

// ---------------------------------------------------------------- dates

std::string serialToDate(double serial) {
    if (!std::isfinite(serial) || serial < 1 || serial >= 2958466) return {};
    // Days from 1970-01-01 of serial day 25569; the civil-from-days conversion.
    long z = static_cast<long>(std::floor(serial)) - 25569 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return twoDigits(day) + "/" + twoDigits(month) + "/" + std::to_string(year);
}

DateResult readDate(const std::string& input) {
    const std::string s = QString::fromStdString(input).trimmed().toStdString();
    DateResult out;
    const std::string kForms = "Không phải ngày (dd/mm/yyyy, yyyy-mm-dd hoặc số ngày của bảng tính)";
    int day = 0, month = 0, year = 0, n = 0;
    std::size_t at = 0;
    const int first = digitsAt(s, at, 8, n);
    const auto separator = [&](std::size_t i) { return i < s.size() && (s[i] == '/' || s[i] == '-' || s[i] == '.'); };
    if (n == 4 && separator(at)) {   // yyyy-mm-dd
        const char sep = s[at++];
        year = first;
        month = digitsAt(s, at, 2, n);
        if (n == 0 || at >= s.size() || s[at] != sep) return {"", kForms};
        ++at;
        day = digitsAt(s, at, 2, n);
        if (n == 0 || (at < s.size() && s[at] != ' ' && s[at] != 'T')) return {"", kForms};
    } else if (n >= 1 && n <= 2 && separator(at)) {   // dd/mm/yyyy
        const char sep = s[at++];
        day = first;
        month = digitsAt(s, at, 2, n);
        if (n == 0 || at >= s.size() || s[at] != sep) return {"", kForms};
        ++at;
        year = digitsAt(s, at, 5, n);
        if (at < s.size() && s[at] != ' ') return {"", kForms};
        if (n != 4) return {"", "Năm phải đủ bốn chữ số"};
    } else {
        // A serial day number, perhaps with a time of day as its fraction.
        double serial = 0;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), serial);
        if (s.empty() || ec != std::errc() || end != s.data() + s.size() || serial < 10000)
            return {"", kForms};
        out.text = serialToDate(serial);
        if (out.text.empty()) return {"", kForms};
        return out;
    }
    if (year <= 1900 || month < 1 || month > 12 || day < 1 || day > daysInMonth(month, year))
        return {"", "Ngày không có thật"};
    out.text = twoDigits(day) + "/" + twoDigits(month) + "/" + std::to_string(year);
    return out;
}

}  // namespace zevo::engine

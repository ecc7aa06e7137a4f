#pragma once
// A payroll export such as an accountant has: names with diacritics, birth dates
// in three forms (dd/mm/yyyy, yyyy-mm-dd, spreadsheet serial day numbers), places
// spelled without diacritics or abbreviated, a few deliberately bad rows. Written
// as an .xlsx (title rows above the header, the grid's writer) or as CSV text.
#include <cstdio>
#include <string>
#include <vector>

#include "zevo/grid/WorkbookData.h"
#include "zevo/grid/XlsxWriter.h"

namespace zevo::testing {

struct PayrollRow {
    std::string name, birth, sex, nationality, idno, street, province, district, ward;
    double birthSerial = 0;   // > 0: the birth date is a serial day number
    // What the declaration must hold for a good row.
    std::string birthText, sexId, provinceId, districtId, wardId;
    std::string badReason;    // the start of the reason a bad row gets; "" for good rows
    int badColumn = -1;       // 0-based file column of the bad value
};

// File columns: A code, B name, C birth, D sex, E nationality, F identity number,
// G street, H province, I district, J ward, K salary.
inline std::vector<PayrollRow> makePayroll(int count, bool badRows) {
    struct Place {
        const char *province, *district, *ward, *provinceId, *districtId, *wardId;
    };
    static const Place kPlaces[] = {
        {"ha noi", "ba dinh", "phuc xa", "01", "001", "00001"},
        {"Hà Nội", "Quận Hoàn Kiếm", "phuong phuc tan", "01", "002", "00037"},
        {"TP. Ho Chi Minh", "Q.1", "P. Tan Dinh", "79", "760", "26734"},
        {"THANH PHO HA NOI", "Ba Dinh", "Truc Bach", "01", "001", "00004"},
    };
    static const char* kFamily[] = {"Nguyễn", "Trần", "Lê", "Phạm", "Hoàng", "Vũ", "Đặng", "Bùi"};
    static const char* kGiven[] = {"Văn An", "Thị Bích", "Đức Cường", "Thu Hà", "Quốc Hưng", "Ngọc Lan"};
    std::vector<PayrollRow> rows;
    for (int i = 0; i < count; ++i) {
        PayrollRow r;
        r.name = std::string(kFamily[i % 8]) + " " + kGiven[i % 6] + " " + std::to_string(i + 1);
        const int day = 1 + i % 28, month = 1 + i % 12, year = 1970 + i % 30;
        char text[16];
        std::snprintf(text, sizeof text, "%02d/%02d/%04d", day, month, year);
        r.birthText = text;
        if (i % 3 == 0) {
            r.birth = text;
        } else if (i % 3 == 1) {
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
            r.birth = text;
        } else {
            // Days since 30/12/1899 (the spreadsheet's day 0) of the same date.
            const auto days = [](int y, int m, int d) {
                y -= m <= 2;
                const int era = y / 400, yoe = y - era * 400;
                const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
                return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468 + 25569;
            };
            r.birthSerial = days(year, month, day);
            r.birth = std::to_string(static_cast<long>(r.birthSerial));
        }
        r.sex = i % 2 ? (i % 4 == 1 ? "nữ" : "NU") : "Nam";
        r.sexId = i % 2 ? "2" : "1";
        r.nationality = i % 5 ? "Việt Nam" : "viet nam";
        char id[16];
        std::snprintf(id, sizeof id, "0010%08d", 85000000 + i);
        r.idno = id;
        r.street = std::to_string(i + 1) + " Phố Huế";
        const Place& p = kPlaces[i % 4];
        r.province = p.province;
        r.district = p.district;
        r.ward = p.ward;
        r.provinceId = p.provinceId;
        r.districtId = p.districtId;
        r.wardId = p.wardId;
        rows.push_back(r);
    }
    if (badRows) {
        // Five rows spread over the file, each with one value typing cannot take.
        const struct {
            int at;
            int column;
            const char* value;
            const char* reason;
        } kBad[] = {{49, 2, "31/02/1985", "Ngày không có thật"},
                    {149, 7, "Sai Gon", "Không có trong danh mục"},
                    {249, 3, "X", "Không có trong danh mục"},
                    {349, 5, "12AB34", "Chỉ được gồm chữ số"},
                    {449, 8, "Quan 9", "Không có trong danh mục của Thành phố Hà Nội"}};
        for (const auto& b : kBad) {
            if (b.at >= count) continue;
            PayrollRow& r = rows[static_cast<std::size_t>(b.at)];
            std::string* target[] = {nullptr, &r.name, &r.birth, &r.sex, &r.nationality, &r.idno,
                                     &r.street, &r.province, &r.district, &r.ward};
            *target[b.column] = b.value;
            if (b.column == 2) r.birthSerial = 0;
            if (b.column == 8) {   // a district of Ho Chi Minh City under Ha Noi
                r.province = "ha noi";
                r.ward = "phuc xa";
            }
            r.badReason = b.reason;
            r.badColumn = b.column;
        }
    }
    return rows;
}

inline std::vector<std::string> payrollCells(const PayrollRow& r, int index) {
    return {"NV" + std::to_string(1000 + index), r.name, r.birth, r.sex, r.nationality, r.idno,
            r.street, r.province, r.district, r.ward, std::to_string(8000000 + index * 1000)};
}

// Two title rows and an empty row above the header (row 4); data from row 5.
inline void writePayrollXlsx(const std::vector<PayrollRow>& rows, const std::string& path) {
    grid::WorkbookData book;
    grid::StyleData date;
    date.numberFormat = "dd/mm/yyyy";
    book.styles.push_back(date);   // style 1
    grid::SheetData sheet;
    sheet.name = "Bảng lương";
    auto text = [&](int row, int col, const std::string& t) {
        grid::CellData c;
        c.row = row;
        c.col = col;
        c.type = grid::CellValueType::String;
        c.text = t;
        sheet.cells.push_back(c);
    };
    text(1, 1, "CÔNG TY TNHH ÁNH DƯƠNG");
    text(2, 1, "BẢNG LƯƠNG THÁNG 12/2026");
    const char* header[] = {"Mã NV", "Họ và tên", "Ngày sinh", "Giới tính", "Quốc tịch", "Số CCCD",
                            "Địa chỉ thường trú", "Tỉnh/Thành phố", "Quận/Huyện", "Phường/Xã", "Lương cơ bản"};
    for (int c = 0; c < 11; ++c) text(4, c + 1, header[c]);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = 5 + static_cast<int>(i);
        const std::vector<std::string> cells = payrollCells(rows[i], static_cast<int>(i));
        for (int c = 0; c < 11; ++c) {
            if (c == 2 && rows[i].birthSerial > 0) {
                grid::CellData d;
                d.row = row;
                d.col = c + 1;
                d.type = grid::CellValueType::Number;
                d.number = rows[i].birthSerial;
                d.style = 1;
                sheet.cells.push_back(d);
            } else if (c == 10) {
                grid::CellData n;
                n.row = row;
                n.col = c + 1;
                n.type = grid::CellValueType::Number;
                n.number = 8000000 + static_cast<double>(i) * 1000;
                sheet.cells.push_back(n);
            } else {
                text(row, c + 1, cells[static_cast<std::size_t>(c)]);
            }
        }
    }
    sheet.maxCol = 11;
    sheet.maxRow = 4 + static_cast<int>(rows.size());
    book.sheets.push_back(sheet);
    grid::writeXlsx(book, path);
}

// The same rows as CSV (header in the first line), headers without diacritics.
inline std::string payrollCsv(const std::vector<PayrollRow>& rows, char separator = ',') {
    const auto field = [&](const std::string& s) {
        if (s.find_first_of(",;\"\n") == std::string::npos) return s;
        std::string q = "\"";
        for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
        return q + "\"";
    };
    std::string out = "MA NV,HO TEN,NGAY SINH,GIOI TINH,QUOC TICH,SO CMND/CCCD,DIA CHI,TINH/TP,QUAN/HUYEN,PHUONG/XA,LUONG\r\n";
    if (separator != ',')
        for (char& c : out)
            if (c == ',') c = separator;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::vector<std::string> cells = payrollCells(rows[i], static_cast<int>(i));
        for (std::size_t c = 0; c < cells.size(); ++c) out += (c ? std::string(1, separator) : "") + field(cells[c]);
        out += "\r\n";
    }
    return out;
}

}  // namespace zevo::testing

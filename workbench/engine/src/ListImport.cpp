#include "zevo/engine/ListImport.h"

#include <QString>

#include <algorithm>
#include <exception>
#include <map>
#include <optional>

#include "zevo/ErrorLog.h"
#include "zevo/clsVariables.h"
#include "zevo/engine/CellUpdates.h"
#include "zevo/engine/CheckTaxCode.h"
#include "zevo/engine/DynamicRows.h"
#include "zevo/engine/MainController.h"
#include "zevo/engine/PickSearch.h"
#include "zevo/grid/ColumnLetters.h"
#include "zevo/grid/GridStateGuard.h"
#include "zevo/sheetdocs/CellAddress.h"

namespace zevo::engine {

namespace {

// The list of individuals: sheet 1 from row 38, numbered in D, ended by "aa" in D.
constexpr int kListSheet = 1;
constexpr int kFirstListRow = 38;
constexpr const char* kNumberColumn = "D";
constexpr const char* kEndMarker = "aa";
constexpr const char* kModule = "ListImport";

int colOf(const char* letters) { return grid::columnNumber(letters); }

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::size_t characters(const std::string& utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

// One row of the file, as it will be typed: per field, the text to type ("" = none).
struct PreparedRow {
    int fileRow = 0;
    std::vector<std::string> values;
    std::vector<bool> refused;   // per field: its value was not taken
};

// What typing would take, looked up the way the grid and the rules look it up.
class RowChecker {
public:
    RowChecker(MainController& controller) : controller_(controller), grid_(controller.grid()) {
        rules::RuleObject* rule = controller.ruleObject();
        location_ = rule->getXMLLocation();
    }

    // The value to type for field f, or nullopt with the reason.
    std::optional<std::string> check(std::size_t f, const std::string& value, const PreparedRow& row,
                                     std::string& reason) {
        const ListField& field = listFields()[f];
        switch (field.kind) {
            case FieldKind::Date: {
                const DateResult date = readDate(value);
                if (date.text.empty()) reason = date.reason;
                return date.text.empty() ? std::nullopt : std::optional<std::string>(date.text);
            }
            case FieldKind::TaxCode: return taxCode(value, reason);
            case FieldKind::Digits: {
                std::string digits;
                for (char c : value)
                    if (c != ' ') digits += c;
                if (digits.find_first_not_of("0123456789") != std::string::npos) {
                    reason = "Chỉ được gồm chữ số";
                    return std::nullopt;
                }
                return fits(field, digits, reason);
            }
            case FieldKind::Text: return fits(field, value, reason);
            case FieldKind::Pick: return pick(comboList(field.column), value, reason);
            case FieldKind::Province: return pick(comboList(field.column), value, reason);
            case FieldKind::District: {
                const auto p = static_cast<std::size_t>(provinceField(field.address));
                const std::string& province = row.values[p];
                if (row.refused[p]) {
                    reason = "Tỉnh/Thành phố của dòng này không nhận được";
                    return std::nullopt;
                }
                if (province.empty()) {
                    reason = "Thiếu Tỉnh/Thành phố của quận/huyện này";
                    return std::nullopt;
                }
                return pick(districts(province), value, reason, province);
            }
            case FieldKind::Ward: {
                const auto p = static_cast<std::size_t>(provinceField(field.address));
                const std::string& province = row.values[p];
                const std::string& district = row.values[p + 1];
                if (row.refused[p] || row.refused[p + 1]) {
                    reason = "Quận/Huyện của dòng này không nhận được";
                    return std::nullopt;
                }
                if (province.empty() || district.empty()) {
                    reason = "Thiếu Quận/Huyện của phường/xã này";
                    return std::nullopt;
                }
                return pick(wards(province, district), value, reason, district);
            }
        }
        return std::nullopt;
    }

private:
    static int provinceField(int address) { return fieldIndex(address == 2 ? "province2" : "province"); }

    // The first list row's cell of the column: its kind, limits and pick list are
    // those of every list row.
    void address(const char* column) {
        grid_.setSheet(kListSheet);
        grid_.setPosition(colOf(column), kFirstListRow);
    }

    std::optional<std::string> fits(const ListField& field, const std::string& value, std::string& reason) {
        address(field.column);
        const int most = grid_.maxEditLen();
        if (most > 0 && characters(value) > static_cast<std::size_t>(most)) {
            reason = "Dài quá " + std::to_string(most) + " ký tự";
            return std::nullopt;
        }
        return value;
    }

    static std::optional<std::string> taxCode(const std::string& value, std::string& reason) {
        std::string digits;
        for (char c : value)
            if (c != ' ' && c != '.' && c != '-') digits += c;
        if ((digits.size() != 10 && digits.size() != 13) ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            reason = "Mã số thuế phải có 10 hoặc 13 chữ số";
            return std::nullopt;
        }
        if (!CheckTaxCode(digits.substr(0, 10))) {
            reason = "Mã số thuế sai chữ số kiểm tra";
            return std::nullopt;
        }
        return value;
    }

    const PickList& comboList(const char* column) {
        auto it = lists_.find(column);
        if (it == lists_.end()) {
            address(column);
            it = lists_.emplace(column, PickList::fromComboList(grid_.comboList())).first;
        }
        return it->second;
    }

    // The lists the rules give a district and a ward cell once the province and the
    // district are picked.
    const PickList& districts(const std::string& province) {
        const std::string key = "D\t" + province;
        auto it = lists_.find(key);
        if (it == lists_.end()) {
            rules::RuleObject* rule = controller_.ruleObject();
            const xml::Node item = rule->getNodeByValue(1, province, location_);
            it = lists_.emplace(key, PickList::fromComboList(rule->getValueListToString(2, location_, item))).first;
        }
        return it->second;
    }

    const PickList& wards(const std::string& province, const std::string& district) {
        const std::string key = "W\t" + province + "\t" + district;
        auto it = lists_.find(key);
        if (it == lists_.end()) {
            rules::RuleObject* rule = controller_.ruleObject();
            const xml::Node p = rule->getNodeByValue(1, province, location_);
            const xml::Node d = rule->getNodeByValue(2, district, location_, p);
            it = lists_.emplace(key, PickList::fromComboList(rule->getValueListToString(3, location_, d))).first;
        }
        return it->second;
    }

    static std::optional<std::string> pick(const PickList& list, const std::string& value, std::string& reason,
                                           const std::string& parent = {}) {
        QStringList candidates;
        const QString found = list.resolve(QString::fromStdString(value), &candidates);
        if (!found.isNull()) return found.toStdString();
        if (!candidates.isEmpty()) {
            reason = "Khớp nhiều mục: " + candidates.mid(0, 4).join(QStringLiteral("; ")).toStdString();
        } else {
            reason = parent.empty() ? "Không có trong danh mục" : "Không có trong danh mục của " + parent;
        }
        return std::nullopt;
    }

    MainController& controller_;
    grid::SpreadModel& grid_;
    xml::DocumentPtr location_;
    std::map<std::string, PickList> lists_;
};

// The last row of the list (the row above the end marker).
int lastListRow(grid::SpreadModel& grid) {
    const int colD = colOf(kNumberColumn);
    const int rows = grid.maxRowsOf(kListSheet);
    int row = kFirstListRow;
    while (row + 1 <= rows && grid.textOf(kListSheet, colD, row + 1) != kEndMarker) ++row;
    return row;
}

// Whether a list row holds nothing the user typed, judged as the rules judge a
// row's content: zeros and the empty date placeholder count as nothing.
bool rowIsBlank(grid::SpreadModel& grid, int row) {
    for (const ListField& field : listFields()) {
        std::string text = grid.textOf(kListSheet, colOf(field.column), row);
        text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '0' || c == '.' || c == '/' || c == ' '; }),
                   text.end());
        if (!text.empty()) return false;
    }
    return true;
}

}  // namespace

std::string ImportReport::summary() const {
    if (!failure.empty()) return "Không nhập được: " + failure;
    std::string out = "Đã nhập " + std::to_string(imported) + " dòng";
    if (leftOut > 0) out += ", " + std::to_string(leftOut) + " dòng không nhập";
    out += ".";
    if (!issues.empty()) out += " " + std::to_string(issues.size()) + " ô không nhận (xem báo cáo).";
    return out;
}

std::string ImportReport::table() const {
    std::string out = "Dòng\tCột\tTrường\tGiá trị\tLý do\n";
    for (const ImportIssue& i : issues)
        out += std::to_string(i.row) + "\t" + i.column + "\t" + i.field + "\t" + i.value + "\t" + i.reason +
               (i.rowLeftOut ? " (dòng không nhập)" : "") + "\n";
    return out;
}

ImportReport importList(MainController& controller, const SourceTable& table, const ColumnMapping& mapping) {
    ImportReport report;
    grid::SpreadModel& grid = controller.grid();
    bool appended = false;
    const auto& fields = listFields();
    UndoHistory::Suspend notRecorded(controller.history());
    try {
        if (!controller.ruleObject()) {
            report.failure = "tờ khai chưa mở";
            return report;
        }
        if (std::none_of(mapping.begin(), mapping.end(), [](int c) { return c >= 0; })) {
            report.failure = "chưa chọn cột nào để nhập";
            return report;
        }
        // 1. Each row checked as typing would take it.
        RowChecker checker(controller);
        std::vector<PreparedRow> accepted;
        for (std::size_t r = static_cast<std::size_t>(table.headerRow + 1); r < table.rows.size(); ++r) {
            PreparedRow row;
            row.fileRow = static_cast<int>(r) + 1;
            row.values.assign(fields.size(), "");
            row.refused.assign(fields.size(), false);
            bool any = false, refused = false;
            for (std::size_t f = 0; f < fields.size() && f < mapping.size(); ++f) {
                if (mapping[f] < 0) continue;
                const std::string& value = table.cell(static_cast<int>(r), mapping[f]);
                if (value.empty()) continue;
                any = true;
                std::string reason;
                if (const auto typed = checker.check(f, value, row, reason)) {
                    row.values[f] = *typed;
                } else {
                    refused = true;
                    row.refused[f] = true;
                    report.issues.push_back({row.fileRow, grid::columnLetters(mapping[f] + 1), fields[f].caption,
                                             value, reason, true});
                }
            }
            if (!any) continue;
            ++report.dataRows;
            if (refused) ++report.leftOut;
            else accepted.push_back(std::move(row));
        }
        if (report.dataRows == 0) {
            report.failure = "không có dòng dữ liệu nào dưới dòng tiêu đề trong các cột đã chọn";
            return report;
        }
        if (accepted.empty()) return report;

        // 2. Room for them at the end of the list, in one step: the list's last row
        // when it is still empty, then rows appended below it.
        grid::GridStateGuard keep(grid, grid::GridStateGuard::Events::AsTheyAre, grid::GridStateGuard::Cell::Moved);
        grid.setRedraw(false);
        grid.userShowSheet(kListSheet);
        DeclarationSession& session = controller.session();
        session.currentSheet = kListSheet;
        const int colK = colOf("K"), colD = colOf(kNumberColumn);
        int last = lastListRow(grid);
        const bool reuseLast = rowIsBlank(grid, last);
        const int first = reuseLast ? last : last + 1;
        const int wanted = static_cast<int>(accepted.size()) - (reuseLast ? 1 : 0);
        const int added = wanted > 0 ? InsertNodes(session, grid, colK, last, wanted, "importList") : 0;
        const int room = added + (reuseLast ? 1 : 0);
        for (std::size_t i = static_cast<std::size_t>(std::max(room, 0)); i < accepted.size(); ++i) {
            ++report.leftOut;
            report.issues.push_back({accepted[i].fileRow, "", "", "", "Danh sách đã đủ số dòng cho phép", true});
        }
        accepted.resize(static_cast<std::size_t>(std::max(room, 0)));
        if (accepted.empty()) return report;
        appended = true;
        {
            // The new rows' sequence numbers, as inserting a row numbers it.
            grid::GridStateGuard quiet(grid, grid::GridStateGuard::Events::Off, grid::GridStateGuard::Cell::Moved);
            for (int r = last + 1; r < first + room; ++r) {
                const std::string number = std::to_string(r - kFirstListRow + 1);
                grid.setSheet(kListSheet);
                grid.setPosition(colD, r);
                grid.setText(number);
                bool changed = false;
                UpdateCell(session, grid, colD, r, number, changed);
            }
        }

        // 3. The values typed, field by field in column order.
        grid.setEventsEnabled(true);
        for (std::size_t i = 0; i < accepted.size(); ++i) {
            const PreparedRow& row = accepted[i];
            const int target = first + static_cast<int>(i);
            for (std::size_t f = 0; f < fields.size(); ++f) {
                const std::string& value = row.values[f];
                if (value.empty()) continue;
                const int col = colOf(fields[f].column);
                grid.userEdit(col, target, value);
                // The tax code is rewritten when its cell is left; it was checked above.
                if (fields[f].kind == FieldKind::TaxCode) continue;
                const std::string kept = grid.textOf(kListSheet, col, target);
                if (kept != value)
                    report.issues.push_back({row.fileRow, grid::columnLetters(mapping[f] + 1), fields[f].caption,
                                             table.cell(row.fileRow - 1, mapping[f]),
                                             "Quy tắc nhập liệu không giữ giá trị này (ô còn " + quoted(kept) + ")",
                                             false});
            }
            ++report.imported;
        }
        // Leaving the last cell runs its leave rules (the tax code's).
        grid.userMoveTo(colK, first);
        report.firstListRow = first;
        report.lastListRow = first + static_cast<int>(accepted.size()) - 1;
        grid.setRedraw(true);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "importList", e);
        grid.setRedraw(true);
        report.failure = e.what();
        if (!appended) return report;
        // The rows typed so far stay, as typed rows would: the user sees them checked.
        report.failure += " (" + std::to_string(report.imported) + " dòng đã nhập trước khi dừng)";
    }
    // An import is one step no single undo can take back: the edits it typed leave
    // the history, as opening a declaration clears it.
    controller.history().clear();
    // 4. The completion checks over the whole declaration, with their marks.
    controller.CallFinish(false);
    return report;
}

}  // namespace zevo::engine

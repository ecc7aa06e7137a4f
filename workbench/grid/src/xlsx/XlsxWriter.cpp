#include "zevo/grid/XlsxWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <filesystem>
#include <map>
#include <memory>

#include "zevo/RuntimeError.h"
#include "zevo/UserFolders.h"

namespace zevo::grid {

namespace {

using namespace xlsx;

[[noreturn]] void fail(int number, const std::string& why) { throw RuntimeError(number, why); }

void check(lxw_error e, const std::string& what) {
    if (e != LXW_NO_ERROR) fail(kErrInvalidFormat, "Cannot write " + what + ": " + lxw_strerror(e));
}

lxw_color_t toLxw(Colour c) {
    const lxw_color_t v = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    // The library takes 0 for "no colour"; black has its own value.
    return v == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : v;
}

// One format per style index, made when first used.
class FormatCache {
public:
    FormatCache(lxw_workbook* book, const std::vector<StyleData>& styles) : book_(book), styles_(styles) {}

    lxw_format* get(int index) {
        if (index < 0 || static_cast<std::size_t>(index) >= styles_.size()) index = 0;
        auto it = formats_.find(index);
        if (it != formats_.end()) return it->second;
        lxw_format* f = make(styles_.empty() ? StyleData{} : styles_[static_cast<std::size_t>(index)]);
        formats_[index] = f;
        return f;
    }

private:
    lxw_format* make(const StyleData& s) {
        lxw_format* f = workbook_add_format(book_);
        if (!f) fail(kErrInvalidFormat, "Cannot write the workbook: out of memory");
        if (s.fill) format_set_bg_color(f, toLxw(*s.fill));
        if (!s.locked) format_set_unlocked(f);
        if (!s.numberFormat.empty()) format_set_num_format(f, s.numberFormat.c_str());
        format_set_font_name(f, s.font.name.c_str());
        format_set_font_size(f, s.font.size);
        if (s.font.bold) format_set_bold(f);
        if (s.font.italic) format_set_italic(f);
        if (s.font.underline) format_set_underline(f, LXW_UNDERLINE_SINGLE);
        if (s.font.colour != 0) format_set_font_color(f, toLxw(s.font.colour));
        switch (s.hAlign) {
            case HAlign::Left: format_set_align(f, LXW_ALIGN_LEFT); break;
            case HAlign::Center: format_set_align(f, LXW_ALIGN_CENTER); break;
            case HAlign::Right: format_set_align(f, LXW_ALIGN_RIGHT); break;
            case HAlign::General: break;
        }
        switch (s.vAlign) {
            case VAlign::Top: format_set_align(f, LXW_ALIGN_VERTICAL_TOP); break;
            case VAlign::Center: format_set_align(f, LXW_ALIGN_VERTICAL_CENTER); break;
            case VAlign::Bottom: break;
        }
        if (s.wrap) format_set_text_wrap(f);
        if (s.border) format_set_border(f, LXW_BORDER_THIN);
        return f;
    }

    lxw_workbook* book_;
    const std::vector<StyleData>& styles_;
    std::map<int, lxw_format*> formats_;
};

bool inRange(int col, int row) { return col >= 1 && col <= kMaxCols && row >= 1 && row <= kMaxRows; }

void writeCell(lxw_worksheet* ws, const CellData& c, lxw_format* format, const std::string& where) {
    const auto r = static_cast<lxw_row_t>(c.row - 1);
    const auto col = static_cast<lxw_col_t>(c.col - 1);
    lxw_error e = LXW_NO_ERROR;
    if (!c.formula.empty()) {
        if (c.type == CellValueType::String || c.type == CellValueType::Error)
            e = worksheet_write_formula_str(ws, r, col, c.formula.c_str(), format, c.text.c_str());
        else
            e = worksheet_write_formula_num(ws, r, col, c.formula.c_str(), format, c.number);
    } else {
        switch (c.type) {
            case CellValueType::Number: e = worksheet_write_number(ws, r, col, c.number, format); break;
            case CellValueType::String:
            case CellValueType::Error: e = worksheet_write_string(ws, r, col, c.text.c_str(), format); break;
            case CellValueType::Boolean: e = worksheet_write_boolean(ws, r, col, c.number != 0 ? 1 : 0, format); break;
            case CellValueType::Empty: e = worksheet_write_blank(ws, r, col, format); break;
        }
    }
    check(e, "cell " + where);
    if (!c.comment.empty()) check(worksheet_write_comment(ws, r, col, c.comment.c_str()), "the note of " + where);
}

void writeSheet(lxw_worksheet* ws, const SheetData& s, FormatCache& formats) {
    if (s.defaultRowHeightPt != kSheetDefaultRowHeightPt && s.defaultRowHeightPt > 0)
        worksheet_set_default_row(ws, s.defaultRowHeightPt, LXW_FALSE);

    // Columns: widths in whole pixels (the reader's conversion gives them back exactly).
    std::map<int, std::pair<std::optional<double>, int>> columns;
    for (const auto& [c, px] : s.colWidthsPx) columns[c].first = px;
    for (const auto& [c, style] : s.colStyles) columns[c].second = style;
    for (const auto& [c, column] : columns) {
        if (c < 1 || c > kMaxCols) continue;
        lxw_row_col_options options{};
        const auto col = static_cast<lxw_col_t>(c - 1);
        lxw_format* format = column.second != 0 ? formats.get(column.second) : nullptr;
        lxw_error e;
        if (column.first && *column.first <= 0) {
            // Width 0, as the file stores a hidden column; the library then also
            // counts it in the sheet's dimension.
            options.hidden = 1;
            e = worksheet_set_column_opt(ws, col, col, 0, format, &options);
        } else if (column.first) {
            e = worksheet_set_column_pixels_opt(ws, col, col, static_cast<uint32_t>(std::lround(*column.first)), format, &options);
        } else {
            e = worksheet_set_column_opt(ws, col, col, LXW_DEF_COL_WIDTH, format, &options);
        }
        check(e, "the columns of sheet " + s.name);
    }
    for (const auto& [r, pt] : s.rowHeightsPt) {
        if (r < 1 || r > kMaxRows) continue;
        lxw_row_col_options options{};
        lxw_error e;
        if (pt <= 0) {
            options.hidden = 1;
            e = worksheet_set_row_opt(ws, static_cast<lxw_row_t>(r - 1), s.defaultRowHeightPt, nullptr, &options);
        } else {
            // The library leaves out heights equal to its own default even when the
            // sheet's default differs; a nudge far below the reader's rounding keeps them.
            const double height = (pt == LXW_DEF_ROW_HEIGHT && s.defaultRowHeightPt != LXW_DEF_ROW_HEIGHT) ? pt + 1e-11 : pt;
            e = worksheet_set_row(ws, static_cast<lxw_row_t>(r - 1), height, nullptr);
        }
        check(e, "the rows of sheet " + s.name);
    }

    // Merges first, without a format so that the library adds no blank cells; the
    // cells themselves (anchor included) are written afterwards.
    for (const auto& m : s.merges) {
        if (!inRange(m.firstCol, m.firstRow) || !inRange(m.lastCol, m.lastRow)) continue;
        if (m.firstCol == m.lastCol && m.firstRow == m.lastRow) continue;
        check(worksheet_merge_range(ws, static_cast<lxw_row_t>(m.firstRow - 1), static_cast<lxw_col_t>(m.firstCol - 1),
                                    static_cast<lxw_row_t>(m.lastRow - 1), static_cast<lxw_col_t>(m.lastCol - 1), "", nullptr),
              "a merged range of sheet " + s.name);
    }
    for (const auto& c : s.cells) {
        if (!inRange(c.col, c.row)) continue;
        writeCell(ws, c, formats.get(c.style), s.name + "!R" + std::to_string(c.row) + "C" + std::to_string(c.col));
    }

    if (!s.rowBreaks.empty()) {
        std::vector<lxw_row_t> breaks;
        for (int r : s.rowBreaks)
            if (r >= 1 && r < kMaxRows) breaks.push_back(static_cast<lxw_row_t>(r));
        if (breaks.size() > 1023) fail(kErrInvalidFormat, "Sheet " + s.name + " has more than 1023 page breaks");
        breaks.push_back(0);
        check(worksheet_set_h_pagebreaks(ws, breaks.data()), "the page breaks of sheet " + s.name);
    }
    if (s.protectedSheet) worksheet_protect(ws, nullptr, nullptr);
    if (s.landscape) worksheet_set_landscape(ws);
    else worksheet_set_portrait(ws);
    worksheet_set_margins(ws, s.marginLeft, s.marginRight, s.marginTop, s.marginBottom);
    if (s.paperSize > 0 && s.paperSize < 256) worksheet_set_paper(ws, static_cast<std::uint8_t>(s.paperSize));
    if (s.fitToWidth > 0)
        worksheet_fit_to_pages(ws, static_cast<std::uint16_t>(s.fitToWidth), static_cast<std::uint16_t>(s.fitToHeight));
    if (s.frozenRows > 0 || s.frozenCols > 0)
        worksheet_freeze_panes(ws, static_cast<lxw_row_t>(std::max(0, s.frozenRows)), static_cast<lxw_col_t>(std::max(0, s.frozenCols)));
}

struct BookCloser {
    void operator()(lxw_workbook* b) const {
        if (b) lxw_workbook_free(b);   // abandoned: nothing is written
    }
};

// A unique temporary name beside `path`.
std::string reserveTemporary(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) fail(kErrPathNotFound, "Folder not found: " + folder.string());
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        const int err = errno;
        fail(err == EACCES || err == EPERM || err == EROFS ? kErrPermissionDenied : kErrFileAccess,
             "Cannot write in " + folder.string() + ": " + std::strerror(err));
    }
    // Workbooks of the report hold personal data: a new one is for its owner
    // alone; a replaced one keeps its mode.
    fchmod(fd, privateFileMode(target.string()));
    close(fd);
    return pattern;
}

void syncPath(const std::string& path, int flags = O_RDONLY) {
    const int fd = open(path.c_str(), flags);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

void writeXlsx(const WorkbookData& workbook, const std::string& path) {
    if (workbook.sheets.empty()) fail(kErrInvalidFormat, "A workbook needs at least one sheet");
    const std::filesystem::path target(path);
    const std::string temporary = reserveTemporary(target);
    try {
        std::unique_ptr<lxw_workbook, BookCloser> book(workbook_new(temporary.c_str()));
        if (!book) fail(kErrFileAccess, "Cannot create " + path);
        FormatCache formats(book.get(), workbook.styles);

        std::size_t firstVisible = workbook.sheets.size();
        for (std::size_t i = 0; i < workbook.sheets.size(); ++i)
            if (!workbook.sheets[i].hidden) {
                firstVisible = i;
                break;
            }
        if (firstVisible == workbook.sheets.size()) firstVisible = 0;   // one sheet must show

        std::vector<lxw_worksheet*> sheets;
        for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
            const SheetData& s = workbook.sheets[i];
            if (lxw_error e = workbook_validate_sheet_name(book.get(), s.name.c_str()); e != LXW_NO_ERROR)
                fail(kErrInvalidFormat, "Invalid sheet name \"" + s.name + "\": " + lxw_strerror(e));
            lxw_worksheet* ws = workbook_add_worksheet(book.get(), s.name.c_str());
            if (!ws) fail(kErrInvalidFormat, "Cannot add sheet \"" + s.name + "\"");
            writeSheet(ws, s, formats);
            sheets.push_back(ws);
        }
        for (std::size_t i = 0; i < sheets.size(); ++i)
            if (workbook.sheets[i].hidden && i != firstVisible) worksheet_hide(sheets[i]);
        worksheet_activate(sheets[firstVisible]);
        worksheet_set_first_sheet(sheets[firstVisible]);

        const lxw_error e = workbook_close(book.release());
        if (e != LXW_NO_ERROR) {
            const bool denied = e == LXW_ERROR_CREATING_XLSX_FILE;
            fail(denied ? kErrPermissionDenied : kErrFileAccess, "Cannot write " + path + ": " + lxw_strerror(e));
        }
        syncPath(temporary);
        if (std::rename(temporary.c_str(), path.c_str()) != 0) {
            const int err = errno;
            fail(err == EACCES || err == EPERM || err == EROFS ? kErrPermissionDenied : kErrFileAccess,
                 "Cannot replace " + path + ": " + std::strerror(err));
        }
        // The rename itself survives a crash once the folder is flushed.
        syncPath(target.has_parent_path() ? target.parent_path().string() : std::string("."), O_RDONLY | O_DIRECTORY);
    } catch (...) {
        std::remove(temporary.c_str());
        throw;
    }
}

}  // namespace zevo::grid

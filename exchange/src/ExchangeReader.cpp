#include "zevo/exchange/ExchangeReader.h"

#include <libxml/tree.h>

#include <algorithm>
#include <charconv>
#include <exception>

#include "FileErrors.h"
#include "RawAttributes.h"
#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/DataFiles.h"
#include "zevo/exchange/ExchangeText.h"
#include "zevo/sheetdocs/CellAddress.h"
#include "zevo/sheetdocs/RowShifting.h"

namespace zevo::exchange {

using detail::kModule;
using documents::GetAttributeValue;
using documents::SetAttributeValue;

namespace {

constexpr int kObjectNotSet = 91;

void showError(const char* id) {
    clsMessageBox().DisplayMessage(id, msOKOnly, miCriticalError, "Message", 0);
}

std::vector<xml::Node> sheetEntries() {
    const xml::Node validity = clsVariables().NodeValidity();
    return validity.isNull() ? std::vector<xml::Node>{} : validity.childElements("Sheet");
}

// "MaxRows" as a whole number; blanks around it are allowed, anything else is 0
// (no limit).
int wholeNumber(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return 0;
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data() + first, end, value);
    if (ec != std::errc()) return 0;
    return value;
}

bool isPlainElement(const xmlNode* n, const char* name) {
    return n->type == XML_ELEMENT_NODE && !n->properties && !n->nsDef && !n->ns &&
           xmlStrEqual(n->name, reinterpret_cast<const xmlChar*>(name));
}

// Text children only; false for anything else inside a row block.
bool rowText(const xmlNode* row, std::string& out) {
    for (const xmlNode* t = row->children; t; t = t->next) {
        if (t->type != XML_TEXT_NODE) return false;
        if (t->content) out += reinterpret_cast<const char*>(t->content);
    }
    return true;
}

// The Cell of an identifier, looked up by walking the document: the documents an
// import builds keep no ID table (see Document::beginBulkEdit).
xml::Node cellWithId(const xml::Node& root, const char* id) {
    std::string scratch;
    for (const xml::Node& cell : root.elementsByTagName("Cell"))
        if (detail::ownAttribute(cell.raw(), "CellID", scratch) == id) return cell;
    return {};
}

}  // namespace

std::optional<SheetBlock> parseSheetBlock(const std::string& block) {
    xml::LoadResult result;
    const xml::DocumentPtr doc =
        xml::Document::fromString(shieldForParser(block), &result, xml::Trust::Untrusted);
    if (!result.ok()) return std::nullopt;
    const xmlNode* root = doc->documentElement().raw();
    xmlDoc* raw = doc->raw();
    // Nothing but the root element: no DTD, comment or processing instruction.
    for (const xmlNode* n = raw->children; n; n = n->next)
        if (n != root) return std::nullopt;
    if (!root || root->properties || root->nsDef) return std::nullopt;
    SheetBlock out;
    for (const xmlNode* s = root->children; s; s = s->next) {
        if (!isPlainElement(s, "S")) return std::nullopt;
        std::vector<std::string>& rows = out.sections.emplace_back();
        for (const xmlNode* c = s->children; c; c = c->next) {
            if (!isPlainElement(c, "C")) return std::nullopt;
            if (!rowText(c, rows.emplace_back())) return std::nullopt;
        }
        if (rows.empty()) return std::nullopt;   // a section block has row blocks
    }
    return out;
}

std::optional<std::vector<std::string>> ExchangeReader::GetSheetDatas(const std::string& text) {
    const std::vector<xml::Node> entries = sheetEntries();
    for (const xml::Node& entry : entries) SetAttributeValue(entry, "Active", "0");
    std::string remaining = text;
    std::vector<std::string> blocks(entries.size());
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const std::string id = GetAttributeValue(entries[k], "ID");
        const std::string open = "<S" + id + ">", close = "</S" + id + ">";
        const std::size_t start = remaining.find(open);
        if (start == std::string::npos) continue;
        const std::size_t end = remaining.find(close, start + open.size());
        if (end == std::string::npos) continue;   // what is left makes the file invalid
        SetAttributeValue(entries[k], "Active", "1");
        std::string block = remaining.substr(start, end + close.size() - start);
        // Every copy of the block goes, in one pass as a text replacement does.
        std::string rest;
        rest.reserve(remaining.size() - block.size());
        std::size_t from = 0;
        for (std::size_t at = start; at != std::string::npos; at = remaining.find(block, from)) {
            rest.append(remaining, from, at - from);
            from = at + block.size();
        }
        rest.append(remaining, from, std::string::npos);
        remaining = std::move(rest);
        blocks[k] = std::move(block);
    }
    if (!remaining.empty()) return std::nullopt;
    return blocks;
}

bool ExchangeReader::RestoreDataFile(const std::string& text, bool merge) {
    written_.clear();
    try {
        clsVariables vars;
        const std::vector<xml::Node> entries = sheetEntries();
        const std::optional<std::vector<std::string>> blocks = GetSheetDatas(text);
        const bool anyBlock =
            blocks && std::any_of(blocks->begin(), blocks->end(), [](const std::string& b) { return !b.empty(); });
        if (!anyBlock || blocks->size() < entries.size()) {
            showError(msg::kBadFile);
            return false;
        }
        // Every sheet's new document first; the files are replaced only when all are
        // built. The documents are only saved, so they are built without ID upkeep.
        std::vector<std::pair<std::string, xml::DocumentPtr>> staged;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            if ((*blocks)[k].empty()) continue;
            xml::DocumentPtr target;
            if (merge) {
                const xml::DocumentPtr open = vars.Data(static_cast<int>(k));
                if (!open || open->isEmpty())
                    throw RuntimeError(kObjectNotSet, "Sheet " + std::to_string(k + 1) + " has no document");
                target = open->cloneForBulkEdit();
            } else {
                xml::LoadResult loaded;
                const std::string blank = documents::blankSheetDocumentPath(entries[k]);
                target = xml::Document::fromFile(blank, &loaded);
                if (!loaded.ok())
                    throw RuntimeError(loaded.status == xml::LoadStatus::NotFound ? err::kFileNotFound
                                                                                  : err::kTypeMismatch,
                                       blank + ": " + loaded.reason);
                target->beginBulkEdit();
            }
            const std::optional<SheetBlock> block = parseSheetBlock((*blocks)[k]);
            if (!block) {
                showError(msg::kBadFile);
                return false;
            }
            const std::vector<xml::Node> sections = target->elementsByTagName("Sections");
            if (sections.empty()) throw RuntimeError(kObjectNotSet, "The sheet document has no Sections");
            block_ = &*block;
            const bool ok = GetSections(sections.front(), *block, merge);
            block_ = nullptr;
            if (!ok) return false;
            staged.emplace_back(documents::sheetDataFilePath(vars.NodeMenu(), entries[k]), target);
        }
        xml::StagedFiles files;
        for (const auto& [path, doc] : staged) files.add(path, *doc);
        files.commit();
        for (const auto& staging : staged) written_.push_back(staging.first);
        return true;
    } catch (const std::exception& e) {
        block_ = nullptr;
        WriteErrorLog(kModule, "RestoreDataFile", e);
        detail::showFileError(e);
        return false;
    }
}

bool ExchangeReader::GetSections(const xml::Node& sections, const SheetBlock& block, bool merge) {
    try {
        const std::vector<xml::Node> targets = sections.childElements("Section");
        if (block.sections.size() > targets.size()) {
            showError(msg::kBadFile);
            return false;
        }
        std::size_t skipped = 0;
        for (std::size_t i = 0; i < targets.size(); ++i) {
            if (GetAttributeValue(targets[i], "Receive") == "0") {
                ++skipped;
                continue;
            }
            const std::size_t number = i - skipped;
            const auto* rows = number < block.sections.size() ? &block.sections[number] : nullptr;
            if (!GetSection(targets[i], rows, merge)) return false;
        }
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "GetSections", e);
        return false;
    }
}

bool ExchangeReader::GetSection(const xml::Node& section, const std::vector<std::string>* rows,
                                bool merge) {
    try {
        const int blockRows = rows ? static_cast<int>(rows->size()) : 0;
        const int present = static_cast<int>(section.childElements("Cells").size());
        const int offset = merge ? present : 0;
        int count = blockRows;
        if (GetAttributeValue(section, "Dynamic") != "0") {
            const int maxRows = wholeNumber(GetAttributeValue(section, "MaxRows"));
            if (maxRows > 0 && maxRows < offset + blockRows) {
                const int answer = clsMessageBox().DisplayMessage(msg::kTooManyRows, msYesNo, miQuestion,
                                                                  "Message", mrYes);
                if (answer != mrYes) return false;
                count = std::max(0, maxRows - offset);
            }
            const int append = merge ? count : count - 1;   // a blank sheet has one row already
            if (append > 0) AppendSectionRows(section, append);
        } else {
            if (merge) return true;   // merging keeps the static sections as they are
            if (blockRows >= 2) {
                showError(msg::kValueCount);
                return false;
            }
        }
        if (count == 0) return true;
        const std::vector<xml::Node> targets = section.childElements("Cells");
        for (int r = 1; r <= count; ++r) {
            const std::size_t index = static_cast<std::size_t>(offset + r - 1);
            if (index >= targets.size())
                throw RuntimeError(err::kSubscriptOutOfRange, "The section has no row " + std::to_string(index + 1));
            if (!GetCells(targets[index], (*rows)[static_cast<std::size_t>(r - 1)], merge)) return false;
        }
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "GetSection", e);
        return false;
    }
}

int ExchangeReader::CountReceiveCells(const xml::Node& cells) const {
    int count = 0;
    std::string scratch;
    for (const xmlNode* c = cells.raw() ? cells.raw()->children : nullptr; c; c = c->next)
        if (detail::isElementNamed(c, "Cell") && detail::ownAttribute(c, "Receive", scratch) != "0") ++count;
    return count;
}

bool ExchangeReader::checkIdentity(const xml::Node& cells) {
    // The first row block of the sheet block's first section: the header row,
    // whose first value is the tax code and whose fourth is the tax office.
    std::vector<std::string_view> first;
    if (block_ && !block_->sections.empty() && !block_->sections.front().empty())
        first = splitValues(block_->sections.front().front());
    const auto valueAt = [&](std::size_t i) { return i < first.size() ? readValue(first[i]) : std::string(); };
    const xml::Node root = cells.document()->documentElement();
    if (valueAt(0) != GetAttributeValue(cellWithId(root, "K_9"), "Value")) {
        showError(msg::kOtherTaxCode);
        return false;
    }
    if (valueAt(3) != GetAttributeValue(cellWithId(root, "O_15"), "Value")) {
        showError(msg::kOtherTaxOffice);
        return false;
    }
    identityChecked_ = true;
    return true;
}

bool ExchangeReader::GetCells(const xml::Node& cells, const std::string& row, bool merge) {
    try {
        const std::vector<std::string_view> values = splitValues(row);
        if (static_cast<int>(values.size()) != CountReceiveCells(cells)) {
            showError(msg::kValueCount);
            return false;
        }
        if (merge && !identityChecked_ && !checkIdentity(cells)) return false;
        std::size_t next = 0;
        std::string scratch;
        for (xmlNode* c = cells.raw()->children; c && next < values.size(); c = c->next) {
            if (!detail::isElementNamed(c, "Cell") || detail::ownAttribute(c, "Receive", scratch) == "0") continue;
            const xml::Node cell(cells.document(), c);
            SetAttributeValue(cell, "Value", readValue(values[next++]));
        }
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "GetCells", e);
        return false;
    }
}

void ExchangeReader::AppendSectionRow(const xml::Node& section) { AppendSectionRows(section, 1); }

void ExchangeReader::AppendSectionRows(const xml::Node& section, int count) {
    if (count < 1) return;
    const std::vector<xml::Node> rows = section.childElements("Cells");
    if (rows.empty() || rows.back().firstChildElement("Cell").isNull())
        throw RuntimeError(kObjectNotSet, "The section has no row to copy");
    sheetdocs::InsertRowGroupCopies(grid_, rows.back(), count);
}

}  // namespace zevo::exchange

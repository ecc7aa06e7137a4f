#include "zevo/exchange/ExchangeWriter.h"

#include <libxml/tree.h>

#include <string_view>

#include "RawAttributes.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/exchange/ExchangeText.h"

namespace zevo::exchange {

namespace {

// The documents are walked as raw nodes: a declaration of 10,000 individuals has
// some 400,000 cells, and a handle per cell would cost a shared count each.
bool isElement(const xmlNode* n, const char* name = nullptr) {
    return n && n->type == XML_ELEMENT_NODE &&
           (!name || xmlStrEqual(n->name, reinterpret_cast<const xmlChar*>(name)));
}

std::string_view attributeText(const xmlNode* element, const char* name, std::string& scratch) {
    return detail::ownAttribute(element, name, scratch).value_or(std::string_view());
}

bool isWritten(const xmlNode* cell, std::string& scratch) {
    return attributeText(cell, "Encode", scratch) != "0";
}

void appendEncoded(std::string& out, std::string_view value) {
    // Values without special characters are copied as they are.
    if (value.find_first_of("~&'\"<>#") == std::string_view::npos)
        out += value;
    else
        out += encodeValue(value);
}

// Appends the row block of a `Cells` element; false when it wrote nothing.
bool appendCells(std::string& out, const xmlNode* cells) {
    std::string scratch;
    bool any = false;
    for (const xmlNode* c = cells ? cells->children : nullptr; c; c = c->next) {
        if (!isElement(c, "Cell") || !isWritten(c, scratch)) continue;
        out += any ? "~" : "<C>";
        any = true;
        appendEncoded(out, attributeText(c, "Value", scratch));
    }
    if (any) out += "</C>";
    return any;
}

bool appendSection(std::string& out, const xmlNode* section) {
    const std::size_t start = out.size();
    out += "<S>";
    bool any = false;
    for (const xmlNode* row = section ? section->children : nullptr; row; row = row->next)
        if (isElement(row)) any = appendCells(out, row) || any;
    if (!any) {
        out.resize(start);
        return false;
    }
    out += "</S>";
    return true;
}

void appendSections(std::string& out, const xmlNode* sections, const std::string& sheetId) {
    out += "<S" + sheetId + ">";
    for (const xmlNode* s = sections ? sections->children : nullptr; s; s = s->next)
        if (isElement(s)) appendSection(out, s);
    out += "</S" + sheetId + ">";
}

}  // namespace

std::string CreateCell(const xml::Node& cell) {
    return encodeValue(documents::GetAttributeValue(cell, "Value"));
}

std::string CreateCells(const xml::Node& cells) {
    std::string out;
    appendCells(out, cells.raw());
    return out;
}

std::string CreateSection(const xml::Node& section) {
    std::string out;
    appendSection(out, section.raw());
    return out;
}

std::string CreateSections(const xml::Node& sections, const std::string& sheetId) {
    std::string out;
    appendSections(out, sections.raw(), sheetId);
    return out;
}

std::vector<std::string> CreateExcelBook() {
    clsVariables vars;
    const xml::Node validity = vars.NodeValidity();
    const std::vector<xml::Node> entries =
        validity.isNull() ? std::vector<xml::Node>{} : validity.childElements("Sheet");
    std::vector<std::string> book;
    for (int i = 0; i <= vars.xmlDataCount() && static_cast<std::size_t>(i) < entries.size(); ++i) {
        book.resize(static_cast<std::size_t>(i) + 1);
        if (documents::GetAttributeValue(entries[i], "Active") == "0") continue;
        const xml::DocumentPtr doc = vars.Data(i);
        if (!doc || doc->isEmpty())
            throw RuntimeError(91, "Sheet " + std::to_string(i + 1) + " has no document");
        const std::vector<xml::Node> sections = doc->elementsByTagName("Sections");
        std::string& out = book.back();
        appendSections(out, sections.empty() ? nullptr : sections.front().raw(),
                       documents::GetAttributeValue(entries[i], "ID"));
    }
    return book;
}

}  // namespace zevo::exchange

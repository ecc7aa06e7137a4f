#pragma once
// The writer of the exchange text: the values of the declaration documents, in
// document order, without cell identifiers.
//
//   sheet block    "<S" ID ">" section blocks "</S" ID ">"
//   section block  "<S>" row blocks "</S>"   (only sections with a row block)
//   row block      "<C>" encoded values joined by "~" "</C>"   (only rows with a
//                  written cell: a Cell whose "Encode" is not "0")
#include <string>
#include <vector>

#include "zevo/Xml.h"

namespace zevo::exchange {

// The encoded "Value" of one Cell.
std::string CreateCell(const xml::Node& cell);
// One row block for a `Cells` row, or "" when it writes no cell.
std::string CreateCells(const xml::Node& cells);
// One section block, or "" when none of its rows writes anything.
std::string CreateSection(const xml::Node& section);
// One sheet block; its tags stand even when nothing is between them.
std::string CreateSections(const xml::Node& sections, const std::string& sheetId);

// The sheet blocks of the session's declaration, indexed like its documents
// (index 0 = first sheet); entries of sheets whose "Active" is "0" stay empty.
// RuntimeError 91 when an active sheet has no document.
std::vector<std::string> CreateExcelBook();

}  // namespace zevo::exchange

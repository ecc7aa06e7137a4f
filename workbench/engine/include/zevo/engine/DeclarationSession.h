#pragma once
// The program-wide state of the open declaration that the template engine and the
// main window share: which sheet is being worked on, the cells the load check
// coloured, the start-up and loading flags, the header sheet and the per-sheet ini
// documents. The main-window controller owns one; engine procedures take it.
#include <optional>
#include <string>
#include <vector>

#include "zevo/Xml.h"
#include "zevo/engine/ColourRestoreRecord.h"
#include "zevo/grid/WorkbookData.h"

namespace zevo::engine {

class DeclarationSession {
public:
    // 1-based number of the grid sheet being worked on.
    int currentSheet = 1;
    // Cells coloured by the load check and the colour each had before.
    ColourRestoreRecord colourRestore;
    // Set while start-up fills the grid (the change handlers then leave the
    // documents alone); cleared once the session file was read.
    bool startUp = false;
    // Set only while the data file's values are written into the grid.
    bool loading = false;
    // 1-based number of the sheet named "Header" (any case); 0 when there is none.
    int headerSheet = 0;
    // Ini documents of the input grid and of the report grid, indexed by sheet
    // number - 1 (help ids are looked up in the input ones).
    std::vector<xml::DocumentPtr> interfaceIni;
    std::vector<xml::DocumentPtr> reportIni;
    // The colour the window's own background takes when the grid's grey is mapped
    // to the button face.
    std::optional<grid::Colour> windowBackColour;
    // Data files that could not be read at load time, and where a copy of each was
    // kept before anything could overwrite it ("" when none could be kept; a save
    // then replaces the file only once the user agreed).
    struct DamagedFile {
        int sheet = 0;
        std::string path;
        std::string copy;
        std::string reason;
        bool replaceAgreed = false;
    };
    std::vector<DamagedFile> damagedFiles;
    // Cells ("sheet_CellID") whose edits the sheet document could not take: its
    // Cells cannot be found by their CellID. A save fails while there are any.
    std::vector<std::string> unstoredCells;
    // While a recovery copy is being opened: the file each sheet's document is read
    // from instead of its data file, by sheet index; empty otherwise.
    std::vector<std::string> sheetSources;
};

}  // namespace zevo::engine

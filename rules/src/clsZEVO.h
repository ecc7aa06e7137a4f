#pragma once
// The rule object of the registration declaration. Its members are spread over
// files by concern: catalogues, preparation, change and key rules, completion checks.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "zevo/rules/RuleObject.h"

namespace zevo::rules {

class clsZEVO final : public RuleObject, private grid::SpreadListener {
public:
    clsZEVO() = default;
    ~clsZEVO() override;
    clsZEVO(const clsZEVO&) = delete;
    clsZEVO& operator=(const clsZEVO&) = delete;

    grid::Spread* fps() const override { return fps_; }
    void fps(grid::Spread* grid) override;

    void Prepare1() override;
    void Prepare2() override;
    void CellChange(std::int32_t col, std::int32_t row, std::int16_t f = 0) override {}
    void finish() override;
    void finish2() override;
    void CheckErrorMST() override {}
    void SetActiveSheet() override {}
    void ResetErrorCells() override {}
    bool ResetData() override { return false; }
    void SetData() override {}
    bool DeleteEnable(std::int16_t& Keycode, std::int16_t& Shift) override;
    bool InsertEnable(std::int16_t& Keycode, std::int16_t& Shift) override { return true; }

    xml::DocumentPtr getXMLSex() override;
    xml::DocumentPtr getXMLNational() override;
    xml::DocumentPtr getXMLQNational() override;
    xml::DocumentPtr getXMLLocation() override;
    xml::DocumentPtr getXMLTaxoffice() override;
    xml::DocumentPtr getXMLEconomyDetail() override;
    xml::DocumentPtr getXMLCareer() override;
    std::string getValueListToString(std::int16_t level, const xml::DocumentPtr& domData,
                                     const xml::Node& xmlParentNode = {},
                                     bool isTaxDeparment = false) override;
    xml::Node getNodeByValue(std::int16_t level, const std::string& value,
                             const xml::DocumentPtr& domData,
                             const xml::Node& parentNode = {}) override;
    xml::Node getNodeById(std::int16_t level, const std::string& ID,
                          const xml::DocumentPtr& domData) override;

private:
    // ---- grid events ----
    void Change(int col, int row) override;
    void LeaveCell(int col, int row, int newCol, int newRow, bool& cancel) override;
    void KeyUp(int keyCode, int shift) override;
    void fps_KeyUp(int keyCode, int shift);

    // ---- rules ----
    void SexChanged(int col, int row, const std::string& text);
    void NationalityChanged(int col, int row, const std::string& text);
    void startAsVietNam(int col, int row, const xml::DocumentPtr& catalogue, const char* id);
    void ProvinceChanged(int col, int row, const std::string& text);
    void DistrictChanged(int col, int row, const std::string& text);
    void WardChanged(int col, int row, const std::string& text);
    void TaxDepartmentChanged(int sheet, int col, int row, const std::string& text);
    void TaxOfficeChanged(int sheet, int col, int row, const std::string& text);
    void renumberRows(int sheet);
    // The value in a tax-department text: what follows the first " - ".
    static std::string departmentValue(const std::string& text);
    // Whether a chosen child text lies under the chosen parent item; true when the
    // parent is unknown or either text is empty (other checks speak of those).
    bool childUnder(const xml::Node& parent, const std::string& childText) const;
    // Whether an address's district lies outside its province, and whether its
    // ward lies outside that district (asked only when the district fits).
    std::pair<bool, bool> outsideParents(const xml::DocumentPtr& location, const std::string& province,
                                         const std::string& district, const std::string& ward);

    // ---- helpers ----
    grid::Spread& grid() const;
    int colOf(const char* letters) const;
    std::string letters(int col) const;
    // Text of (col, row) of the addressed sheet; leaves the grid's current cell there.
    std::string cellText(int col, int row) const;
    // Writes text into (col, row) of the current sheet, in the grid and the document.
    void putCell(int col, int row, const std::string& text);
    // Stores the grid's displayed sheet as the current sheet number and addresses it.
    int takeEventSheet();
    // Last row a list walk may visit.
    int lastRow() const;

    enum Catalogue { kSex, kNational, kQNational, kLocation, kTaxoffice, kEconomyDetail, kCareer,
                     kCatalogueCount };
    xml::DocumentPtr loadCatalogue(Catalogue which, const char* fileName, const char* member);

    // The items of one level of a catalogue this object loaded, with the first item
    // of each id and of each value: list walks look up every row, the ward level
    // has some ten thousand items.
    struct LevelIndex {
        std::vector<xml::Node> items;
        std::unordered_map<std::string, xml::Node> firstById;
        std::unordered_map<std::string, xml::Node> firstByValue;
    };
    // Null for documents this object did not load (and for empty ones): those are
    // searched every time, they may change under it.
    const LevelIndex* ownLevel(const xml::DocumentPtr& doc, int level);

    grid::Spread* fps_ = nullptr;
    std::array<xml::DocumentPtr, kCatalogueCount> catalogues_{};
    std::map<std::pair<const xml::Document*, int>, LevelIndex> levels_;
    std::string allProvinces_, allDistricts_, allWards_, allTaxOffices_;
};

}  // namespace zevo::rules

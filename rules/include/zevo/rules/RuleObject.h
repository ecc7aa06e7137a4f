#pragma once
// The objects of ZEVO_Business as the program sees them. The program creates them by
// class name through the library's one exported function, CreateObject, and drives
// them through these abstract interfaces only; the library never links the program.
//
// The grid is borrowed: a rule object subscribes to the grid's events while it holds
// it in fps and unsubscribes when fps is set to null. Set fps to null before the
// grid is destroyed.
#include <cstdint>
#include <string>

#include "zevo/Xml.h"
#include "zevo/grid/Spread.h"

namespace zevo::rules {

enum class ObjectKind { Rule, Report };

// Common base of every object CreateObject returns.
class ComObject {
public:
    virtual ~ComObject() = default;
    virtual ObjectKind kind() const = 0;
};

// The rule object ("clsZEVO"): members in the order of its public interface.
class RuleObject : public ComObject {
public:
    ObjectKind kind() const override { return ObjectKind::Rule; }

    // 1: the grid; setting a grid subscribes to its events, null unsubscribes.
    virtual grid::Spread* fps() const = 0;
    virtual void fps(grid::Spread* grid) = 0;
    // 2, 3: blank-declaration preparation; display texts of a loaded declaration.
    virtual void Prepare1() = 0;
    virtual void Prepare2() = 0;
    // 4: a hook for the main window's own cell changes (no effect here).
    virtual void CellChange(std::int32_t col, std::int32_t row, std::int16_t f = 0) = 0;
    // 5, 6: completion checks of sheet 1 and sheet 2.
    virtual void finish() = 0;
    virtual void finish2() = 0;
    // 7-11: hooks of the interface without effect in the registration rules.
    virtual void CheckErrorMST() = 0;
    virtual void SetActiveSheet() = 0;
    virtual void ResetErrorCells() = 0;
    virtual bool ResetData() = 0;
    virtual void SetData() = 0;
    // 12, 13: row guards asked before a row is deleted (F6, Delete) or inserted (F5).
    virtual bool DeleteEnable(std::int16_t& Keycode, std::int16_t& Shift) = 0;
    virtual bool InsertEnable(std::int16_t& Keycode, std::int16_t& Shift) = 0;
    // 14-20: the catalogues, each loaded once per object (null when a load failed).
    virtual xml::DocumentPtr getXMLSex() = 0;
    virtual xml::DocumentPtr getXMLNational() = 0;
    virtual xml::DocumentPtr getXMLQNational() = 0;
    virtual xml::DocumentPtr getXMLLocation() = 0;
    virtual xml::DocumentPtr getXMLTaxoffice() = 0;
    virtual xml::DocumentPtr getXMLEconomyDetail() = 0;
    virtual xml::DocumentPtr getXMLCareer() = 0;
    // 21: tab-separated (and tab-terminated) pick list of a catalogue level, or of a
    // parent item's children; tax-department items as shortname " - " value.
    virtual std::string getValueListToString(std::int16_t level, const xml::DocumentPtr& domData,
                                             const xml::Node& xmlParentNode = {},
                                             bool isTaxDeparment = false) = 0;
    // 22: first item of the level (or of the parent's children, falling back to the
    // whole level) whose "value" equals value; null when none.
    virtual xml::Node getNodeByValue(std::int16_t level, const std::string& value,
                                     const xml::DocumentPtr& domData,
                                     const xml::Node& parentNode = {}) = 0;
    // 23: first item of the level whose "id" equals ID; null when none.
    virtual xml::Node getNodeById(std::int16_t level, const std::string& ID,
                                  const xml::DocumentPtr& domData) = 0;
};

// The report post-processing objects ("clsZEVOReport", "clsZEVOSpecialReport").
class ReportObject : public ComObject {
public:
    ObjectKind kind() const override { return ObjectKind::Report; }

    virtual grid::Spread* fpsGrid() const = 0;
    virtual void fpsGrid(grid::Spread* grid) = 0;
    virtual void Process() = 0;
};

// Signature and name of the library's factory.
using CreateObjectFunction = void* (*)(const char* className);
inline constexpr const char* kCreateObjectSymbol = "CreateObject";

}  // namespace zevo::rules

// Creates "ZEVO_Business.clsZEVO", "ZEVO_Business.clsZEVOReport" or
// "ZEVO_Business.clsZEVOSpecialReport" (the prefix may be left out) on the heap and
// returns it as a zevo::rules::ComObject*; nullptr for an unknown or empty name.
// The caller owns the object and deletes it through ComObject.
extern "C" void* CreateObject(const char* className);

#pragma once
// Post-processing of a filled report grid: the number of listed individuals, and
// for the special export also the export file name and the sex names.
#include "zevo/rules/RuleObject.h"

namespace zevo::rules {

class clsZEVOReport : public ReportObject {
public:
    grid::Spread* fpsGrid() const override { return grid_; }
    void fpsGrid(grid::Spread* grid) override { grid_ = grid; }
    void Process() override;

protected:
    grid::Spread* grid_ = nullptr;
};

class clsZEVOSpecialReport final : public clsZEVOReport {
public:
    void Process() override;
    xml::Node getNodeById(std::int16_t level, const std::string& ID, const xml::DocumentPtr& domData);
    xml::DocumentPtr getXMLSex();

private:
    xml::DocumentPtr sex_;
};

}  // namespace zevo::rules

#pragma once
// Catalogue files: nested "Item" elements with "id", "value" and "shortname"; level n
// is the path "Item" repeated n times below the document element.
#include <string>
#include <vector>

#include "zevo/Xml.h"

namespace zevo::rules::catalogue {

inline constexpr const char* kSexFile = "DMGioiTinh.xml";
inline constexpr const char* kCountryFile = "DMQuocGia.xml";
inline constexpr const char* kNationalityFile = "DMQuocTich.xml";
inline constexpr const char* kLocationFile = "DMDiaban.xml";
inline constexpr const char* kTaxOfficeFile = "DMCQT.xml";
inline constexpr const char* kEconomyFile = "DMCTLHKT.xml";
inline constexpr const char* kCareerFile = "DMNNKD.xml";

// "Item", "Item/Item", ... Throws RuntimeError 5 for a level below 1.
std::string levelPath(int level);
// The items of a level in document order. Throws RuntimeError 91 when there is no
// document or it has no document element (a catalogue that failed to load).
std::vector<xml::Node> selectLevel(const xml::DocumentPtr& doc, int level);
// Absolute path of a catalogue file: the first sheet entry's "TemplateFolder" of
// the session's validity node, the file name appended directly.
std::string cataloguePath(const std::string& fileName);
// Loads the file into doc. Throws RuntimeError (53 not found, 321 unreadable).
void loadInto(const xml::DocumentPtr& doc, const std::string& fileName);
// First item of the level whose "id" equals id, or null. Throws as selectLevel.
xml::Node findById(const xml::DocumentPtr& doc, int level, const std::string& id);

}  // namespace zevo::rules::catalogue

// Generates the catalogue files that ship in the template folder: locations
// (province/district/ward), countries, nationalities, sex, tax departments and
// offices, types of economic organisation and business lines.
//
//   cataloguegen --units administrative-units.csv --countries countries.csv
//                --shortnames province-shortnames.csv --tables DIR --out DIR
//
// The small fixed lists (sex, organisation types, business lines) are CSV tables
// in DIR with the columns id,value. Items are nested "Item" elements carrying
// "id", "value" and, where used, "shortname" and "type".
#include "Csv.h"
#include "XmlText.h"

#include <iostream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

using namespace zevo::tools;

namespace {

struct Options {
    std::string units, countries, shortnames, tables, out;
};

// Lower-cases a leading ASCII letter ("Tỉnh Hà Giang" -> "tỉnh Hà Giang").
std::string lowerFirst(std::string s) {
    if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') s[0] = static_cast<char>(s[0] - 'A' + 'a');
    return s;
}

// A name as the lists show it: no blanks around it, single blanks inside (the
// source data has "Xã  Mỹ Lộc").
std::string tidyName(const std::string& s) {
    std::string out;
    bool blank = false;
    for (char c : s) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !out.empty();
            continue;
        }
        if (blank) out.push_back(' ');
        blank = false;
        out.push_back(c);
    }
    return out;
}

std::string attribute(const XmlElement& e, const std::string& key) {
    for (const auto& [k, v] : e.attributes)
        if (k == key) return v;
    return {};
}

void setAttribute(XmlElement& e, const std::string& key, const std::string& value) {
    for (auto& [k, v] : e.attributes)
        if (k == key) v = value;
}

XmlElement& item(XmlElement& parent, const std::string& id, const std::string& value) {
    return parent.add("Item").attr("id", id).attr("value", tidyName(value));
}

// The rules find an item by its name under its parent, so a name that repeats
// there makes all but the first unreachable (and a stored id is rewritten to the
// first on load). Every repeated name gets its item's code appended; a name that
// still repeats stops the generator, and with it the build.
void disambiguate(XmlElement& parent, const std::string& file) {
    std::map<std::string, int> count;
    for (const XmlElement& c : parent.children)
        if (c.name == "Item") ++count[attribute(c, "value")];
    for (XmlElement& c : parent.children)
        if (c.name == "Item" && count[attribute(c, "value")] > 1)
            setAttribute(c, "value", attribute(c, "value") + " (" + attribute(c, "id") + ")");
    std::set<std::string> seen;
    for (const XmlElement& c : parent.children) {
        if (c.name != "Item") continue;
        if (!seen.insert(attribute(c, "value")).second)
            throw std::runtime_error(file + ": the name \"" + attribute(c, "value") + "\" repeats under " +
                                     (attribute(parent, "id").empty() ? std::string("the top level")
                                                                      : "item " + attribute(parent, "id")) +
                                     " and the codes do not tell the items apart");
    }
    for (XmlElement& c : parent.children) disambiguate(c, file);
}

void save(const Options& o, const std::string& name, XmlElement& root) {
    disambiguate(root, name);
    writeTextFile(o.out + "/" + name, serializeCompact(root));
}

// Locations and tax offices come from the same walk over the units table.
void writeLocationsAndTaxOffices(const Options& o) {
    CsvTable units = readCsvFile(o.units);
    CsvTable shorts = readCsvFile(o.shortnames);
    const auto pc = units.column("province_code"), pn = units.column("province_name"),
               dc = units.column("district_code"), dn = units.column("district_name"),
               wc = units.column("ward_code"), wn = units.column("ward_name");
    std::map<std::string, std::string> shortname;
    std::set<std::string> usedShort;
    for (const auto& r : shorts.rows) {
        const std::string& code = r[shorts.column("province_code")];
        const std::string& sn = r[shorts.column("shortname")];
        if (!usedShort.insert(sn).second) throw std::runtime_error("short name used twice: " + sn);
        shortname[code] = sn;
    }

    XmlElement locations{"DMDiaban", {}, {}};
    XmlElement taxOffices{"DMCQT", {}, {}};
    XmlElement* province = nullptr;
    XmlElement* district = nullptr;
    XmlElement* department = nullptr;
    std::string lastProvince, lastDistrict;
    std::set<std::string> provinceCodes, districtCodes, wardCodes, taxIds;
    auto taxItem = [&](XmlElement& parent, const std::string& id, const std::string& value) -> XmlElement& {
        if (!taxIds.insert(id).second) throw std::runtime_error("tax office id used twice: " + id);
        return item(parent, id, value);
    };
    for (const auto& r : units.rows) {
        if (r[pc].empty() || r[dc].empty()) throw std::runtime_error(o.units + ": a row without province or district");
        if (r[pc] != lastProvince) {
            if (!provinceCodes.insert(r[pc]).second)
                throw std::runtime_error(o.units + ": province " + r[pc] + " is not contiguous");
            auto sn = shortname.find(r[pc]);
            if (sn == shortname.end()) throw std::runtime_error("no short name for province " + r[pc]);
            province = &item(locations, r[pc], r[pn]);
            // Department id "1" + province code; its own office adds "00".
            department = &taxItem(taxOffices, "1" + r[pc], "Cục Thuế " + lowerFirst(tidyName(r[pn])));
            department->attr("shortname", sn->second);
            taxItem(*department, "1" + r[pc] + "00", "Văn phòng Cục Thuế " + lowerFirst(tidyName(r[pn])));
            lastProvince = r[pc];
            lastDistrict.clear();
        }
        if (r[dc] != lastDistrict) {
            if (!districtCodes.insert(r[dc]).second)
                throw std::runtime_error(o.units + ": district " + r[dc] + " is not contiguous");
            district = &item(*province, r[dc], r[dn]);
            taxItem(*department, "1" + r[pc] + r[dc], "Chi cục Thuế " + lowerFirst(tidyName(r[dn])));
            lastDistrict = r[dc];
        }
        if (!r[wc].empty()) {
            if (!wardCodes.insert(r[wc]).second) throw std::runtime_error(o.units + ": ward " + r[wc] + " twice");
            item(*district, r[wc], r[wn]);
        }
    }
    save(o, "DMDiaban.xml", locations);
    save(o, "DMCQT.xml", taxOffices);
    std::cout << "cataloguegen: " << provinceCodes.size() << " provinces, " << districtCodes.size()
              << " districts, " << wardCodes.size() << " wards, " << taxIds.size() << " tax offices\n";
}

void writeCountriesAndNationalities(const Options& o) {
    CsvTable countries = readCsvFile(o.countries);
    const auto a2 = countries.column("alpha2"), a3 = countries.column("alpha3"), vi = countries.column("name_vi");
    XmlElement dmCountry{"DMQuocGia", {}, {}};
    XmlElement dmNationality{"DMQuocTich", {}, {}};
    // Viet Nam heads both lists; the nationality of Vietnamese citizens has the id "00".
    for (const auto& r : countries.rows)
        if (r[a2] == "VN") {
            item(dmCountry, r[a2], r[vi]).attr("shortname", r[a3]);
            item(dmNationality, "00", r[vi]).attr("shortname", r[a3]);
        }
    for (const auto& r : countries.rows) {
        if (r[a2] == "VN") continue;
        item(dmCountry, r[a2], r[vi]).attr("shortname", r[a3]);
        item(dmNationality, r[a2], r[vi]).attr("shortname", r[a3]);
    }
    item(dmNationality, "98", "Không quốc tịch").attr("type", "Người không quốc tịch");
    save(o, "DMQuocGia.xml", dmCountry);
    save(o, "DMQuocTich.xml", dmNationality);
}

void writeSmallTable(const Options& o, const std::string& csv, const std::string& file, const std::string& root) {
    CsvTable t = readCsvFile(o.tables + "/" + csv);
    const auto id = t.column("id"), value = t.column("value");
    XmlElement e{root, {}, {}};
    std::set<std::string> ids;
    for (const auto& r : t.rows) {
        if (!ids.insert(r[id]).second) throw std::runtime_error(csv + ": id used twice: " + r[id]);
        item(e, r[id], r[value]);
    }
    save(o, file, e);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string k = argv[i], v = argv[i + 1];
        if (k == "--units") o.units = v;
        else if (k == "--countries") o.countries = v;
        else if (k == "--shortnames") o.shortnames = v;
        else if (k == "--tables") o.tables = v;
        else if (k == "--out") o.out = v;
        else {
            std::cerr << "cataloguegen: unknown option " << k << "\n";
            return 2;
        }
    }
    if (o.units.empty() || o.countries.empty() || o.shortnames.empty() || o.tables.empty() || o.out.empty()) {
        std::cerr << "usage: cataloguegen --units CSV --countries CSV --shortnames CSV --tables DIR --out DIR\n";
        return 2;
    }
    try {
        writeLocationsAndTaxOffices(o);
        writeCountriesAndNationalities(o);
        writeSmallTable(o, "sex.csv", "DMGioiTinh.xml", "DMGioiTinh");
        writeSmallTable(o, "economic-organisation-types.csv", "DMCTLHKT.xml", "DMCTLHKT");
        writeSmallTable(o, "business-lines.csv", "DMNNKD.xml", "DMNNKD");
    } catch (const std::exception& e) {
        std::cerr << "cataloguegen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

// Writes the converter's character tables from the readable letter list.
//   GenerateCharsetTables <vietnamese_letters.txt> <output folder>
// Checks the list first (134 letters, one code each, no letter written twice in
// an encoding except the marked TCVN fallbacks, no CR/LF bytes) and fails the
// build with the offending line otherwise.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr size_t kLetterCount = 134;

struct Letter {
    long code = 0;
    std::string utf8;
    unsigned char vps = 0, viscii = 0, tcvn = 0;
    bool tcvnFallback = false;
    std::string vni;
    std::string viqr;
};

std::string codeName(long code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04lX", code);
    return buf;
}

std::string utf8Of(long code) {
    std::string out;
    if (code < 0x80) out += static_cast<char>(code);
    else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

unsigned char hexByte(const std::string& text) {
    size_t used = 0;
    unsigned long v = std::stoul(text, &used, 16);
    if (used != text.size() || v > 0xFF) throw std::runtime_error("not a hex byte: " + text);
    if (v == '\r' || v == '\n') throw std::runtime_error("CR or LF cannot stand for a letter");
    return static_cast<unsigned char>(v);
}

Letter parseLine(const std::string& line) {
    std::istringstream in(line);
    std::string code, letter, vps, viscii, tcvn, vni, viqr, extra;
    if (!(in >> code >> letter >> vps >> viscii >> tcvn >> vni >> viqr) || (in >> extra))
        throw std::runtime_error("expected 7 columns");
    if (code.rfind("U+", 0) != 0) throw std::runtime_error("code must read U+XXXX");
    Letter l;
    l.code = std::stol(code.substr(2), nullptr, 16);
    l.utf8 = utf8Of(l.code);
    if (l.code < 0x80 || l.utf8 != letter) throw std::runtime_error("letter does not match its code");
    l.vps = hexByte(vps);
    l.viscii = hexByte(viscii);
    if (!tcvn.empty() && tcvn.back() == '*') {
        l.tcvnFallback = true;
        tcvn.pop_back();
    }
    l.tcvn = hexByte(tcvn);
    std::istringstream parts(vni);
    for (std::string part; std::getline(parts, part, '+');) l.vni += static_cast<char>(hexByte(part));
    l.viqr = viqr;
    if (l.vni.empty() || l.vni.size() > 3 || l.viqr.size() < 2 || l.viqr.size() > 3)
        throw std::runtime_error("VNI and VIQR forms take 1-3 and 2-3 characters");
    return l;
}

std::vector<Letter> readLetters(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<Letter> letters;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
        try {
            letters.push_back(parseLine(line));
        } catch (const std::exception& e) {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": " + e.what());
        }
    }
    return letters;
}

template <typename Key>
void requireDistinct(const std::vector<Letter>& letters, const char* what, Key key) {
    std::set<std::string> seen;
    for (const auto& l : letters)
        if (!seen.insert(key(l)).second)
            throw std::runtime_error(std::string(what) + " form of " + codeName(l.code) +
                                     " is used twice");
}

void check(const std::vector<Letter>& letters) {
    if (letters.size() != kLetterCount)
        throw std::runtime_error("expected " + std::to_string(kLetterCount) + " letters, found " +
                                 std::to_string(letters.size()));
    requireDistinct(letters, "Unicode", [](const Letter& l) { return l.utf8; });
    requireDistinct(letters, "VPS", [](const Letter& l) { return std::string(1, l.vps); });
    requireDistinct(letters, "VISCII", [](const Letter& l) { return std::string(1, l.viscii); });
    requireDistinct(letters, "VNI", [](const Letter& l) { return l.vni; });
    requireDistinct(letters, "VIQR", [](const Letter& l) { return l.viqr; });
    // A fallback must reuse the byte of a letter listed before it, so that the
    // way back finds that letter first.
    std::set<unsigned char> own;
    for (const auto& l : letters) {
        if (l.tcvnFallback) {
            if (!own.count(l.tcvn))
                throw std::runtime_error("TCVN fallback byte of " + codeName(l.code) +
                                         " belongs to no earlier letter");
        } else if (!own.insert(l.tcvn).second) {
            throw std::runtime_error("TCVN byte of " + codeName(l.code) + " is used twice");
        }
    }
}

void writeFile(const std::string& folder, const std::string& name, const std::string& bytes) {
    const std::string path = folder + "/" + name;
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) throw std::runtime_error("cannot write " + temp);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot write " + path);
}

std::string lines(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& s : items) out += s + "\r\n";
    return out;
}

// Source sequence padded to 3 characters, then the 1-based position; longer
// sequences first so that a letter is never cut short by its own prefix.
std::string mapTable(const std::vector<std::string>& forms) {
    std::vector<size_t> order(forms.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return forms[a].size() > forms[b].size(); });
    std::vector<std::string> out;
    for (size_t i : order) {
        char position[8];
        std::snprintf(position, sizeof position, "%03zu", i + 1);
        std::string source = forms[i];
        source.resize(3, ' ');
        out.push_back(source + position);
    }
    return lines(out);
}

void generate(const std::vector<Letter>& letters, const std::string& folder) {
    std::string unicode, vps, viscii, tcvn;
    std::vector<std::string> vni, viqr;
    for (const auto& l : letters) {
        unicode += l.utf8;
        vps += static_cast<char>(l.vps);
        viscii += static_cast<char>(l.viscii);
        tcvn += static_cast<char>(l.tcvn);
        vni.push_back(l.vni);
        viqr.push_back(l.viqr);
    }
    writeFile(folder, "UnicodeVowels.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<UnicodeVowels>" + unicode +
                  "</UnicodeVowels>\n");
    writeFile(folder, "VPSVowels.txt", vps);
    writeFile(folder, "VISCIIVowels.txt", viscii);
    writeFile(folder, "TCVNVowels.txt", tcvn);
    writeFile(folder, "VNIVowels.txt", lines(vni));
    writeFile(folder, "VIQRVowels.txt", lines(viqr));
    writeFile(folder, "VNIVowelMap.txt", mapTable(vni));
    writeFile(folder, "VIQRVowelMap.txt", mapTable(viqr));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: GenerateCharsetTables <letters.txt> <output folder>\n";
        return 2;
    }
    try {
        auto letters = readLetters(argv[1]);
        check(letters);
        generate(letters, argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "GenerateCharsetTables: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

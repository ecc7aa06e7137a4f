#pragma once
// The Vietnamese letters built from their parts (independently of the tables)
// and their expected VNI and VIQR forms.
#include <QString>
#include <string>
#include <vector>

namespace charset_test {

struct Expected {
    std::string utf8;
    std::string viqr;
    std::string vni;   // bytes
    bool upper = false;
};

inline std::vector<Expected> vietnameseLetters() {
    struct Base {
        char letter;
        const char* combining;   // modifier as combining characters
        const char* viqr;
    };
    const Base bases[] = {{'a', "", ""},          {'a', "\u0306", "("}, {'a', "\u0302", "^"},
                          {'e', "", ""},          {'e', "\u0302", "^"}, {'i', "", ""},
                          {'o', "", ""},          {'o', "\u0302", "^"}, {'o', "\u031B", "+"},
                          {'u', "", ""},          {'u', "\u031B", "+"}, {'y', "", ""}};
    const char* toneMarks[] = {"", "\u0301", "\u0300", "\u0309", "\u0303", "\u0323"};
    const char* toneViqr[] = {"", "'", "`", "?", "~", "."};
    // VNI marks (lowercase); uppercase marks are 0x20 lower.
    const unsigned char plainTone[] = {0, 0xF9, 0xF8, 0xFB, 0xF5, 0xEF};
    const unsigned char circTone[] = {0xE2, 0xE1, 0xE0, 0xE5, 0xE3, 0xE4};
    const unsigned char breveTone[] = {0xEA, 0xE9, 0xE8, 0xFA, 0xFC, 0xEB};
    const unsigned char iTone[] = {0, 0xED, 0xEC, 0xE6, 0xF3, 0xF2};

    std::vector<Expected> out;
    for (bool upper : {false, true}) {
        for (const Base& b : bases) {
            for (int t = 0; t < 6; ++t) {
                if (t == 0 && *b.combining == 0) continue;   // plain ASCII vowel
                char letter = upper ? static_cast<char>(b.letter - 32) : b.letter;
                QString decomposed = QString(QChar(letter)) + QString::fromUtf8(b.combining) +
                                     QString::fromUtf8(toneMarks[t]);
                Expected e;
                e.upper = upper;
                e.utf8 = decomposed.normalized(QString::NormalizationForm_C).toStdString();
                e.viqr = std::string(1, letter) + b.viqr + toneViqr[t];
                auto mark = [&](unsigned char m) { return static_cast<char>(upper ? m - 0x20 : m); };
                std::string horn = b.letter == 'o' ? std::string(1, mark(0xF4))
                                                   : std::string(1, mark(0xF6));
                if (b.letter == 'i') e.vni = std::string(1, mark(iTone[t]));
                else if (b.letter == 'y' && t == 5) e.vni = std::string(1, mark(0xEE));
                else if (std::string(b.viqr) == "^") e.vni = std::string(1, letter) + mark(circTone[t]);
                else if (std::string(b.viqr) == "(") e.vni = std::string(1, letter) + mark(breveTone[t]);
                else if (std::string(b.viqr) == "+")
                    e.vni = horn + (t ? std::string(1, mark(plainTone[t])) : std::string());
                else e.vni = std::string(1, letter) + mark(plainTone[t]);
                out.push_back(e);
            }
        }
        Expected d;
        d.upper = upper;
        d.utf8 = upper ? "Đ" : "đ";
        d.viqr = upper ? "DD" : "dd";
        d.vni = std::string(1, static_cast<char>(upper ? 0xD1 : 0xF1));
        out.push_back(d);
    }
    return out;
}

inline std::string lowerUtf8(const std::string& s) {
    return QString::fromStdString(s).toLower().toStdString();
}

}  // namespace charset_test

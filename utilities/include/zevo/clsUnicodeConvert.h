#pragma once
// Vietnamese text between Unicode and the legacy encodings VPS, VISCII, VNI, TCVN
// (TCVN3/ABC) and VIQR, driven by character tables installed beside the library.
//
// Representation
//   - Unicode text is UTF-8.
//   - Legacy text is a byte string in which every byte is one character of the
//     legacy encoding (VNI and VIQR write a letter as several such characters).
//   - Converting to a legacy encoding copies a character that is not one of the
//     table's letters: code points below 256 as that single byte, anything else
//     as its UTF-8 bytes (the legacy encodings have no code for it).
//   - Converting to Unicode copies a byte that is not one of the table's letters
//     as the character with that code (bytes 0x80-0xFF read as Latin-1), so the
//     result is always valid UTF-8.
//   - Carriage return and line feed are always copied.
//
// Table files (read from the table folder on every call, nothing cached):
//   "UnicodeVowels.xml"  UTF-8 XML; the document element's text is the list of the
//                        134 Vietnamese letters outside ASCII, in one fixed order.
//   "VPSVowels.txt", "VISCIIVowels.txt", "TCVNVowels.txt"
//                        raw legacy bytes, byte k = letter k of the Unicode list.
//   "VNIVowels.txt", "VIQRVowels.txt"
//                        CR LF separated lines, line k = letter k of the list.
//   "VNIVowelMap.txt", "VIQRVowelMap.txt"
//                        CR LF separated lines of 6 characters: the source
//                        sequence right-padded with spaces to 3, then the letter's
//                        1-based position in 3 digits. The lines are applied in
//                        order, each over the whole text, so longer sequences come
//                        first; the last line (empty after the final CR LF) is
//                        not applied.
// A missing table raises RuntimeError 53; a table whose length does not match
// the Unicode list raises RuntimeError 9.
#include <string>

namespace zevo {

enum CharacterSet {
    UNICODE = 1,
    VPS = 2,
    VISCII = 3,
    VNI = 4,
    TCVN = 5,
    VIQR = 6,
};

class clsUnicodeConvert {
public:
    // Tables from the folder of libZEVO_Utilities.so.
    clsUnicodeConvert();
    // Tables from another folder (the program's own copy in "References").
    explicit clsUnicodeConvert(std::string tableFolder);

    // pFrom == pTo or an empty pString: pString unchanged. From Unicode to a set
    // that is not one of the five, or from a set that is not one of them: "".
    // Converting from a legacy set always gives Unicode, whatever pTo names.
    std::string Convert(const std::string& pString, int pFrom, int pTo) const;

    // The folder the tables are read from, with a trailing "/".
    const std::string& tableFolder() const { return folder_; }

    // Tests point the library's default table folder elsewhere; "" restores it.
    static void setLibraryFolderOverride(const std::string& folder);

private:
    std::string folder_;
};

}  // namespace zevo

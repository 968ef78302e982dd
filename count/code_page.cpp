#include "count/code_page.h"

#include <string>

namespace lw {

namespace {

// Upper case without '-', '_' and blanks, so that "Shift_JIS", "shift-jis" and "SHIFTJIS" meet.
std::string normalisedName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        if (c == '-' || c == '_' || c == ' ') {
            continue;
        }
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        out.push_back(c);
    }
    return out;
}

CodePage& systemCodePage() {
    static CodePage codePage;
    return codePage;
}

}  // namespace

CodePage CodePage::forCharset(std::string_view codeset) {
    const std::string name = normalisedName(codeset);
    if (name == "SJIS" || name == "SHIFTJIS" || name == "CP932" || name == "WINDOWS31J" ||
        name == "MSKANJI" || name == "IBM943" || name == "WINDOWS932") {
        return CodePage(Kind::ShiftJis);
    }
    // GB18030's four-byte sequences are pairs of (lead, digit) and step correctly two bytes at a
    // time, so it shares the GBK stepping.
    if (name == "GBK" || name == "CP936" || name == "WINDOWS936" || name == "GB18030") {
        return CodePage(Kind::Gbk);
    }
    if (name == "UHC" || name == "CP949" || name == "WINDOWS949" || name == "JOHAB") {
        return CodePage(Kind::Uhc);
    }
    if (name == "BIG5" || name == "BIG5HKSCS" || name == "CP950" || name == "WINDOWS950") {
        return CodePage(Kind::Big5);
    }
    // UTF-8, the single-byte sets and the EUC family never put a byte below 0x80 inside a
    // multi-byte character, so a byte search is exact for them.
    return CodePage(Kind::ByteWise);
}

CodePage CodePage::withLeadBytes(std::initializer_list<unsigned char> leadBytes) {
    return withLeadBytesWhere([&leadBytes](unsigned char byte) {
        for (const unsigned char lead : leadBytes) {
            if (lead == byte) {
                return true;
            }
        }
        return false;
    });
}

const CodePage& CodePage::system() {
    return systemCodePage();
}

void CodePage::setSystem(CodePage codePage) {
    systemCodePage() = codePage;
}

bool CodePage::isLeadByte(unsigned char byte) const {
    switch (kind_) {
        case Kind::ByteWise:
            return false;
        case Kind::ShiftJis:
            return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case Kind::Gbk:
        case Kind::Uhc:
        case Kind::Big5:
            return byte >= 0x81 && byte <= 0xFE;
        case Kind::Listed:
            return (leadBytes_[byte / 32] >> (byte % 32) & 1) != 0;
    }
    return false;
}

}  // namespace lw

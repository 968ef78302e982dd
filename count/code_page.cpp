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
    if (name == "UTF8") {
        return CodePage(Kind::Utf8);
    }
    // The single-byte sets and the EUC family never put a byte below 0x80 inside a multi-byte
    // character, so a byte search is exact for them.
    return CodePage(Kind::ByteWise);
}

const CodePage& CodePage::system() {
    return systemCodePage();
}

void CodePage::setSystem(CodePage codePage) {
    systemCodePage() = codePage;
}

std::size_t CodePage::utf8Length(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    // The second byte's range rules out overlong forms, surrogates and values above U+10FFFF.
    std::size_t length = 2;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0xC2 || lead > 0xF4) {
        return 1;
    }
    if (lead >= 0xF0) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else if (lead >= 0xE0) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    }
    if (text.size() - pos < length || byte(1) < low || byte(1) > high) {
        return 1;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

bool CodePage::isLeadByte(unsigned char byte) const {
    switch (kind_) {
        case Kind::ByteWise:
        case Kind::Utf8:
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

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lw {

// The multi-byte character set that text is stepped through. Chosen once at start-up from the
// locale; everything that searches, compares or trims text steps by whole characters of it, so
// that an ASCII byte inside a double-byte character is never taken for a marker or a separator,
// and no character is ever cut in two.
class CodePage {
  public:
    enum class Kind : unsigned char {
        ByteWise,  // single-byte sets, and any set whose bytes below 0x80 are whole characters
        Utf8,      // UTF-8 / Windows code page 65001: characters of one to four bytes
        ShiftJis,  // Shift_JIS / CP932
        Gbk,       // GBK / CP936
        Uhc,       // UHC / CP949
        Big5,      // Big5 / CP950
        Listed,    // the lead bytes that the system names for its code page
    };

    constexpr CodePage() = default;
    constexpr explicit CodePage(Kind kind) : kind_(kind) {}

    // Maps a character-set name as nl_langinfo(CODESET) reports it ("UTF-8", "SJIS", "CP932",
    // "GBK", "BIG5", ...) to a code page; unknown names step byte by byte.
    static CodePage forCharset(std::string_view codeset);
    // A double-byte code page whose lead bytes are those `isLead` accepts; byte-wise when there
    // are none.
    template <typename IsLead>
    static CodePage withLeadBytesWhere(IsLead isLead) {
        CodePage codePage(Kind::Listed);
        bool any = false;
        for (unsigned byte = 0; byte < 256; ++byte) {
            if (isLead(static_cast<unsigned char>(byte))) {
                codePage.leadBytes_[byte / 32] |= std::uint32_t{1} << (byte % 32);
                any = true;
            }
        }
        return any ? codePage : CodePage();
    }

    // The system's text code page: on POSIX systems setlocale(LC_ALL, "") and the locale's
    // CODESET; on Windows the ANSI code page, with the lead bytes the system reports for it.
    static CodePage fromLocale();

    // The code page the program selected at start-up (byte-wise until setSystem is called).
    static const CodePage& system();
    static void setSystem(CodePage codePage);

    constexpr Kind kind() const { return kind_; }
    // Whether a search byte by byte finds exactly what stepping by characters finds: no byte
    // below 0x80 is ever part of a longer character (the single-byte sets and UTF-8), so text
    // may be searched for ASCII markers and separators without stepping.
    constexpr bool stepsByByte() const { return kind_ == Kind::ByteWise || kind_ == Kind::Utf8; }

    // Whether the byte is the first of a double-byte character. UTF-8 has no such bytes: its
    // characters are as long as charLength says.
    bool isLeadByte(unsigned char byte) const;

    // Byte length of the character that starts at text[pos]: 1 or 2, and up to 4 in UTF-8. A lead
    // byte whose character the text cuts short is a character of its own, and so is every byte
    // that begins no well-formed UTF-8 sequence, so that no byte behind it is taken into it.
    std::size_t charLength(std::string_view text, std::size_t pos) const {
        if (kind_ == Kind::ByteWise || pos + 1 >= text.size()) {
            return 1;
        }
        if (kind_ == Kind::Utf8) {
            return utf8Length(text, pos);
        }
        return isLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
    }

    constexpr bool operator==(const CodePage&) const = default;

  private:
    static std::size_t utf8Length(std::string_view text, std::size_t pos);

    Kind kind_ = Kind::ByteWise;
    std::array<std::uint32_t, 8> leadBytes_{};  // one bit a byte, for Kind::Listed
};

// The ellipsis of the program's texts, in the code page they are shown in: "…" where that is
// UTF-8 (on POSIX systems always, whose window takes the texts as UTF-8; on Windows where the ANSI
// code page is UTF-8), "..." in every other ANSI code page, most of which lack the character.
// Fixed before main() begins, as the process's code page is.
extern const char* const kEllipsis;

}  // namespace lw

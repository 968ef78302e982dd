#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace lw {

// The multi-byte character set that text is stepped through. Chosen once at start-up from the
// locale; everything that searches, compares or trims text steps by whole characters of it, so
// that an ASCII byte inside a double-byte character is never taken for a marker or a separator.
class CodePage {
  public:
    enum class Kind : unsigned char {
        ByteWise,  // UTF-8, single-byte sets, and any set whose bytes below 0x80 are whole
                   // characters
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
    // A double-byte code page with exactly these lead bytes; byte-wise when there are none.
    static CodePage withLeadBytes(std::initializer_list<unsigned char> leadBytes);
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
    constexpr bool stepsByByte() const { return kind_ == Kind::ByteWise; }

    bool isLeadByte(unsigned char byte) const;

    // Byte length (1 or 2) of the character that starts at text[pos]. A lead byte that is the last
    // byte of the text is a character of its own.
    std::size_t charLength(std::string_view text, std::size_t pos) const {
        if (stepsByByte() || pos + 1 >= text.size()) {
            return 1;
        }
        return isLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
    }

    constexpr bool operator==(const CodePage&) const = default;

  private:
    Kind kind_ = Kind::ByteWise;
    std::array<std::uint32_t, 8> leadBytes_{};  // one bit a byte, for Kind::Listed
};

// The ellipsis of the program's texts: "…" where they are UTF-8; "..." on Windows, where they are
// in the ANSI code page, which mostly has no such character.
#if defined(_WIN32)
inline constexpr char kEllipsis[] = "...";
#else
inline constexpr char kEllipsis[] = "\xE2\x80\xA6";
#endif

}  // namespace lw

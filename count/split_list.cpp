#include "count/split_list.h"

namespace lw {

namespace {

// A delimiter is matched as a whole character, so a trail byte that happens to equal a delimiter
// byte is never one.
bool isDelimiterAt(std::string_view text, std::size_t pos, std::size_t length,
                   std::string_view delimiters, const CodePage& codePage) {
    const std::string_view character = text.substr(pos, length);
    for (std::size_t d = 0; d < delimiters.size();) {
        const std::size_t dLength = codePage.charLength(delimiters, d);
        if (delimiters.substr(d, dLength) == character) {
            return true;
        }
        d += dLength;
    }
    return false;
}

}  // namespace

int SplitList(std::string_view text, ExtensionList& list, std::string_view delimiters,
              const CodePage& codePage) {
    std::size_t pieceStart = 0;
    bool inPiece = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = codePage.charLength(text, pos);
        if (isDelimiterAt(text, pos, length, delimiters, codePage)) {
            if (inPiece) {
                list.emplace_back(text.substr(pieceStart, pos - pieceStart));
                inPiece = false;
            }
        } else if (!inPiece) {
            pieceStart = pos;
            inPiece = true;
        }
        pos += length;
    }
    if (inPiece) {
        list.emplace_back(text.substr(pieceStart));
    }
    return static_cast<int>(list.size());
}

}  // namespace lw

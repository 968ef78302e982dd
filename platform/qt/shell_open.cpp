#include "platform/backend.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "platform/qt/text.h"

namespace lw {

namespace {

bool isWebAddress(const std::string& text) {
    auto startsWith = [&text](const char* prefix) {
        const std::string_view p(prefix);
        if (text.size() < p.size()) {
            return false;
        }
        for (std::size_t i = 0; i < p.size(); ++i) {
            const char c = text[i];
            const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            if (lower != p[i]) {
                return false;
            }
        }
        return true;
    };
    return startsWith("http://") || startsWith("https://");
}

}  // namespace

namespace backend {

void shellOpen(ModalDialog* /*owner*/, const std::string& pathOrAddress) {
    QUrl url;
    if (isWebAddress(pathOrAddress)) {
        // An address is ASCII, or UTF-8 at most, whatever the locale's encoding.
        url = QUrl(
            QString::fromUtf8(pathOrAddress.data(), static_cast<qsizetype>(pathOrAddress.size())),
            QUrl::TolerantMode);
    } else {
        // A relative path means the working directory, as it would for the system's own "open".
        url = QUrl::fromLocalFile(QFileInfo(fromBytes(pathOrAddress)).absoluteFilePath());
    }
    if (!url.isValid()) {
        return;
    }
    QDesktopServices::openUrl(url);
}

}  // namespace backend
}  // namespace lw

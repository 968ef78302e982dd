#include "platform/qt/text.h"

#include <QByteArray>
#include <QFile>

namespace lw {

QString fromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string toBytes(const QString& text) {
    const QByteArray bytes = QFile::encodeName(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace lw

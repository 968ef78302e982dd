#include "platform/profile.h"

#include "platform/qt/text.h"

#include <QCoreApplication>
#include <QSettings>
#include <QString>
#include <QVariant>

namespace lw {

namespace {

std::string& companyKey() {
    static std::string key;
    return key;
}

QString settingsKey(const std::string& section, const std::string& key) {
    return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) + u'/' +
           QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

// One store object per call: QSettings shares the parsed file between instances and re-reads it
// when another process changed it, so nothing is gained by keeping one open.
QSettings openStore() {
    QString company = QString::fromStdString(companyKey());
    if (company.isEmpty()) {
        company = QCoreApplication::organizationName();
    }
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, company,
                     QCoreApplication::applicationName());
}

}  // namespace

void Profile::SetCompanyKey(const std::string& company) {
    companyKey() = company;
}

std::string Profile::GetString(const std::string& section, const std::string& key,
                               const std::string& defaultValue) {
    QSettings store = openStore();
    const QVariant value = store.value(settingsKey(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    // Texts that are not valid in the local encoding were written as raw bytes.
    if (value.typeId() == QMetaType::QByteArray) {
        return value.toByteArray().toStdString();
    }
    if (!value.canConvert<QString>()) {
        return defaultValue;
    }
    return toBytes(value.toString());
}

int Profile::GetInt(const std::string& section, const std::string& key, int defaultValue) {
    QSettings store = openStore();
    const QVariant value = store.value(settingsKey(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: {
            bool ok = false;
            const int number = value.toInt(&ok);
            return ok ? number : defaultValue;
        }
        default:
            break;
    }
    // A hand-edited file may hold anything; only a whole decimal integer counts.
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

void Profile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
    QSettings store = openStore();
    const QString text = fromBytes(value);
    if (toBytes(text) == value) {
        store.setValue(settingsKey(section, key), text);
    } else {
        store.setValue(settingsKey(section, key),
                       QByteArray(value.data(), static_cast<qsizetype>(value.size())));
    }
    // Written through at once, so that a crash later in the run loses nothing.
    store.sync();
}

void Profile::WriteInt(const std::string& section, const std::string& key, int value) {
    QSettings store = openStore();
    store.setValue(settingsKey(section, key), value);
    store.sync();
}

}  // namespace lw

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include "platform/profile.h"
#include "tests/support/gui_test_support.h"

using lw::Profile;

namespace {

const std::string kSection = "Settings";

QString configFilePath() {
    return QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
        .filePath(QStringLiteral("Ferrowick/%1.conf").arg(QCoreApplication::applicationName()));
}

void writeRawFile(const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(configFilePath()).path());
    QFile file(configFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

}  // namespace

class ProfileTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { Profile::SetCompanyKey("Ferrowick"); }
    void init() {
        QFile::remove(configFilePath());
        QDir(configFilePath()).removeRecursively();
    }

    void missingValuesGiveTheDefault() {
        QCOMPARE(Profile::GetString(kSection, "Extensions", "*.c;*.h"), std::string("*.c;*.h"));
        QCOMPARE(Profile::GetInt(kSection, "Recurse", 1), 1);
        QCOMPARE(Profile::GetInt(kSection, "Recurse", -7), -7);
    }

    void storedEmptyTextIsNotTheDefault() {
        Profile::WriteString(kSection, "LastDirectory", "");
        QCOMPARE(Profile::GetString(kSection, "LastDirectory", "fallback"), std::string());
    }

    void stringsRoundTripAsBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QByteArray("*.c;*.cpp;*.h");
        QTest::newRow("utf-8") << QByteArray("/home/j\xC3\xBCrgen/\xE6\xBA\x90");
        QTest::newRow("latin-1 byte, not utf-8") << QByteArray("/src/caf\xE9");
        QTest::newRow("lone continuation byte") << QByteArray("a\x80z");
        QTest::newRow("ini syntax") << QByteArray("a=b;[c]\\d\"e\"#f");
        QTest::newRow("leading and trailing blanks") << QByteArray("  *.c ; *.h  ");
    }
    void stringsRoundTripAsBytes() {
        QFETCH(QByteArray, bytes);
        const std::string value = bytes.toStdString();
        Profile::WriteString(kSection, "LastDirectory", value);
        QCOMPARE(Profile::GetString(kSection, "LastDirectory", "x"), value);
    }

    void integersRoundTrip_data() {
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("negative") << -42;
        QTest::newRow("largest") << std::numeric_limits<int>::max();
        QTest::newRow("smallest") << std::numeric_limits<int>::min();
    }
    void integersRoundTrip() {
        QFETCH(int, value);
        Profile::WriteInt(kSection, "Recurse", value);
        QCOMPARE(Profile::GetInt(kSection, "Recurse", 99), value);
    }

    void handEditedIntegers_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << QByteArray("Recurse=0") << 0;
        QTest::newRow("blanks around") << QByteArray("Recurse= 5 ") << 5;
        QTest::newRow("negative") << QByteArray("Recurse=-3") << -3;
        QTest::newRow("word") << QByteArray("Recurse=yes") << 77;
        QTest::newRow("trailing junk") << QByteArray("Recurse=1x") << 77;
        QTest::newRow("empty") << QByteArray("Recurse=") << 77;
        QTest::newRow("too large") << QByteArray("Recurse=99999999999") << 77;
        QTest::newRow("fraction") << QByteArray("Recurse=1.5") << 77;
    }
    void handEditedIntegers() {
        QFETCH(QByteArray, line);
        QFETCH(int, expected);
        writeRawFile("[Settings]\n" + line + "\n");
        QCOMPARE(Profile::GetInt(kSection, "Recurse", 77), expected);
    }

    void corruptFileReadsAsDefaultsAndCanBeWrittenAgain_data() {
        QTest::addColumn<QByteArray>("garbage");
        QByteArray binary;
        for (int i = 0; i < 4096; ++i) {
            binary.append(static_cast<char>((i * 7919) & 0xFF));
        }
        QTest::newRow("binary noise") << binary;
        QTest::newRow("unterminated group") << QByteArray("[Settings\nExtensions=*.c\n");
        QTest::newRow("nul bytes") << QByteArray("\0\0\0[\0]=\0", 9);
        QTest::newRow("bad byte array") << QByteArray("[Settings]\nExtensions=@ByteArray(\n");
        QTest::newRow("bad variant")
            << QByteArray("[Settings]\nRecurse=@Variant(\\0\\0\\0\\x7f)\n");
    }
    void corruptFileReadsAsDefaultsAndCanBeWrittenAgain() {
        QFETCH(QByteArray, garbage);
        writeRawFile(garbage);
        const std::string text = Profile::GetString(kSection, "Extensions", "*.c");
        Q_UNUSED(text);  // whatever survives of a damaged file; reading it must not fail
        const int number = Profile::GetInt(kSection, "Recurse", 1);
        Q_UNUSED(number);
        Profile::WriteString(kSection, "LastDirectory", "/after/corruption");
        QCOMPARE(Profile::GetString(kSection, "LastDirectory", ""),
                 std::string("/after/corruption"));
    }

    // A directory where the file belongs cannot be read, even by the superuser, whom file
    // permissions would let in.
    void unreadableStoreReadsAsDefaults() {
        QVERIFY(QDir().mkpath(configFilePath()));
        QCOMPARE(Profile::GetString(kSection, "Extensions", "*.c"), std::string("*.c"));
        QCOMPARE(Profile::GetInt(kSection, "Recurse", 7), 7);
    }

    void valuesLandInTheSettingsGroupOfTheCompanyFile() {
        Profile::WriteString(kSection, "Extensions", "*.cpp");
        Profile::WriteInt(kSection, "Recurse", 0);
        QVERIFY2(QFile::exists(configFilePath()), qPrintable(configFilePath()));
        // Read back by a separate store, as the next start of the program would.
        QSettings direct(configFilePath(), QSettings::IniFormat);
        QCOMPARE(direct.value("Settings/Extensions").toString(), QStringLiteral("*.cpp"));
        QCOMPARE(direct.value("Settings/Recurse").toString(), QStringLiteral("0"));
        QCOMPARE(direct.childGroups(), QStringList{QStringLiteral("Settings")});
    }

    void writesReachTheFileAtOnce() {
        Profile::WriteString(kSection, "Extensions", "*.inl");
        QFile file(configFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("Extensions=*.inl"));
    }
};

LW_GUI_TEST_MAIN(ProfileTest)
#include "profile_test.moc"

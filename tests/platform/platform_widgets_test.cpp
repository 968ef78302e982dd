#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <string>
#include <vector>

#include "platform/folder_browser.h"
#include "platform/message_box.h"
#include "platform/qt/app_icon.h"
#include "platform/qt/directory_list_box.h"
#include "platform/shell_open.h"
#include "tests/support/gui_test_support.h"

// Receives what the desktop would have been asked to open.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

class PlatformWidgetsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("linewright")); }

    void cleanup() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        lw::FolderBrowserSeam::clearAnswerer();
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void directoryListKeepsOrderDuplicatesAndBytes() {
        lw::DirectoryListBox list;
        QCOMPARE(list.selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!list.isSortingEnabled());
        const std::vector<std::string> entries{"/src/zeta", "/src/alpha",   "/src/zeta",
                                               "",          "/src/caf\xE9", "relative"};
        for (const std::string& entry : entries) {
            list.append(entry);
        }
        QCOMPARE(list.entryCount(), int(entries.size()));
        for (int i = 0; i < list.entryCount(); ++i) {
            QCOMPARE(list.entryText(i), entries[std::size_t(i)]);
        }
        QCOMPARE(list.entryText(99), std::string());
        QCOMPARE(list.entryText(-1), std::string());

        list.select(2);
        QCOMPARE(list.selectedItems().size(), 1);
        QCOMPARE(list.row(list.selectedItems().front()), 2);
        list.select(4);
        QCOMPARE(list.selectedItems().size(), 1);
        QCOMPARE(list.row(list.selectedItems().front()), 4);
        list.select(-1);
        QVERIFY(list.selectedItems().isEmpty());
    }

    void messageSeamRecordsInsteadOfShowing() {
        lw::test::MessageRecorder recorder;
        lw::showMessage(nullptr, "Error: Failed to FindNextFile");
        lw::showMessage(nullptr, "second");
        QCOMPARE(recorder.messages,
                 (std::vector<std::string>{"Error: Failed to FindNextFile", "second"}));
    }

    void realMessageBoxShowsTextCaptionAndOneOk() {
        QString text, caption;
        int buttons = 0;
        bool plain = false;
        lw::test::whenModalShown([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            text = box->text();
            caption = box->windowTitle();
            buttons = int(box->buttons().size());
            plain = box->textFormat() == Qt::PlainText;
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        lw::showMessage(nullptr, "Error: <b>not markup</b> caf\xC3\xA9");
        QCOMPARE(text, QStringLiteral("Error: <b>not markup</b> caf\u00E9"));
        QCOMPARE(caption, QStringLiteral("linewright"));
        QCOMPARE(buttons, 1);
        QVERIFY(plain);
    }

    void shellOpenHandsFilesAndAddressesToTheDesktop_data() {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QUrl>("expected");
        QTest::newRow("home page") << QByteArray("https://www.ferrowick.example/") << "https"
                                   << QUrl("https://www.ferrowick.example/");
        QTest::newRow("plain web address")
            << QByteArray("http://example.org/a b") << "http" << QUrl("http://example.org/a%20b");
        QTest::newRow("absolute file") << QByteArray("/tmp/dir with space/a;b&c.cpp") << "file"
                                       << QUrl::fromLocalFile("/tmp/dir with space/a;b&c.cpp");
        QTest::newRow("shell characters") << QByteArray("/tmp/$(touch x)`y`.c") << "file"
                                          << QUrl::fromLocalFile("/tmp/$(touch x)`y`.c");
        QTest::newRow("relative file")
            << QByteArray("src/main.c") << "file"
            << QUrl::fromLocalFile(QDir::current().absoluteFilePath("src/main.c"));
        QTest::newRow("non-ascii file") << QByteArray("/tmp/caf\xC3\xA9.h") << "file"
                                        << QUrl::fromLocalFile(QStringLiteral("/tmp/caf\u00E9.h"));
    }
    void shellOpenHandsFilesAndAddressesToTheDesktop() {
        QFETCH(QByteArray, target);
        QFETCH(QString, scheme);
        QFETCH(QUrl, expected);
        UrlCatcher catcher;
        for (const char* s : {"file", "http", "https"}) {
            QDesktopServices::setUrlHandler(QString::fromLatin1(s), &catcher, "open");
        }
        lw::shellOpen(nullptr, target.toStdString());
        for (const char* s : {"file", "http", "https"}) {
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(s));
        }
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls.front().scheme(), scheme);
        QCOMPARE(catcher.urls.front(), expected);
    }

    void realFolderBrowserReturnsTheChosenDirectoryOrNothing() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("chosen")));
        const QString chosen = QDir(root.path()).filePath(QStringLiteral("chosen"));

        bool directoriesOnly = false;
        lw::test::whenModalShown([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            directoriesOnly = dialog->fileMode() == QFileDialog::Directory;
            dialog->setDirectory(chosen);
            dialog->selectFile(chosen);
            static_cast<QDialog*>(dialog)->accept();
        });
        const lw::FolderChoice picked = lw::browseForFolder(nullptr);
        QVERIFY(directoriesOnly);
        QVERIFY(picked.outcome == lw::FolderChoice::Outcome::Chosen);
        QCOMPARE(QString::fromStdString(picked.path), chosen);

        lw::test::whenModalShown([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
        QVERIFY(lw::browseForFolder(nullptr).outcome == lw::FolderChoice::Outcome::Cancelled);
    }

    void iconHasEveryShippedSize() {
        const QIcon icon = lw::applicationIcon();
        QVERIFY(!icon.isNull());
        for (int size : {16, 32, 48, 64, 96}) {
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                     qPrintable(QString::number(size)));
        }
        // Crisp at twice the pixel density: the 32-pixel icon has a 64-pixel rendering.
        QCOMPARE(icon.pixmap(QSize(32, 32), 2.0).size(), QSize(64, 64));
    }
};

LW_GUI_TEST_MAIN(PlatformWidgetsTest)
#include "platform_widgets_test.moc"

#include <sys/stat.h>
#include <unistd.h>

#include <QCursor>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <fstream>
#include <system_error>

#include "count/count_run.h"
#include "platform/qt/text.h"
#include "tests/support/gui_test_support.h"
#include "tests/ui/dialog_test_helpers.h"
#include "ui/cdialog_main.h"

using namespace lw;
using lw::test::runModal;
using lw::test::storedExtensions;

namespace {

// Notes the cursor that the window shows while each row is appended.
class ProbedDialog : public CdialogMain {
  public:
    using CdialogMain::CdialogMain;
    using CdialogMain::ExchangeData;

    int appendRow(int index, const std::string& text) override {
        const QCursor* cursor = QApplication::overrideCursor();
        cursorsWhileAppending.push_back(cursor != nullptr ? cursor->shape() : Qt::ArrowCursor);
        return CdialogMain::appendRow(index, text);
    }

    std::vector<Qt::CursorShape> cursorsWhileAppending;
};

QLineEdit* extensionsEdit(const CdialogMain& d) {
    return d.native().item<QLineEdit>(IDC_EXTENSIONS);
}
QString statusText(const CdialogMain& d) {
    return QString::fromStdString(d.GetDlgItemText(IDC_STATUS));
}
QPushButton* button(const CdialogMain& d, int id) {
    return d.native().item<QPushButton>(id);
}

void writeFile(const QString& path, const char* text) {
    std::ofstream(toBytes(path), std::ios::binary) << text;
}

QSet<QString> rowPaths(const CdialogMain& d) {
    QSet<QString> paths;
    for (int r = 0; r < d.m_fileList->rowCount(); ++r) {
        paths.insert(QString::fromStdString(d.m_fileList->cellText(r, 0)));
    }
    return paths;
}

void saveScreenshotIfAsked(QWidget& window) {
    const QByteArray path = qgetenv("LINEWRIGHT_SCREENSHOT");
    if (!path.isEmpty()) {
        QVERIFY(window.grab().save(QString::fromLocal8Bit(path)));
    }
}

// A tree with two countable files, a name that cannot be opened and a directory the run must not
// descend into.
struct SourceTree {
    SourceTree() {
        writeFile(dir.filePath("a.c"), "int a;\nint b;\n");
        writeFile(dir.filePath("b.c"), "// FIXME: x\n{\n}\n\nint c;\n");
        writeFile(dir.filePath("notes.txt"), "int ignored;\n");
        QDir(dir.path()).mkdir("sub");
        writeFile(dir.filePath("sub/deep.c"), "int deep;\n");
        QFile::link(dir.filePath("nowhere"), dir.filePath("x.c"));
    }
    std::string path() const { return toBytes(dir.path()); }
    QTemporaryDir dir;
};

}  // namespace

class CdialogMainTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { Profile::SetCompanyKey("Ferrowick"); }
    void init() { test::forgetProfile(); }
    void cleanup() {
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // The Qt window's own side of the first start; what both backends show is tested in
    // window_behaviour_test.cpp.
    void firstStartWindowHasItsTitleFrameAndColumns() {
        CdialogMain dialog;
        const int result = runModal(dialog, [&] {
            QCOMPARE(dialog.native().windowTitle(), QString("Linewright"));
            QCOMPARE(test::fileListView(dialog)->model().columnCount(), 5);
            QCOMPARE(test::fileListView(dialog)->header()->sectionSize(0), 358);
            QVERIFY(!button(dialog, res::IDCANCEL)->isVisible());
            QVERIFY(dialog.native().windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
            QCOMPARE(dialog.native().size(), dialog.native().minimumSize());
            QTest::keyClick(dialog.native().focusWidget(), Qt::Key_Escape);
        });
        QCOMPARE(result, res::IDCANCEL);
    }

    void startsFromStoredText_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("corruptFile");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty stays empty") << QByteArray("") << false << QString("");
        QTest::newRow("own patterns") << QByteArray("*.rs;*.go") << false << QString("*.rs;*.go");
        QTest::newRow("corrupt file gives default")
            << QByteArray() << true << QString(kDefaultExtensions);
    }
    void startsFromStoredText() {
        QFETCH(QByteArray, stored);
        QFETCH(bool, corruptFile);
        QFETCH(QString, shown);
        if (corruptFile) {
            const QString file = test::rawProfile().fileName();
            QDir().mkpath(QFileInfo(file).path());
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(QByteArray("\xff\xfe[[Sett\x00ings\n\x01=\x02\n[", 19));
            out.close();
        } else {
            Profile::WriteString("Settings", "Extensions", stored.toStdString());
        }
        CdialogMain dialog;
        QString seen;
        runModal(dialog, [&] {
            seen = extensionsEdit(dialog)->text();
            dialog.native().close();
        });
        QCOMPARE(seen, shown);
    }

    // What is saved depends on how the window is left: Exit copies the edit first, every way of
    // cancelling keeps the text of the last Count press.
    void savedTextDependsOnHowTheWindowIsLeft_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("saved");
        QTest::newRow("Exit button") << "exit" << res::IDOK << "*.edited";
        QTest::newRow("Esc") << "esc" << res::IDCANCEL << "*.old";
        QTest::newRow("close box") << "close" << res::IDCANCEL << "*.old";
        QTest::newRow("system Close") << "sysclose" << res::IDCANCEL << "*.old";
        QTest::newRow("Count, edit, Esc") << "count-esc" << res::IDCANCEL << "*.counted";
    }
    void savedTextDependsOnHowTheWindowIsLeft() {
        QFETCH(QString, way);
        QFETCH(int, result);
        QFETCH(QString, saved);
        Profile::WriteString("Settings", "Extensions", "*.old");
        test::MessageRecorder recorder;
        CdialogMain dialog;
        const int got = runModal(dialog, [&] {
            QLineEdit* edit = extensionsEdit(dialog);
            auto type = [edit](const char* text) {
                edit->selectAll();
                QTest::keyClicks(edit, text);
            };
            if (way == "count-esc") {
                type("*.counted");
                QTest::mouseClick(button(dialog, IDC_COUNT), Qt::LeftButton);
            }
            type("*.edited");
            if (way == "exit") {
                QTest::mouseClick(button(dialog, res::IDOK), Qt::LeftButton);
            } else if (way == "esc" || way == "count-esc") {
                QTest::keyClick(edit, Qt::Key_Escape);
            } else if (way == "close") {
                dialog.native().close();
            } else {
                dialog.OnSysCommand(0xF060, 0);
            }
        });
        QCOMPARE(got, result);
        QCOMPARE(QString::fromStdString(storedExtensions()), saved);
    }

    // The directory check comes first, so an empty pattern with no directories still asks for
    // directories; neither refusal touches rows, totals, status line or the Count button.
    void countRefusesWithoutDirectoriesOrPatterns_data() {
        QTest::addColumn<bool>("withDirectory");
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<QString>("message");
        QTest::newRow("no directory") << false << "*.c" << kNoDirectoriesMessage;
        QTest::newRow("no directory, no pattern") << false << "" << kNoDirectoriesMessage;
        QTest::newRow("empty pattern") << true << "" << kNoExtensionsMessage;
        QTest::newRow("only separators") << true << ";;;" << kNoExtensionsMessage;
    }
    void countRefusesWithoutDirectoriesOrPatterns() {
        QFETCH(bool, withDirectory);
        QFETCH(QString, patterns);
        QFETCH(QString, message);
        test::MessageRecorder recorder;
        CdialogMain dialog;
        runModal(dialog, [&] {
            if (withDirectory) {
                dialog.m_directoryList->append("/nonexistent-dir");
            }
            dialog.appendRow(0, "kept.c");
            dialog.m_totals.files = 7;
            dialog.m_status = "earlier";
            dialog.showResults();
            dialog.SetDlgItemText(IDC_EXTENSIONS, patterns.toStdString());
            QTest::mouseClick(button(dialog, IDC_COUNT), Qt::LeftButton);
            dialog.native().close();
        });
        QCOMPARE(recorder.messages, std::vector<std::string>{message.toStdString()});
        QCOMPARE(dialog.m_fileList->rowCount(), 1);
        QCOMPARE(dialog.m_totals.files, 7);
        QCOMPARE(statusText(dialog), QString("earlier"));
        QVERIFY(button(dialog, IDC_COUNT)->isEnabled());
    }

    void countRunFillsTheWindow() {
        SourceTree tree;
        test::MessageRecorder recorder;
        ProbedDialog dialog;
        std::vector<Qt::CursorShape> cursorsInMessages;
        recorder.messages.clear();
        MessageBoxSeam::setRecorder([&](const std::string& text) {
            recorder.messages.push_back(text);
            const QCursor* cursor = QApplication::overrideCursor();
            cursorsInMessages.push_back(cursor != nullptr ? cursor->shape() : Qt::ArrowCursor);
        });
        runModal(dialog, [&] {
            dialog.m_directoryList->append(tree.path());
            dialog.m_directoryList->append(tree.path() + "/missing");
            dialog.SetDlgItemText(IDC_EXTENSIONS, "*.c");
            QTest::mouseClick(button(dialog, IDC_COUNT), Qt::LeftButton);
            saveScreenshotIfAsked(dialog.native());
            dialog.native().close();
        });
        QCOMPARE(rowPaths(dialog), (QSet<QString>{"a.c", "b.c"}));
        for (int r = 0; r < dialog.m_fileList->rowCount(); ++r) {
            QCOMPARE(test::fileListView(dialog)->tag(r), std::intptr_t{r});
        }
        const int b = dialog.m_fileList->cellText(0, 0) == "b.c" ? 0 : 1;
        QCOMPARE(dialog.m_fileList->cellText(b, 1), std::string("1"));
        QCOMPARE(dialog.m_fileList->cellText(b, 4), std::string("2"));
        QCOMPARE(dialog.m_totals.files, 3);
        QCOMPARE(dialog.m_totals.fixmes, 1);
        QCOMPARE(dialog.m_totals.total, 4);
        QCOMPARE(statusText(dialog), QString::fromStdString(lw::statusLineText(dialog.m_totals)));
        QVERIFY(statusText(dialog).startsWith("Files: 3 FIXMEs: 1 "));
        QVERIFY(button(dialog, IDC_COUNT)->isEnabled());
        QCOMPARE(test::directoryListBox(dialog)->currentRow(), 1);
        // The message says why: here the link leads nowhere.
        QCOMPARE(recorder.messages,
                 std::vector<std::string>{kFailedToOpenPrefix + tree.path() + "/x.c\n\n" +
                                          std::system_category().message(ENOENT)});
        QCOMPARE(dialog.cursorsWhileAppending, std::vector<Qt::CursorShape>(2, Qt::WaitCursor));
        QCOMPARE(cursorsInMessages, std::vector<Qt::CursorShape>{Qt::ArrowCursor});
    }

    // The real box: the run waits under it with Count disabled, then goes on.
    void failedOpenWaitsForTheRealMessageBox() {
        SourceTree tree;
        CdialogMain dialog;
        QString boxText;
        bool countEnabledUnderBox = true;
        runModal(dialog, [&] {
            dialog.m_directoryList->append(tree.path());
            extensionsEdit(dialog)->setText("x.c;a.c");
            test::whenOtherModalShown(&dialog.native(), [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                QVERIFY(box != nullptr);
                boxText = box->text();
                countEnabledUnderBox = button(dialog, IDC_COUNT)->isEnabled();
                QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            });
            QTest::mouseClick(button(dialog, IDC_COUNT), Qt::LeftButton);
            dialog.native().close();
        });
        QCOMPARE(boxText, QString::fromStdString("Failed to open:\n\n" + tree.path() + "/x.c\n\n" +
                                                 std::system_category().message(ENOENT)));
        QVERIFY(!countEnabledUnderBox);
        QCOMPARE(rowPaths(dialog), QSet<QString>{"a.c"});
        QCOMPARE(dialog.m_totals.files, 2);
        QVERIFY(button(dialog, IDC_COUNT)->isEnabled());
    }

    void keyInEmptyFileListShowsZeroTotals() {
        CdialogMain dialog;
        QString status;
        runModal(dialog, [&] {
            test::fileListView(dialog)->setFocus();
            QTest::keyClick(test::fileListView(dialog), Qt::Key_Space);
            status = statusText(dialog);
            dialog.native().close();
        });
        QCOMPARE(status, QString("Files: 0 FIXMEs: 0 Code: 0 Comments: 0 Total: 0"));
    }

    void systemCommandsOpenAboutOnlyForItsIds_data() {
        QTest::addColumn<unsigned>("id");
        QTest::addColumn<bool>("opensAbout");
        for (unsigned id : {16u, 17u, 24u, 31u}) {
            QTest::addRow("%u", id) << id << true;
        }
        for (unsigned id : {0u, 15u, 32u, 48u, 0xF010u, 0xF100u, 0xF180u}) {
            QTest::addRow("%u", id) << id << false;
        }
    }
    void systemCommandsOpenAboutOnlyForItsIds() {
        QFETCH(unsigned, id);
        QFETCH(bool, opensAbout);
        int opened = 0;
        CdialogMain dialog(nullptr, [&](ModalDialog* owner) {
            QCOMPARE(owner, &dialog);
            ++opened;
        });
        dialog.OnSysCommand(id, 0);
        QCOMPARE(opened, opensAbout ? 1 : 0);
    }

    void minimiseAndRestoreKeepTheirEffect() {
        CdialogMain dialog;
        bool minimised = false;
        bool restored = false;
        const int result = runModal(dialog, [&] {
            dialog.OnSysCommand(0xF020, 0);
            minimised = dialog.native().isMinimized();
            dialog.OnSysCommand(0xF122, 0);
            restored = !dialog.native().isMinimized();
            QTest::keyClick(&dialog.native(), Qt::Key_Escape);
        });
        QVERIFY(minimised);
        QVERIFY(restored);
        QCOMPARE(result, res::IDCANCEL);
    }

    // Without a system menu of our own, F1 and the background's context menu carry the item.
    void f1AndBackgroundMenuOpenAbout() {
        int opened = 0;
        QString menuText;
        CdialogMain dialog(nullptr, [&](ModalDialog*) { ++opened; });
        runModal(dialog, [&] {
            QTest::keyClick(dialog.native().focusWidget(), Qt::Key_F1);
            QTest::keyClick(extensionsEdit(dialog), Qt::Key_F1);
            test::whenPopupShown([&](QMenu* menu) {
                menuText = menu->actions().value(0)->text();
                menu->setActiveAction(menu->actions().value(0));
                QTest::keyClick(menu, Qt::Key_Return);
            });
            const QPoint background(dialog.native().width() / 2, 2);
            QVERIFY(dialog.native().childAt(background) == nullptr);
            QContextMenuEvent event(QContextMenuEvent::Mouse, background,
                                    dialog.native().mapToGlobal(background));
            QApplication::sendEvent(&dialog.native(), &event);
            dialog.native().close();
        });
        QCOMPARE(menuText, QString("&About Linewright..."));
        QCOMPARE(opened, 3);
    }
};

LW_GUI_TEST_MAIN(CdialogMainTest)
#include "cdialog_main_test.moc"

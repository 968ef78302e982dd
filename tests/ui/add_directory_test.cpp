// The Add Directory dialog and the directory list, driven through their real modal runs.

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "platform/folder_browser.h"
#include "platform/profile.h"
#include "res/dialog_template.h"
#include "tests/support/forwarding_file_system.h"
#include "tests/support/gui_test_support.h"
#include "tests/ui/dialog_test_helpers.h"
#include "ui/cdialog_add_dir.h"
#include "ui/cdialog_main.h"

using namespace lw;
using lw::test::withMainDialog;

namespace {

std::vector<std::string> entries(const CdialogMain& dialog) {
    std::vector<std::string> result;
    for (int i = 0; i < dialog.m_directoryList->entryCount(); ++i) {
        result.push_back(dialog.m_directoryList->entryText(i));
    }
    return result;
}

// Arms `act` for the next Add Directory dialog; a dialog that `act` leaves open is cancelled, so a
// failed check never leaves a modal run waiting.
void whenAddDialogShown(std::function<void(CdialogAddDir&)> act) {
    test::whenModalShown([act = std::move(act)](QWidget*) {
        auto* dialog = test::runningDialog<CdialogAddDir>();
        QVERIFY2(dialog != nullptr, "the Add Directory dialog is not the modal window");
        struct CancelIfOpen {
            CdialogAddDir* dialog;
            ~CancelIfOpen() {
                if (dialog->native().isVisible()) {
                    dialog->EndDialog(res::IDCANCEL);
                }
            }
        } guard{dialog};
        act(*dialog);
    });
}

QLineEdit* directoryEdit(CdialogAddDir& dialog) {
    return dialog.native().item<QLineEdit>(IDC_DIRECTORY);
}
QAbstractButton* recurseBox(CdialogAddDir& dialog) {
    return dialog.native().item<QAbstractButton>(IDC_RECURSE);
}
void click(CdialogAddDir& dialog, int id) {
    QTest::mouseClick(dialog.native().item<QAbstractButton>(id), Qt::LeftButton);
}

void type(CdialogAddDir& dialog, const QString& text) {
    directoryEdit(dialog)->clear();
    // Key clicks can only type ASCII; other text goes in as if pasted.
    const bool ascii =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        QTest::keyClicks(directoryEdit(dialog), text);
    } else {
        directoryEdit(dialog)->insert(text);
    }
}

// Adds one directory through the dialog: types `text`, sets the check box, presses "Add".
void addThroughDialog(CdialogMain& main, const QString& text, bool recurse) {
    whenAddDialogShown([&](CdialogAddDir& dialog) {
        type(dialog, text);
        recurseBox(dialog)->setChecked(recurse);
        click(dialog, res::IDOK);
    });
    main.AddDirectory();
}

std::string storedDirectory() {
    return Profile::GetString("Settings", "LastDirectory", "<absent>");
}
int storedRecurse() {
    return Profile::GetInt("Settings", "Recurse", -100);
}

void makeDirs(const QTemporaryDir& root, const QStringList& relativePaths) {
    for (const QString& path : relativePaths) {
        QVERIFY(QDir(root.path()).mkpath(path));
    }
}

}  // namespace

class AddDirectoryTest : public QObject {
    Q_OBJECT

  private slots:
    // Must run first: it needs a profile that has never been written.
    void firstOpenShowsEmptyTextAndRecurseTicked() {
        withMainDialog([](CdialogMain& main) {
            QString shownText = "<not shown>";
            bool shownRecurse = false;
            whenAddDialogShown([&](CdialogAddDir& dialog) {
                shownText = directoryEdit(dialog)->text();
                shownRecurse = recurseBox(dialog)->isChecked();
                click(dialog, res::IDCANCEL);
            });
            main.AddDirectory();
            QCOMPARE(shownText, QString());
            QVERIFY(shownRecurse);
            QVERIFY(entries(main).empty());
        });
        // Cancel still stores what was read at opening, so the values now exist.
        QCOMPARE(storedDirectory(), std::string());
        QCOMPARE(storedRecurse(), 1);
    }

    void acceptedTextIsAppendedWithoutTrailingSeparators_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("entry");
        QTest::newRow("plain") << "src"
                               << "src";
        QTest::newRow("one trailing") << "/tmp/project/"
                                      << "/tmp/project";
        QTest::newRow("several trailing") << "a/b///"
                                          << "a/b";
        QTest::newRow("separators alone") << "///"
                                          << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("inner doubled kept") << "a//b/"
                                            << "a//b";
        QTest::newRow("backslash is no separator") << "a\\"
                                                   << "a\\";
        QTest::newRow("non-ASCII kept whole")
            << QString::fromUtf8("d\u00e9j\u00e0/") << QString::fromUtf8("d\u00e9j\u00e0");
    }
    void acceptedTextIsAppendedWithoutTrailingSeparators() {
        QFETCH(QString, typed);
        QFETCH(QString, entry);
        test::MessageRecorder messages;
        withMainDialog([&](CdialogMain& main) {
            addThroughDialog(main, typed, false);
            QCOMPARE(entries(main), std::vector<std::string>{entry.toStdString()});
        });
        QVERIFY(messages.messages.empty());
        QCOMPARE(storedDirectory(), entry.toStdString());
        QCOMPARE(storedRecurse(), 0);
    }

    void duplicatesAndEmptyTextAreAppendedAsTheyAre() {
        withMainDialog([](CdialogMain& main) {
            addThroughDialog(main, "same", false);
            addThroughDialog(main, "same/", false);
            addThroughDialog(main, "", false);
            QCOMPARE(entries(main), (std::vector<std::string>{"same", "same", ""}));
        });
    }

    void recurseAppendsEveryDirectoryDepthFirst() {
        QTemporaryDir root;
        makeDirs(root, {"top/lib/deep", "top/src"});
        QFile file(root.filePath("top/file.c"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const std::string top = QDir(root.filePath("top")).absolutePath().toStdString();

        test::MessageRecorder messages;
        withMainDialog([&](CdialogMain& main) {
            addThroughDialog(main, QString::fromStdString(top) + "//", true);
            QCOMPARE(entries(main), (std::vector<std::string>{top, top + "/lib", top + "/lib/deep",
                                                              top + "/src"}));
        });
        QVERIFY(messages.messages.empty());
        QCOMPARE(storedRecurse(), 1);
    }

    void missingDirectoryIsAppendedAndReportedOnlyWhenWalked_data() {
        QTest::addColumn<bool>("recurse");
        QTest::addColumn<int>("messageCount");
        QTest::newRow("recurse") << true << 1;
        QTest::newRow("no recurse") << false << 0;
    }
    void missingDirectoryIsAppendedAndReportedOnlyWhenWalked() {
        QFETCH(bool, recurse);
        QFETCH(int, messageCount);
        QTemporaryDir root;
        const std::string missing = root.filePath("does-not-exist").toStdString();
        test::MessageRecorder messages;
        withMainDialog([&](CdialogMain& main) {
            addThroughDialog(main, QString::fromStdString(missing), recurse);
            QCOMPARE(entries(main), std::vector<std::string>{missing});
        });
        QCOMPARE(int(messages.messages.size()), messageCount);
        for (const std::string& text : messages.messages) {
            QCOMPARE(text, "Error: Failed to FindNextFile\n\n" + missing + ": " +
                               std::system_category().message(ENOENT));
        }
    }

    // Directories whose search fails, at once or part-way: what was found is listed and walked,
    // the siblings follow, and one message at the end names every failed directory and why.
    void failedSearchesAreListedOnceAtTheEnd() {
        QTemporaryDir root;
        makeDirs(root, {"top/a/one/deep", "top/a/two", "top/b/inner", "top/c"});
        const std::string top = root.filePath("top").toStdString();
        test::FailingSubdirectories fileSystem({top + "/a", top + "/b"}, 1);

        test::MessageRecorder messages;
        withMainDialog([&](CdialogMain& main) {
            main.setFileSystem(fileSystem);
            addThroughDialog(main, QString::fromStdString(top), true);
            QCOMPARE(entries(main),
                     (std::vector<std::string>{top, top + "/a", top + "/a/one", top + "/a/one/deep",
                                               top + "/b", top + "/b/inner", top + "/c"}));
        });
        QCOMPARE(messages.messages, std::vector<std::string>{"Error: Failed to FindNextFile\n\n" +
                                                             top + "/a: Permission denied\n" + top +
                                                             "/b: Permission denied"});
    }

    // A tree that fails everywhere still gives one message, which names twenty directories.
    void manyFailedSearchesGiveOneMessage() {
        QTemporaryDir root;
        QStringList dirs;
        std::set<std::string> failing;
        for (int i = 10; i < 35; ++i) {
            dirs << QString("top/d%1").arg(i);
            failing.insert(root.filePath(QString("top/d%1").arg(i)).toStdString());
        }
        makeDirs(root, dirs);
        test::FailingSubdirectories fileSystem(failing, 0, "Input/output error");

        test::MessageRecorder messages;
        withMainDialog([&](CdialogMain& main) {
            main.setFileSystem(fileSystem);
            addThroughDialog(main, root.filePath("top"), true);
            QCOMPARE(main.m_directoryList->entryCount(), 26);
        });
        QCOMPARE(messages.messages.size(), std::size_t{1});
        const std::string& text = messages.messages[0];
        QVERIFY(text.starts_with("Error: Failed to FindNextFile\n\n" + *failing.begin() +
                                 ": Input/output error\n"));
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), 2 + 20);
        QVERIFY(text.ends_with(": Input/output error\n\xE2\x80\xA6 and 5 more"));
    }

    void cancelStoresWhatWasReadAtOpening_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("storedRecurse");
        QTest::addColumn<bool>("shownTicked");
        QTest::newRow("cleared") << "/stored/dir" << 0 << false;
        QTest::newRow("set") << "rel" << 1 << true;
        QTest::newRow("other non-zero shows ticked") << "" << 5 << true;
    }
    void cancelStoresWhatWasReadAtOpening() {
        QFETCH(QString, stored);
        QFETCH(int, storedRecurse);
        QFETCH(bool, shownTicked);
        Profile::WriteString("Settings", "LastDirectory", stored.toStdString());
        Profile::WriteInt("Settings", "Recurse", storedRecurse);

        withMainDialog([&](CdialogMain& main) {
            bool ticked = !shownTicked;
            QString shown;
            whenAddDialogShown([&](CdialogAddDir& dialog) {
                shown = directoryEdit(dialog)->text();
                ticked = recurseBox(dialog)->isChecked();
                type(dialog, "typed then cancelled");
                recurseBox(dialog)->setChecked(!ticked);
                click(dialog, res::IDCANCEL);
            });
            main.AddDirectory();
            QCOMPARE(shown, stored);
            QCOMPARE(ticked, shownTicked);
            QVERIFY(entries(main).empty());
        });
        QCOMPARE(storedDirectory(), stored.toStdString());
        QCOMPARE(::storedRecurse(), storedRecurse);
    }

    void chosenFolderReplacesTextAndResetsCheckBox() {
        Profile::WriteString("Settings", "LastDirectory", "");
        Profile::WriteInt("Settings", "Recurse", 1);
        FolderBrowserSeam::setAnswerer([] {
            return FolderChoice{FolderChoice::Outcome::Chosen, "/chosen/folder"};
        });
        withMainDialog([&](CdialogMain& main) {
            QString shown;
            bool ticked = false;
            whenAddDialogShown([&](CdialogAddDir& dialog) {
                type(dialog, "typed");
                recurseBox(dialog)->setChecked(false);
                click(dialog, IDC_BROWSE);
                shown = directoryEdit(dialog)->text();
                ticked = recurseBox(dialog)->isChecked();
                click(dialog, res::IDCANCEL);
            });
            main.AddDirectory();
            QCOMPARE(shown, QString("/chosen/folder"));
            QVERIFY(ticked);  // the value read at opening, not the one the user cleared
            QVERIFY(entries(main).empty());
        });
        FolderBrowserSeam::clearAnswerer();
        QCOMPARE(storedDirectory(), std::string("/chosen/folder"));
        QCOMPARE(storedRecurse(), 1);
    }

    // Cancelled, or no folder to be had: either way the dialog keeps what the user typed; only
    // the second says so.
    void browserWithoutAFolderLeavesTheControlsAlone_data() {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancelled") << int(FolderChoice::Outcome::Cancelled) << QString();
        QTest::newRow("no allocator")
            << int(FolderChoice::Outcome::NoAllocator) << QString("Error: Failed to SHGetMalloc");
    }
    void browserWithoutAFolderLeavesTheControlsAlone() {
        QFETCH(int, outcome);
        QFETCH(QString, message);
        Profile::WriteString("Settings", "LastDirectory", "/before");
        Profile::WriteInt("Settings", "Recurse", 1);
        FolderBrowserSeam::setAnswerer([outcome] {
            return FolderChoice{FolderChoice::Outcome(outcome), "/not/this"};
        });
        test::MessageRecorder recorder;
        withMainDialog([&](CdialogMain& main) {
            QString shown;
            bool ticked = true;
            whenAddDialogShown([&](CdialogAddDir& dialog) {
                type(dialog, "typed/");
                recurseBox(dialog)->setChecked(false);
                click(dialog, IDC_BROWSE);
                shown = directoryEdit(dialog)->text();
                ticked = recurseBox(dialog)->isChecked();
                click(dialog, res::IDOK);
            });
            main.AddDirectory();
            QCOMPARE(shown, QString("typed/"));
            QVERIFY(!ticked);
            QCOMPARE(entries(main), std::vector<std::string>{"typed"});
        });
        FolderBrowserSeam::clearAnswerer();
        QCOMPARE(recorder.messages, message.isEmpty()
                                        ? std::vector<std::string>{}
                                        : std::vector<std::string>{message.toStdString()});
        QCOMPARE(storedDirectory(), std::string("typed"));
        QCOMPARE(storedRecurse(), 0);
    }

    void cleanup() {
        FolderBrowserSeam::clearAnswerer();
        QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().cbegin(),
                             QApplication::topLevelWidgets().cend(),
                             [](QWidget* w) { return w->isVisible(); }));
    }
};

LW_GUI_TEST_MAIN(AddDirectoryTest)
#include "add_directory_test.moc"

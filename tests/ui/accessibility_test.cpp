#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QtTest>

#include "app/capp_main.h"
#include "app/cdialog_about.h"
#include "res/dialog_template.h"
#include "tests/support/gui_test_support.h"
#include "tests/ui/dialog_test_helpers.h"
#include "ui/cdialog_add_dir.h"
#include "ui/cdialog_main.h"

using namespace lw;

namespace {

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

// Presses Tab from the dialog's own focus until the focus comes back, and lists the accessible
// name of every control passed, so a control without a name or out of order shows. The dialog's
// focus widget moves with Tab whether or not the window system has activated the window yet.
QStringList tabWalk(QWidget* dialog) {
    QStringList names;
    QWidget* first = dialog->focusWidget();
    if (first == nullptr) {
        return {"<no focus>"};
    }
    QWidget* current = first;
    for (int i = 0; i < 20; ++i) {
        names << accessibleName(current);
        QTest::keyClick(current, Qt::Key_Tab);
        current = dialog->focusWidget();
        if (current == first || current == nullptr) {
            break;
        }
    }
    return names;
}

// The control a mnemonic reaches: Alt+letter on the dialog, then the dialog's focus. Mnemonics
// are shortcuts of the active window, so the caller has waited for the activation.
QString focusAfterAlt(QWidget* dialog, char letter) {
    QTest::keyClick(dialog, Qt::Key(Qt::Key_A + (letter - 'a')), Qt::AltModifier);
    QWidget* focus = dialog->focusWidget();
    return focus != nullptr ? accessibleName(focus) : QString();
}

CdialogMain* runningMainDialog() {
    return test::runningDialog<CdialogMain>();
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
  private slots:
    void mainDialogWorksFromTheKeyboard() {
        QStringList walk;
        QStringList reached;
        QStringList buttonTexts;
        test::MessageRecorder messages;
        test::withMainDialog([&](CdialogMain& dialog) {
            dialog.native().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&dialog.native()));
            walk = tabWalk(&dialog.native());
            for (char letter : {'d', 'e', 'f'}) {
                reached << focusAfterAlt(&dialog.native(), letter);
            }
            for (auto* button : dialog.native().findChildren<QAbstractButton*>()) {
                if (button->isVisible()) {
                    buttonTexts << button->text();
                }
            }
            // Enter anywhere but on another button is Count; with no directory it says so.
            QTest::keyClick(dialog.native().focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(walk, (QStringList{"Add", "Directory List", "Extensions:", "File List", "Count",
                                    "Exit"}));
        QCOMPARE(reached, (QStringList{"Directory List", "Extensions:", "File List"}));
        buttonTexts.sort();
        QCOMPARE(buttonTexts, (QStringList{"&Add", "&Count", "E&xit"}));
        QCOMPARE(messages.messages.size(), std::size_t{1});
    }

    void exitMnemonicEndsTheDialog() {
        CdialogMain dialog;
        const int result = test::runModal(dialog, [&] {
            dialog.native().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&dialog.native()));
            QTest::keyClick(&dialog.native(), Qt::Key_X, Qt::AltModifier);
        });
        QCOMPARE(result, res::IDOK);
    }

    void f1OffersTheAboutBoxAndItsControlsHaveNames() {
        QString title;
        QStringList walk;
        test::whenModalShown([&](QWidget*) {
            CdialogMain* main = runningMainDialog();
            QVERIFY(main != nullptr);
            test::whenOtherModalShown(&main->native(), [&](QWidget* about) {
                title = about->windowTitle();
                walk = tabWalk(about);
                QTest::keyClick(about, Qt::Key_Escape);
            });
            QTest::keyClick(&main->native(), Qt::Key_F1);
            QTest::keyClick(&main->native(), Qt::Key_Escape);
        });
        CappMain app;
        QCOMPARE(app.InitInstance(), false);
        QCOMPARE(title, QString("About Linewright"));
        walk.sort();
        QCOMPARE(walk, (QStringList{"OK", "https://www.ferrowick.example/"}));
    }

    void addDirectoryDialogControlsHaveNamesInTabOrder() {
        CdialogAddDir dialog;
        QStringList walk;
        test::runModal(dialog, [&] {
            walk = tabWalk(&dialog.native());
            dialog.EndDialog(res::IDCANCEL);
        });
        // The walk starts wherever the dialog put the focus; the cycle is what counts.
        const qsizetype start = walk.indexOf("Add");
        QVERIFY(start >= 0);
        walk = walk.mid(start) + walk.mid(0, start);
        QCOMPARE(walk, (QStringList{"Add", "Cancel", "Directory",
                                    "Recurse subdirectories (this may take some time)", "..."}));
    }
};

LW_GUI_TEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"

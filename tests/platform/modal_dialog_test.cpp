#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <string>
#include <vector>

#include "platform/qt/directory_list_box.h"
#include "platform/qt/file_list_view.h"
#include "platform/qt/modal_dialog.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/logging_dialog.h"

using lw::ModalDialog;
namespace res = lw::res;

namespace {

using lw::test::LoggingDialog;

bool takesTabFocus(const QWidget* widget) {
    return widget->isVisibleTo(widget->window()) && widget->isEnabled() &&
           (widget->focusPolicy() & Qt::TabFocus) != 0;
}

using Log = std::vector<std::string>;

}  // namespace

class ModalDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        QVERIFY(QApplication::topLevelWidgets().isEmpty() || !QApplication::activeModalWidget());
    }

    void dialogUnitsConvertLikeTheWindowSystem_data() {
        QTest::addColumn<QRect>("units");
        QTest::addColumn<QSize>("base");
        QTest::addColumn<QRect>("pixels");
        // Edges convert each on its own and round to the nearest pixel.
        QTest::newRow("origin") << QRect(0, 0, 4, 8) << QSize(6, 13) << QRect(0, 0, 6, 13);
        QTest::newRow("add button")
            << QRect(408, 6, 24, 12) << QSize(6, 13) << QRect(612, 10, 36, 19);
        QTest::newRow("halves round up") << QRect(2, 4, 2, 4) << QSize(5, 13) << QRect(3, 7, 2, 6);
        QTest::newRow("main dialog")
            << QRect(0, 0, 436, 294) << QSize(7, 16) << QRect(0, 0, 763, 588);
    }
    void dialogUnitsConvertLikeTheWindowSystem() {
        QFETCH(QRect, units);
        QFETCH(QSize, base);
        QFETCH(QRect, pixels);
        QCOMPARE(lw::dialogUnitsToPixels(units, base), pixels);
    }

    void baseUnitsComeFromTheDialogFont() {
        QFont font = QApplication::font();
        font.setPointSize(8);
        const QSize small = lw::dialogBaseUnits(font);
        QVERIFY(small.width() > 0 && small.height() > 0);
        font.setPointSize(16);
        const QSize large = lw::dialogBaseUnits(font);
        QVERIFY(large.width() > small.width());
        QVERIFY(large.height() > small.height());
    }

    void controlsSitWhereTheTemplateSays_data() {
        QTest::addColumn<int>("templateId");
        QTest::newRow("main") << res::IDD_MAIN;
        QTest::newRow("add directory") << res::IDD_ADD_DIRECTORY;
        QTest::newRow("about") << res::IDD_ABOUT;
    }
    void controlsSitWhereTheTemplateSays() {
        QFETCH(int, templateId);
        ModalDialog dialog(templateId);
        const res::DialogTemplate& tpl = res::dialogTemplate(templateId);
        QCOMPARE(dialog.native().windowTitle(), QString::fromUtf8(tpl.caption));
        const QSize base = dialog.native().baseUnits();
        QCOMPARE(base, lw::dialogBaseUnits(dialog.native().font()));
        QCOMPARE(dialog.native().font().pointSize(), 8);

        const QSize size = lw::dialogUnitsToPixels(QRect(0, 0, tpl.width, tpl.height), base).size();
        // The template's size is where the window starts and the least it shrinks to.
        QCOMPARE(dialog.native().minimumSize(), size);
        QCOMPARE(dialog.native().size(), size);
        QCOMPARE(dialog.native().maximumSize().height() == size.height(),
                 tpl.sizing != res::Sizing::Both);
        QCOMPARE(dialog.native().maximumSize().width() == size.width(),
                 tpl.sizing == res::Sizing::Fixed);

        const auto& controls = dialog.native().controlsInTemplateOrder();
        QCOMPARE(controls.size(), tpl.controls.size());
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const res::ControlTemplate& control = tpl.controls[i];
            const QRect expected = lw::dialogUnitsToPixels(
                QRect(control.x, control.y, control.width, control.height), base);
            QCOMPARE(controls[i]->geometry(), expected);
            QCOMPARE(controls[i]->parentWidget(), &dialog.native());
            if (control.id == res::IDC_STATIC) {
                QVERIFY(dialog.native().control(control.id) == nullptr);
            } else {
                QCOMPARE(dialog.native().control(control.id), controls[i]);
                QCOMPARE(controls[i]->objectName(), QStringLiteral("control%1").arg(control.id));
            }
        }
        QVERIFY(dialog.native().control(4242) == nullptr);
    }

    void controlsHaveTheirClasses() {
        ModalDialog main(res::IDD_MAIN);
        QVERIFY(main.native().item<lw::DirectoryListBox>(1003));
        QVERIFY(main.native().item<QLineEdit>(1004));
        QVERIFY(main.native().item<lw::FileListView>(1005));
        QCOMPARE(main.native().item<QPushButton>(1006)->text(), QStringLiteral("&Add"));
        auto* status = main.native().item<QLabel>(1008);
        QVERIFY(status);
        QVERIFY(status->alignment() & Qt::AlignHCenter);
        QCOMPARE(status->frameShadow(), QFrame::Sunken);

        ModalDialog add(res::IDD_ADD_DIRECTORY);
        auto* recurse = add.native().item<QCheckBox>(1001);
        QVERIFY(recurse);
        QCOMPARE(recurse->text(),
                 QStringLiteral("Recurse subdirectories (this may take some time)"));

        ModalDialog about(res::IDD_ABOUT);
        auto* icon = qobject_cast<QLabel*>(about.native().controlsInTemplateOrder().front());
        QVERIFY(icon);
        QVERIFY(!icon->pixmap().isNull());
        auto* version = qobject_cast<QLabel*>(about.native().controlsInTemplateOrder()[1]);
        QCOMPARE(version->text(), QStringLiteral("Linewright Version 1.0"));
        QCOMPARE(about.native().item<QPushButton>(1009)->text(),
                 QStringLiteral("https://www.ferrowick.example/"));
    }

    void tabOrderIsTemplateOrder_data() { controlsSitWhereTheTemplateSays_data(); }
    void tabOrderIsTemplateOrder() {
        QFETCH(int, templateId);
        ModalDialog dialog(templateId);
        const res::DialogTemplate& tpl = res::dialogTemplate(templateId);
        std::vector<QWidget*> expected;
        for (std::size_t i = 0; i < tpl.controls.size(); ++i) {
            const res::ControlTemplate& control = tpl.controls[i];
            if ((control.style & res::kTabStop) && !(control.style & res::kHidden)) {
                expected.push_back(dialog.native().controlsInTemplateOrder()[i]);
            }
        }
        QVERIFY(!expected.empty());
        std::vector<QWidget*> chain{expected.front()};
        for (QWidget* w = expected.front()->nextInFocusChain(); w != expected.front();
             w = w->nextInFocusChain()) {
            if (takesTabFocus(w) &&
                std::find(expected.begin(), expected.end(), w) != expected.end()) {
                chain.push_back(w);
            } else if (takesTabFocus(w) && w->parentWidget() == &dialog.native()) {
                QFAIL(qPrintable("unexpected tab stop " + w->objectName()));
            }
        }
        QCOMPARE(chain, expected);
    }

    void labelMnemonicsGoToTheNextControl() {
        ModalDialog dialog(res::IDD_MAIN);
        const auto& controls = dialog.native().controlsInTemplateOrder();
        QCOMPARE(qobject_cast<QLabel*>(controls[1])->buddy(), dialog.native().control(1003));
        QCOMPARE(qobject_cast<QLabel*>(controls[3])->buddy(), dialog.native().control(1004));
        QCOMPARE(qobject_cast<QLabel*>(controls[5])->buddy(), dialog.native().control(1005));
        QCOMPARE(dialog.native().control(1004)->accessibleName(), QStringLiteral("Extensions:"));
        QCOMPARE(dialog.native().control(1006)->accessibleName(), QStringLiteral("Add"));

        // Mnemonics are shortcuts of the active window: wait until the window system says so.
        dialog.native().show();
        dialog.native().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog.native()));
        QTest::keyClick(&dialog.native(), Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(dialog.native().focusWidget(), dialog.native().control(1004));
        QTest::keyClick(&dialog.native(), Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(dialog.native().focusWidget(), dialog.native().control(1005));
        dialog.native().hide();

        ModalDialog about(res::IDD_ABOUT);
        // The version line shows its text literally and hands no mnemonic on.
        QVERIFY(qobject_cast<QLabel*>(about.native().controlsInTemplateOrder()[1])->buddy() ==
                nullptr);
    }

    void defaultAndHiddenButtons() {
        ModalDialog main(res::IDD_MAIN);
        QVERIFY(main.native().item<QPushButton>(1007)->isDefault());
        for (int id : {1006, res::IDOK, res::IDCANCEL}) {
            QVERIFY(!main.native().item<QPushButton>(id)->isDefault());
        }
        main.native().show();
        QVERIFY(QTest::qWaitForWindowExposed(&main.native()));
        QVERIFY(!main.native().control(res::IDCANCEL)->isVisible());
        QVERIFY(main.native().control(res::IDOK)->isVisible());
        main.native().hide();
        QVERIFY(
            ModalDialog(res::IDD_ADD_DIRECTORY).native().item<QPushButton>(res::IDOK)->isDefault());
        QVERIFY(ModalDialog(res::IDD_ABOUT).native().item<QPushButton>(res::IDOK)->isDefault());
    }

    void windowDecorations_data() {
        QTest::addColumn<int>("templateId");
        QTest::addColumn<bool>("minimize");
        QTest::addColumn<bool>("maximize");
        QTest::newRow("main") << res::IDD_MAIN << true << true;
        QTest::newRow("add directory") << res::IDD_ADD_DIRECTORY << false << false;
        QTest::newRow("about") << res::IDD_ABOUT << false << false;
    }
    void windowDecorations() {
        QFETCH(int, templateId);
        QFETCH(bool, minimize);
        QFETCH(bool, maximize);
        ModalDialog dialog(templateId);
        const Qt::WindowFlags flags = dialog.native().windowFlags();
        QVERIFY(flags & Qt::WindowTitleHint);
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QCOMPARE(bool(flags & Qt::WindowMinimizeButtonHint), minimize);
        QCOMPARE(bool(flags & Qt::WindowMaximizeButtonHint), maximize);
        QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
    }

    // What a caller of accept() gets, as Enter's click does: the confirm step with its data
    // exchange. The ways a user ends a dialog are tested on both backends by
    // tests/ui/window_behaviour_test.cpp.
    void acceptRunsTheConfirmStep() {
        LoggingDialog dialog(res::IDD_ADD_DIRECTORY);
        lw::test::whenModalShown([&](QWidget*) { dialog.native().accept(); });
        QCOMPARE(dialog.DoModal(), 1);
        QCOMPARE(dialog.log,
                 (Log{"init", "exchange to controls", "ok", "exchange from controls", "destroy"}));
        QVERIFY(!dialog.native().isVisible());
    }

    void unknownTemplateThrows() {
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, res::dialogTemplate(4711));
        QCOMPARE(std::string(res::loadString(res::IDS_ABOUT)), std::string("&About Linewright..."));
        QCOMPARE(std::string(res::loadString(4711)), std::string());
    }
};

LW_GUI_TEST_MAIN(ModalDialogTest)
#include "modal_dialog_test.moc"

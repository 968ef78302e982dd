#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

#include "app/capp_main.h"
#include "app/cdialog_about.h"
#include "tests/support/gui_test_support.h"
#include "tests/ui/dialog_test_helpers.h"
#include "ui/cdialog_main.h"

using namespace lw;
using lw::test::runModal;

namespace {

// Stands in for the desktop's browser, so the real shell-open path runs without leaving the test.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened.append(url); }
};

QStringList labelTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        texts.append(label->text());
    }
    return texts;
}

// The year and holder that LICENSE gives the rights to, as the About box shows them.
QString licenseRightsLine() {
    QFile license(QStringLiteral(LINEWRIGHT_SOURCE_DIR "/LICENSE"));
    if (!license.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return "<no LICENSE>";
    }
    while (!license.atEnd()) {
        const QString line = QString::fromUtf8(license.readLine()).trimmed();
        if (line.startsWith("Copyright (c) ")) {
            return QChar(0x00A9) + QStringLiteral(" ") + line.mid(14);
        }
    }
    return "<no rights line>";
}

CdialogMain* runningMainDialog() {
    return test::runningDialog<CdialogMain>();
}

}  // namespace

class AppTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        test::forgetProfile();
        QDesktopServices::setUrlHandler("https", &urls_, "open");
        urls_.opened.clear();
    }
    void cleanup() {
        QDesktopServices::unsetUrlHandler("https");
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            QVERIFY2(!window->isVisible(), qPrintable(window->windowTitle()));
        }
    }

    void aboutBoxShowsItselfAndOpensTheHomePageWithoutClosing() {
        CdialogAbout about;
        bool stillOpen = false;
        const int result = runModal(about, [&] {
            QCOMPARE(about.native().windowTitle(), QString("About Linewright"));
            QVERIFY(labelTexts(about.native()).contains("Linewright Version 1.0"));
            QVERIFY(labelTexts(about.native()).contains(licenseRightsLine()));
            // Every line of text fits its label: nothing is cut off.
            for (const QLabel* label : about.native().findChildren<QLabel*>()) {
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <=
                             label->contentsRect().width(),
                         qPrintable(label->text()));
            }
            QCOMPARE(about.native().focusWidget(), about.native().control(res::IDOK));
            auto* link = about.native().item<QPushButton>(IDC_HOME_PAGE);
            QVERIFY(link != nullptr);
            QCOMPARE(link->text(), QString(kHomePage));
            QTest::mouseClick(link, Qt::LeftButton);
            stillOpen = about.native().isVisible();
            QTest::mouseClick(about.native().item<QPushButton>(res::IDOK), Qt::LeftButton);
        });
        QCOMPARE(result, res::IDOK);
        QVERIFY(stillOpen);
        QCOMPARE(urls_.opened, QList<QUrl>{QUrl(kHomePage)});
    }

    void aboutBoxEndsWithEscape() {
        CdialogAbout about;
        QCOMPARE(runModal(about, [&] { QTest::keyClick(&about.native(), Qt::Key_Escape); }),
                 res::IDCANCEL);
    }

    // However the main dialog ends, the start-up returns false and leaves no window behind.
    void startUpRunsTheMainDialogUntilItCloses_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("Exit") << "exit";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close box") << "close";
        QTest::newRow("system Close") << "sysclose";
    }
    void startUpRunsTheMainDialogUntilItCloses() {
        QFETCH(QString, way);
        QString title;
        test::whenModalShown([&](QWidget*) {
            CdialogMain* main = runningMainDialog();
            QVERIFY(main != nullptr);
            title = main->native().windowTitle();
            if (way == "exit") {
                QTest::mouseClick(main->native().item<QPushButton>(res::IDOK), Qt::LeftButton);
            } else if (way == "esc") {
                QTest::keyClick(&main->native(), Qt::Key_Escape);
            } else if (way == "close") {
                main->native().close();
            } else {
                main->OnSysCommand(0xF063, 0);
            }
        });
        CappMain app;
        QCOMPARE(app.InitInstance(), false);
        QCOMPARE(title, QString("Linewright"));
        // The dialog's settings land below the company key the start-up named.
        QSettings settings = test::rawProfile();
        QCOMPARE(settings.value("Settings/Extensions").toString(), QString(kDefaultExtensions));
    }

    void systemMenuItemOpensTheAboutBoxOverTheMainDialog() {
        QString aboutTitle;
        bool mainBlocked = false;
        test::whenModalShown([&](QWidget*) {
            CdialogMain* main = runningMainDialog();
            QVERIFY(main != nullptr);
            test::whenOtherModalShown(&main->native(), [&](QWidget* about) {
                aboutTitle = about->windowTitle();
                mainBlocked = QApplication::activeModalWidget() != &main->native();
                QTest::keyClick(about, Qt::Key_Escape);
            });
            main->OnSysCommand(IDM_ABOUTBOX, 0);
            QTest::keyClick(&main->native(), Qt::Key_Escape);
        });
        CappMain app;
        QCOMPARE(app.InitInstance(), false);
        QCOMPARE(aboutTitle, QString("About Linewright"));
        QVERIFY(mainBlocked);
    }

  private:
    UrlRecorder urls_;
};

LW_GUI_TEST_MAIN(AppTest)
#include "app_test.moc"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>
#include <string>
#include <vector>

#include "platform/qt/file_list_view.h"
#include "tests/support/gui_test_support.h"

using lw::FileListView;

namespace {

void fillTable(FileListView& view) {
    const char* headings[] = {"Relative path", "FIXMEs", "Code", "Comments", "Total"};
    for (int i = 0; i < 5; ++i) {
        view.insertColumn(i, headings[i], i == 0 ? lw::kFormatLeft : lw::kFormatCenter, 80);
    }
    const std::vector<std::vector<std::string>> rows = {{"a.c", "1", "2", "3", "4"},
                                                        {"lib/b.h", "0", "10", "0", "9"},
                                                        {"c.cpp", "5", "6", "7", "8"}};
    for (const auto& cells : rows) {
        const int row = view.insertRow(view.rowCount(), cells[0]);
        view.setTag(row, row);
        for (int c = 1; c < 5; ++c) {
            view.setCellText(row, c, cells[static_cast<std::size_t>(c)]);
        }
    }
}

}  // namespace

class FileListCopyTest : public QObject {
    Q_OBJECT
  private slots:
    void ctrlCCopiesTheSelectedRowsWithTheHeadings_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("expected");
        const QString head = "Relative path\tFIXMEs\tCode\tComments\tTotal\n";
        QTest::newRow("one") << QList<int>{1} << head + "lib/b.h\t0\t10\t0\t9\n";
        QTest::newRow("scattered, in list order")
            << QList<int>{2, 0} << head + "a.c\t1\t2\t3\t4\nc.cpp\t5\t6\t7\t8\n";
        QTest::newRow("none: headings only") << QList<int>{} << head;
    }
    void ctrlCCopiesTheSelectedRowsWithTheHeadings() {
        QFETCH(QList<int>, selected);
        QFETCH(QString, expected);
        FileListView view;
        fillTable(view);
        view.resize(500, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setFocus();
        view.clearSelection();
        for (int row : selected) {
            view.selectionModel()->select(view.model().index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        QGuiApplication::clipboard()->setText("before");
        std::vector<int> keys;
        connect(&view, &FileListView::keyDown, this, [&](int key) { keys.push_back(key); });
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
        // The key still reaches the dialog's handler, as every key does.
        QVERIFY(!keys.empty());
        QCOMPARE(keys.back(), int('C'));
        // Copying changes nothing in the list.
        QCOMPARE(view.rowCount(), 3);
    }
};

LW_GUI_TEST_MAIN(FileListCopyTest)
#include "file_list_copy_test.moc"

// The window as a user meets it, on whichever backend the test program is built for: the same
// source runs in the Qt test program and in the Win32 one (under Wine). It drives the real
// controls through tests/ui/window_driver.h and reads what the screen shows; what it expects
// comes from the dialog templates of res/ and the texts of ui/ and count/, never from a
// backend's own constants.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/capp_main.h"
#include "app/cdialog_about.h"
#include "count/count_run.h"
#include "count/path_text.h"
#include "count/result_row.h"
#include "platform/folder_browser.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/shell_open.h"
#include "res/dialog_template.h"
#include "tests/support/forwarding_file_system.h"
#include "tests/support/logging_dialog.h"
#include "tests/ui/window_driver.h"
#include "ui/cdialog_add_dir.h"
#include "ui/cdialog_main.h"
#include "ui/profile_keys.h"

namespace lw {
namespace {

using test::DialogScript;
using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

std::string joined(const std::string& directory, const std::string& name) {
    return directory + kSeparator + name;
}

// A source tree in the system's temporary folder: src with main.c and sub/util.h (and a file no
// pattern matches), and other with o.c and locked.c, which the count cannot open.
class SourceTree {
  public:
    SourceTree() {
        static std::atomic<int> made{0};
        root_ = std::filesystem::temp_directory_path() /
                ("lw-behaviour-" + std::to_string(std::rand()) + "-" + std::to_string(made++));
        std::filesystem::create_directories(root_ / "src" / "sub");
        std::filesystem::create_directories(root_ / "other");
        write("src/main.c", "int a; // FIXME later\n/* one */\nint b;\n");
        write("src/sub/util.h", "// FIXME\n// FIXME too\nint x;\n");
        write("src/notes.txt", "not counted\n");
        write("other/o.c", "int o;\n");
        write("other/locked.c", "int l;\n");
    }
    ~SourceTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    SourceTree(const SourceTree&) = delete;
    SourceTree& operator=(const SourceTree&) = delete;

    // The engine's spelling of a path below the root: "src", "src" + separator + "sub" ...
    std::string path(const std::string& relative) const {
        std::string text = root_.string();
        for (const char c : "/" + relative) {
            text += c == '/' ? kSeparator : c;
        }
        return text;
    }

  private:
    void write(const std::string& relative, const std::string& text) {
        std::ofstream(root_ / relative, std::ios::binary) << text;
    }

    std::filesystem::path root_;
};

// The system's file system, but a file named locked.c cannot be opened.
class LockedFiles final : public test::ForwardingFileSystem {
  public:
    OpenResult openForReading(const std::string& fullPath) override {
        if (fullPath.ends_with("locked.c")) {
            return {nullptr, "Permission denied"};
        }
        return ForwardingFileSystem::openForReading(fullPath);
    }
};

class WindowBehaviour : public testing::Test {
  protected:
    void SetUp() override {
        Profile::SetCompanyKey(kCompanyKey);
        test::forgetSettings();
        MessageBoxSeam::setRecorder([this](const std::string& text) {
            messages.push_back(text);
            countEnabledDuringMessage =
                mainWindow != nullptr && test::shownEnabled(*mainWindow, IDC_COUNT);
        });
        ShellOpenSeam::setRecorder([this](const std::string& path) { opened.push_back(path); });
    }
    void TearDown() override {
        MessageBoxSeam::clearRecorder();
        ShellOpenSeam::clearRecorder();
        FolderBrowserSeam::clearAnswerer();
        test::forgetSettings();
    }

    // The program's whole life, as main() runs it.
    static void runProgram() {
        CappMain app;
        EXPECT_FALSE(app.InitInstance());
    }

    // The Add Directory box, answered with a typed directory and Recurse as given.
    static DialogScript& answerAdd(DialogScript& script, std::string directory, bool recurse) {
        return script.on<CdialogAddDir>([directory, recurse](CdialogAddDir& box) {
            test::typeText(box, IDC_DIRECTORY, directory);
            test::setChecked(box, IDC_RECURSE, recurse);
            test::click(box, res::IDOK);
        });
    }

    ModalDialog* mainWindow = nullptr;
    std::vector<std::string> messages;
    bool countEnabledDuringMessage = true;
    std::vector<std::string> opened;
};

TEST_F(WindowBehaviour, FirstStartShowsTheDefaultsEmptyListsAndTheFocusOnAdd) {
    DialogScript script;
    script.on<CdialogMain>([](CdialogMain& main) {
        EXPECT_EQ(test::shownText(main, IDC_EXTENSIONS), kDefaultExtensions);
        EXPECT_EQ(
            test::headings(main, IDC_FILE_LIST),
            (std::vector<std::string>(std::begin(kColumnHeadings), std::end(kColumnHeadings))));
        EXPECT_TRUE(test::shownRows(main, IDC_FILE_LIST).empty());
        EXPECT_TRUE(test::shownEntries(main, IDC_DIRECTORY_LIST).empty());
        EXPECT_EQ(test::shownText(main, IDC_STATUS), "");
        EXPECT_EQ(test::focusedControl(main), IDC_ADD);
        test::pressKey(main, IDC_ADD, test::kEscape);
    });
    runProgram();
    // Leaving by Esc keeps the text the window started with.
    EXPECT_EQ(test::storedSetting(kExtensionsKey), kDefaultExtensions);
}

// The rows as ordered by a click on heading `column`: ascending, ties in the order they had;
// the path as bytes, the counts as numbers.
Rows sortedBy(Rows rows, int column) {
    const auto c = static_cast<std::size_t>(column);
    std::stable_sort(rows.begin(), rows.end(), [c](const Row& a, const Row& b) {
        return c == 0 ? a[c] < b[c] : std::atoi(a[c].c_str()) < std::atoi(b[c].c_str());
    });
    return rows;
}

int rowNamed(const Rows& rows, const std::string& path) {
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row][0] == path) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

TEST_F(WindowBehaviour, AddCountSortDeleteAndOpenAsAUserDoes) {
    const SourceTree tree;
    LockedFiles lockedFiles;
    const std::string o = joined(tree.path("other"), "o.c");
    const std::string util = joined("sub", "util.h");
    DialogScript script;
    script.on<CdialogMain>([&](CdialogMain& main) {
        mainWindow = &main;
        main.setFileSystem(lockedFiles);
        // Each press returns once the box it opened, or the count, is done.
        test::click(main, IDC_ADD);
        test::click(main, IDC_ADD);
        EXPECT_EQ(
            test::shownEntries(main, IDC_DIRECTORY_LIST),
            (std::vector<std::string>{tree.path("src"), tree.path("src/sub"), tree.path("other")}));
        test::click(main, IDC_COUNT);

        Rows rows = test::shownRows(main, IDC_FILE_LIST);
        Rows counted = rows;
        std::sort(counted.begin(), counted.end());
        EXPECT_EQ(counted, (Rows{{o, "0", "1", "0", "1"},
                                 {"main.c", "1", "2", "2", "3"},
                                 {util, "2", "1", "2", "3"}}));
        // locked.c matched, so it is one of the files, with nothing counted.
        EXPECT_EQ(test::shownText(main, IDC_STATUS),
                  "Files: 4 FIXMEs: 3 Code: 4 Comments: 4 Total: 7");
        EXPECT_TRUE(test::shownEnabled(main, IDC_COUNT));

        // A click on each heading.
        for (int column = 0; column < 5; ++column) {
            SCOPED_TRACE("heading " + std::to_string(column));
            test::clickHeading(main, IDC_FILE_LIST, column);
            const Rows expected = sortedBy(rows, column);
            rows = test::shownRows(main, IDC_FILE_LIST);
            EXPECT_EQ(rows, expected);
            const std::vector<std::intptr_t> tags = test::rowTags(main, IDC_FILE_LIST);
            for (std::size_t row = 0; row < tags.size(); ++row) {
                EXPECT_EQ(tags[row], static_cast<std::intptr_t>(row));
            }
        }

        // A double-click opens the file: below the first directory, or by its full path.
        for (const auto& [name, path] :
             {std::pair{std::string("main.c"), joined(tree.path("src"), "main.c")},
              std::pair{o, o}}) {
            opened.clear();
            test::doubleClickRow(main, IDC_FILE_LIST, rowNamed(rows, name));
            EXPECT_EQ(opened, std::vector<std::string>{path});
        }

        // Delete takes the selected rows away and their numbers off the totals.
        test::selectOnly(main, IDC_FILE_LIST, {rowNamed(rows, util)});
        test::pressKey(main, IDC_FILE_LIST, test::kDelete);
        rows = test::shownRows(main, IDC_FILE_LIST);
        EXPECT_EQ(rows.size(), 2u);
        EXPECT_EQ(rowNamed(rows, util), -1);
        EXPECT_EQ(test::shownText(main, IDC_STATUS),
                  "Files: 3 FIXMEs: 1 Code: 3 Comments: 2 Total: 4");

        // Ctrl+A and Delete empty the list; what no row carried (locked.c) stays in the totals.
        test::pressCtrlKey(main, IDC_FILE_LIST, 'A');
        test::pressKey(main, IDC_FILE_LIST, test::kDelete);
        EXPECT_TRUE(test::shownRows(main, IDC_FILE_LIST).empty());
        EXPECT_EQ(test::shownText(main, IDC_STATUS),
                  "Files: 1 FIXMEs: 0 Code: 0 Comments: 0 Total: 0");
        test::click(main, res::IDOK);
    });
    answerAdd(script, tree.path("src"), true);
    answerAdd(script, tree.path("other"), false);
    runProgram();
    ASSERT_EQ(messages.size(), 1u);
    const std::string expected = kFailedToOpenPrefix + joined(tree.path("other"), "locked.c");
    EXPECT_EQ(messages[0].substr(0, expected.size()), expected) << messages[0];
    EXPECT_FALSE(countEnabledDuringMessage);
}

// Exit keeps what the Extensions field holds; Esc keeps the text of the last Count, and the next
// start shows what was kept.
struct Leaving {
    const char* name;
    bool byExit;
    const char* stored;
};

class LeavingTheWindow : public WindowBehaviour, public testing::WithParamInterface<Leaving> {};

TEST_P(LeavingTheWindow, KeepsTheExtensionsInTheProfileForTheNextStart) {
    {
        DialogScript script;
        script.on<CdialogMain>([](CdialogMain& main) {
            test::typeText(main, IDC_EXTENSIONS, "*.c;*.y");
            if (GetParam().byExit) {
                test::click(main, res::IDOK);
            } else {
                test::pressKey(main, IDC_EXTENSIONS, test::kEscape);
            }
        });
        runProgram();
    }
    EXPECT_EQ(test::storedSetting(kExtensionsKey), GetParam().stored);

    std::string shown;
    DialogScript script;
    script.on<CdialogMain>([&](CdialogMain& main) {
        shown = test::shownText(main, IDC_EXTENSIONS);
        main.EndDialog(res::IDCANCEL);
    });
    runProgram();
    EXPECT_EQ(shown, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Ways, LeavingTheWindow,
                         testing::Values(Leaving{"Exit", true, "*.c;*.y"},
                                         Leaving{"Esc", false, kDefaultExtensions}),
                         [](const testing::TestParamInfo<Leaving>& info) {
                             return info.param.name;
                         });

// Enter presses the push button that has the focus; on any other control, the dialog's default
// button.
struct EnterCase {
    const char* name;
    int templateId;
    int control;
    const char* pressed;
};

class EnterKey : public WindowBehaviour, public testing::WithParamInterface<EnterCase> {};

template <class T>
void pressEnterIn(const EnterCase& enter, std::vector<std::string>& seen, int& result) {
    T dialog;
    DialogScript script;
    script.on<T>([&](T& shown) {
        test::pressKey(shown, enter.control, test::kEnter);
        // A press that does not end the dialog: what it opened is done by now.
        if (!std::string(enter.pressed).starts_with("end")) {
            shown.EndDialog(-1);
        }
    });
    if (enter.control == IDC_ADD) {
        script.on<CdialogAddDir>([&](CdialogAddDir& box) {
            seen.push_back("Add Directory");
            box.EndDialog(res::IDCANCEL);
        });
    }
    result = dialog.DoModal();
}

TEST_P(EnterKey, PressesTheFocusedButtonOrElseTheDefault) {
    const EnterCase& enter = GetParam();
    std::vector<std::string> seen;
    FolderBrowserSeam::setAnswerer([&] {
        seen.push_back("folder browser");
        return FolderChoice{};
    });
    int result = -1;
    if (enter.templateId == res::IDD_MAIN) {
        pressEnterIn<CdialogMain>(enter, seen, result);
    } else if (enter.templateId == res::IDD_ADD_DIRECTORY) {
        pressEnterIn<CdialogAddDir>(enter, seen, result);
    } else {
        pressEnterIn<CdialogAbout>(enter, seen, result);
    }
    if (result != -1) {
        seen.push_back("end " + std::to_string(result));
    }
    if (messages == std::vector<std::string>{kNoDirectoriesMessage}) {
        seen.push_back("Count");
    }
    if (opened == std::vector<std::string>{kHomePage}) {
        seen.push_back("home page");
    }
    EXPECT_EQ(seen, std::vector<std::string>{enter.pressed});
}

INSTANTIATE_TEST_SUITE_P(
    Controls, EnterKey,
    testing::Values(EnterCase{"MainAdd", res::IDD_MAIN, IDC_ADD, "Add Directory"},
                    EnterCase{"MainCount", res::IDD_MAIN, IDC_COUNT, "Count"},
                    EnterCase{"MainExit", res::IDD_MAIN, res::IDOK, "end 1"},
                    EnterCase{"MainDirectoryList", res::IDD_MAIN, IDC_DIRECTORY_LIST, "Count"},
                    EnterCase{"MainExtensions", res::IDD_MAIN, IDC_EXTENSIONS, "Count"},
                    EnterCase{"MainFileList", res::IDD_MAIN, IDC_FILE_LIST, "Count"},
                    EnterCase{"AddAdd", res::IDD_ADD_DIRECTORY, res::IDOK, "end 1"},
                    EnterCase{"AddCancel", res::IDD_ADD_DIRECTORY, res::IDCANCEL, "end 2"},
                    EnterCase{"AddBrowse", res::IDD_ADD_DIRECTORY, IDC_BROWSE, "folder browser"},
                    EnterCase{"AddDirectoryField", res::IDD_ADD_DIRECTORY, IDC_DIRECTORY, "end 1"},
                    EnterCase{"AddRecurse", res::IDD_ADD_DIRECTORY, IDC_RECURSE, "end 1"},
                    EnterCase{"AboutOk", res::IDD_ABOUT, res::IDOK, "end 1"},
                    EnterCase{"AboutHomePage", res::IDD_ABOUT, IDC_HOME_PAGE, "home page"}),
    [](const testing::TestParamInfo<EnterCase>& info) { return info.param.name; });

// A dialog's life, whichever way it ends: the hooks in their order, the result, and the focus on
// the template's first control with a tab stop when the window comes up.
using test::LoggingDialog;

enum class Way { ClickOk, ClickCancel, Escape, CloseBox, EndInInit };

struct Ending {
    const char* name;
    int templateId;
    Way way;
    int result;
};

class DialogLife : public WindowBehaviour, public testing::WithParamInterface<Ending> {};

int firstTabStop(int templateId) {
    for (const res::ControlTemplate& control : res::dialogTemplate(templateId).controls) {
        if ((control.style & res::kTabStop) != 0 && (control.style & res::kHidden) == 0) {
            return control.id;
        }
    }
    return 0;
}

TEST_P(DialogLife, RunsItsHooksInOrderAndEndsWithTheResultOfTheWayOut) {
    const Ending& ending = GetParam();
    LoggingDialog dialog(ending.templateId, ending.way == Way::EndInInit);
    int focusedAtStart = -1;
    {
        DialogScript script;
        if (ending.way != Way::EndInInit) {
            script.on<LoggingDialog>([&](LoggingDialog& shown) {
                focusedAtStart = test::focusedControl(shown);
                switch (ending.way) {
                    case Way::ClickOk:
                        test::click(shown, res::IDOK);
                        break;
                    case Way::ClickCancel:
                        test::click(shown, res::IDCANCEL);
                        break;
                    case Way::Escape:
                        test::pressKey(shown, focusedAtStart, test::kEscape);
                        break;
                    default:
                        test::closeWindow(shown);
                }
            });
        }
        EXPECT_EQ(dialog.DoModal(), ending.result);
    }
    const std::vector<std::string> start{"init", "exchange to controls"};
    std::vector<std::string> expected = start;
    if (ending.result == res::IDOK) {
        expected.insert(expected.end(), {"ok", "exchange from controls"});
    } else if (ending.result == res::IDCANCEL) {
        expected.push_back("cancel");
    }
    expected.push_back("destroy");
    EXPECT_EQ(dialog.log, expected);
    if (ending.way != Way::EndInInit) {
        EXPECT_EQ(focusedAtStart, firstTabStop(ending.templateId));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ways, DialogLife,
    testing::Values(Ending{"AddOk", res::IDD_ADD_DIRECTORY, Way::ClickOk, res::IDOK},
                    Ending{"AddCancel", res::IDD_ADD_DIRECTORY, Way::ClickCancel, res::IDCANCEL},
                    Ending{"AddEscape", res::IDD_ADD_DIRECTORY, Way::Escape, res::IDCANCEL},
                    Ending{"AddCloseBox", res::IDD_ADD_DIRECTORY, Way::CloseBox, res::IDCANCEL},
                    Ending{"MainExit", res::IDD_MAIN, Way::ClickOk, res::IDOK},
                    // The main dialog's hidden Cancel button gives Esc its command.
                    Ending{"MainEscape", res::IDD_MAIN, Way::Escape, res::IDCANCEL},
                    Ending{"AboutOk", res::IDD_ABOUT, Way::ClickOk, res::IDOK},
                    // The About box has no Cancel button; Esc and the close box still end it.
                    Ending{"AboutEscape", res::IDD_ABOUT, Way::Escape, res::IDCANCEL},
                    Ending{"AboutCloseBox", res::IDD_ABOUT, Way::CloseBox, res::IDCANCEL},
                    // Ended before the window comes up: the run does not wait.
                    Ending{"AboutEndedInInit", res::IDD_ABOUT, Way::EndInInit, 7}),
    [](const testing::TestParamInfo<Ending>& info) { return info.param.name; });

TEST_F(WindowBehaviour, SystemCommandSixteenOpensTheAboutBox) {
    std::string aboutButton;
    DialogScript script;
    script.on<CdialogMain>([](CdialogMain& main) {
        test::chooseSystemCommand(main, IDM_ABOUTBOX);
        main.EndDialog(res::IDCANCEL);
    });
    script.on<CdialogAbout>([&](CdialogAbout& about) {
        aboutButton = test::shownText(about, res::IDOK);
        test::click(about, res::IDOK);
    });
    runProgram();
    EXPECT_EQ(aboutButton, "OK");
}

// F1 opens it too, whichever control has the focus: a window manager's frame can keep the system
// menu out of reach.
TEST_F(WindowBehaviour, F1OpensTheAboutBoxFromAnyControl) {
    const int controls[] = {IDC_ADD, IDC_EXTENSIONS, IDC_FILE_LIST};
    int opened = 0;
    DialogScript script;
    script.on<CdialogMain>([&](CdialogMain& main) {
        for (int id : controls) {
            SCOPED_TRACE("control " + std::to_string(id));
            const int before = opened;
            test::pressKey(main, id, test::kF1);
            EXPECT_EQ(opened, before + 1);
        }
        main.EndDialog(res::IDCANCEL);
    });
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        script.on<CdialogAbout>([&](CdialogAbout& about) {
            ++opened;
            test::click(about, res::IDOK);
        });
    }
    runProgram();
    EXPECT_EQ(opened, static_cast<int>(std::size(controls)));
}

// A larger window moves every control as the template's anchors say, keeps them all inside and
// apart, gives the File List's extra width to the path column, and never gets smaller than the
// template; back at its least size, everything is where it was.
class Resizing : public WindowBehaviour, public testing::WithParamInterface<int> {};

template <class T>
void resizeAndCheck(int templateId, const PixelSize extra) {
    T dialog;
    DialogScript script;
    script.on<T>([&](T& shown) {
        const res::DialogTemplate& source = res::dialogTemplate(templateId);
        const bool hasFileList = templateId == res::IDD_MAIN;
        const PixelSize least = test::clientSize(shown);
        const std::vector<PixelRect> before = test::controlPlaces(shown);
        ASSERT_EQ(before.size(), source.controls.size());
        std::vector<int> columnsBefore;
        for (int column = 0; hasFileList && column < 5; ++column) {
            columnsBefore.push_back(test::columnWidth(shown, IDC_FILE_LIST, column));
        }

        test::resizeClient(shown,
                           PixelSize{least.width + extra.width, least.height + extra.height});
        const PixelSize grown = test::clientSize(shown);
        EXPECT_EQ(grown.width, least.width + extra.width);
        EXPECT_EQ(grown.height, source.sizing == res::Sizing::WidthOnly
                                    ? least.height
                                    : least.height + extra.height);
        const int dx = grown.width - least.width;
        const int dy = grown.height - least.height;
        const std::vector<PixelRect> places = test::controlPlaces(shown);
        const std::vector<bool> visible = test::controlsShown(shown);
        int fileListGain = 0;
        for (std::size_t i = 0; i < places.size(); ++i) {
            SCOPED_TRACE("control " + std::to_string(i) + " (" + source.controls[i].caption + ")");
            const res::Anchors& a = source.controls[i].anchors;
            const PixelRect& was = before[i];
            EXPECT_EQ(places[i],
                      (PixelRect{was.left + dx * a.left / 4, was.top + dy * a.top / 4,
                                 was.right + dx * a.right / 4, was.bottom + dy * a.bottom / 4}));
            if (source.controls[i].id == IDC_FILE_LIST) {
                fileListGain = places[i].width() - was.width();
            }
            if (!visible[i]) {
                continue;
            }
            const PixelRect& at = places[i];
            EXPECT_TRUE(at.left >= 0 && at.top >= 0 && at.right <= grown.width &&
                        at.bottom <= grown.height);
            for (std::size_t j = 0; j < i; ++j) {
                // Controls that touch in dialog units may share the one pixel where the window
                // system's rounding puts both edges; more is an overlap.
                const PixelRect& other = places[j];
                const bool apart = !visible[j] || at.right <= other.left + 1 ||
                                   other.right <= at.left + 1 || at.bottom <= other.top + 1 ||
                                   other.bottom <= at.top + 1;
                EXPECT_TRUE(apart) << "overlaps control " << j;
            }
        }
        for (int column = 0; hasFileList && column < 5; ++column) {
            EXPECT_EQ(
                test::columnWidth(shown, IDC_FILE_LIST, column),
                columnsBefore[static_cast<std::size_t>(column)] + (column == 0 ? fileListGain : 0));
        }

        test::resizeClient(shown, least);
        EXPECT_EQ(test::clientSize(shown), least);
        EXPECT_EQ(test::controlPlaces(shown), before);
        for (int column = 0; hasFileList && column < 5; ++column) {
            EXPECT_EQ(test::columnWidth(shown, IDC_FILE_LIST, column),
                      columnsBefore[static_cast<std::size_t>(column)]);
        }
        test::resizeClient(shown, PixelSize{100, 100});
        const PixelSize smallest = test::clientSize(shown);
        EXPECT_GE(smallest.width, least.width);
        EXPECT_GE(smallest.height, least.height);
        shown.EndDialog(res::IDCANCEL);
    });
    dialog.DoModal();
}

TEST_P(Resizing, KeepsEveryControlInsideApartAndWhereItsAnchorsSay) {
    const PixelSize extra{240, 200};
    if (GetParam() == res::IDD_MAIN) {
        resizeAndCheck<CdialogMain>(GetParam(), extra);
    } else {
        resizeAndCheck<CdialogAddDir>(GetParam(), extra);
    }
    // Nothing about the size is kept.
    const std::string section = std::string(kSettingsSection) + "/";
    for (const std::string& name : test::storedSettingNames()) {
        EXPECT_TRUE(name == section + kExtensionsKey || name == section + kLastDirectoryKey ||
                    name == section + kRecurseKey)
            << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, Resizing, testing::Values(res::IDD_MAIN, res::IDD_ADD_DIRECTORY),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param == res::IDD_MAIN ? "Main" : "AddDirectory";
                         });

}  // namespace
}  // namespace lw

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "count/count_run.h"
#include "platform/directory_list.h"
#include "platform/file_list.h"
#include "platform/modal_dialog.h"

namespace lw {

// Control ids of the main dialog.
inline constexpr int IDC_DIRECTORY_LIST = 1003;
inline constexpr int IDC_EXTENSIONS = 1004;
inline constexpr int IDC_FILE_LIST = 1005;
inline constexpr int IDC_ADD = 1006;
inline constexpr int IDC_COUNT = 1007;
inline constexpr int IDC_STATUS = 1008;
inline constexpr unsigned IDM_ABOUTBOX = 16;

// Handed to the comparisons while a sort runs: the texts of the column the rows are ordered by,
// taken once when the sort begins and indexed by the rows' tags, so that a comparison neither
// asks the list nor copies a text.
struct SortContext {
    std::vector<std::string> texts;
};

// The two rows' texts compared as unsigned bytes.
std::int32_t CompareRowText(std::intptr_t tagA, std::intptr_t tagB, std::intptr_t sortContext);
// atoi of the two rows' texts; their difference, saturated.
std::int32_t CompareRowNumbers(std::intptr_t tagA, std::intptr_t tagB, std::intptr_t sortContext);

class BusyWindow;

// What the status line shows while long work goes on: "Counting… 12,345 files".
std::string progressText(const char* doing, std::int64_t done, const char* things);

// The main window.
class CdialogMain : public ModalDialog, public CountHost {
  public:
    // Runs the About box over the given owner; the application shell supplies it.
    using AboutRunner = std::function<void(ModalDialog* owner)>;

    explicit CdialogMain(ModalDialog* parent = nullptr, AboutRunner aboutRunner = {});
    ~CdialogMain() override;

    // Members, in their declared order.
    int m_icon;  // the icon resource of the window
    RunTotals m_totals;
    DirectoryList* m_directoryList = nullptr;
    std::string m_extensions;
    FileList* m_fileList = nullptr;
    std::string m_status;

    void ExchangeData(bool fromControls) override;

    // System-menu command: (id & 0xFFF0) == IDM_ABOUTBOX opens the About box; every other
    // command gets the window system's default processing.
    void OnSysCommand(unsigned id, std::intptr_t lParam) override;
    // F1 opens the About box too, where the system menu that offers it is out of reach (a
    // window manager's frame has a menu of its own).
    void OnHelp() override;
    void OnCount();

    // The file system that Count and the subdirectory walk search: the system's, unless a test
    // puts a stand-in in its place.
    void setFileSystem(FileSystem& fileSystem) { fileSystem_ = &fileSystem; }

    // Directory list.
    void AddDirectory();
    void AddSubdirectories(std::string directory);

    // Result list operations.
    void SortByColumn(int column);
    void FileListKeyDown(int virtualKey);
    void OpenSelectedFile();
    // Every row's tag from `first` on becomes its index; the rows before keep theirs.
    void RenumberTags(int first = 0);

    // CountHost
    void refreshFromWindow() override;
    std::string extensionsText() override;
    int directoryCount() override;
    void selectDirectory(int index) override;
    std::string directoryText(int index) override;
    void deleteAllRows() override;
    int rowCount() override;
    int appendRow(int index, const std::string& text) override;
    void setRowTag(int row, std::intptr_t tag) override;
    void setCellText(int row, int column, const std::string& text) override;
    RunTotals& totals() override;
    void FormatStatusLine() override;
    void showResults() override;
    void enableCount(bool enabled) override;
    void showMessage(const std::string& text) override;

  protected:
    bool OnInitDialog() override;
    void OnDestroy() override;
    // The message table: every control event goes to exactly one handler.
    void OnCommand(int id) override;
    void OnHeaderItemClick(int listId, int column) override;
    void OnListDoubleClick(int listId) override;
    void OnListKeyDown(int listId, int virtualKey) override;

  private:
    void addAboutItem();
    // Lets the window repaint, and show the count's progress, during a count run.
    void keepCountAlive();

    AboutRunner aboutRunner_;
    bool aboutOffered_ = false;  // the system menu (or what stands for it) has the About item
    FileSystem* fileSystem_ = &systemFileSystem();
    BusyWindow* busy_ = nullptr;  // while a count run or a recursive add goes on
    bool countHadFocus_ = false;  // when Count was disabled
    // Lets go of the last run's listings beside the window: for a large tree that takes as long
    // as a twentieth of the count. Joined before the next run lets go of its own, and on close.
    std::jthread letGo_;
};

}  // namespace lw

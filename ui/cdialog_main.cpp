#include "ui/cdialog_main.h"

#include <memory>
#include <system_error>

#include "count/code_page.h"
#include "count/file_system.h"
#include "count/parallel_file_counter.h"
#include "count/result_row.h"
#include "platform/busy_window.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "res/dialog_template.h"
#include "ui/profile_keys.h"

namespace lw {

std::string progressText(const char* doing, std::int64_t done, const char* things) {
    // The thousands grouped as the program's English texts write them: "12,345".
    std::string digits = std::to_string(done < 0 ? 0 : done);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, 1, ',');
    }
    return std::string(doing) + kEllipsis + " " + digits + " " + things;
}

CdialogMain::CdialogMain(ModalDialog* parent, AboutRunner aboutRunner)
    : ModalDialog(res::IDD_MAIN, parent),
      m_icon(res::IDI_MAIN),
      m_extensions(kDefaultExtensions),
      aboutRunner_(std::move(aboutRunner)) {}

CdialogMain::~CdialogMain() = default;

void CdialogMain::ExchangeData(bool fromControls) {
    if (m_directoryList == nullptr) {
        m_directoryList = directoryList(IDC_DIRECTORY_LIST);
    }
    if (m_fileList == nullptr) {
        m_fileList = fileList(IDC_FILE_LIST);
    }
    if (fromControls) {
        m_extensions = GetDlgItemText(IDC_EXTENSIONS);
        m_status = GetDlgItemText(IDC_STATUS);
    } else {
        SetDlgItemText(IDC_EXTENSIONS, m_extensions);
        SetDlgItemText(IDC_STATUS, m_status);
    }
}

void CdialogMain::FormatStatusLine() {
    m_status = lw::statusLineText(m_totals);
}

bool CdialogMain::OnInitDialog() {
    m_extensions = Profile::GetString(kSettingsSection, kExtensionsKey, m_extensions);

    ModalDialog::OnInitDialog();

    addAboutItem();

    SetIcon(m_icon);

    if (m_fileList != nullptr) {
        m_fileList->insertColumn(0, kColumnHeadings[0], kFormatRight, 358);
        for (int column = 1; column < 5; ++column) {
            m_fileList->insertColumn(column, kColumnHeadings[column], kFormatCenter, 65);
        }
        // A wider window is for longer paths.
        m_fileList->setStretchColumn(0);
    }
    return true;
}

void CdialogMain::OnCommand(int id) {
    if (id == IDC_ADD) {
        AddDirectory();
    } else if (id == IDC_COUNT) {
        OnCount();
    }
}

void CdialogMain::OnHeaderItemClick(int listId, int column) {
    if (listId == IDC_FILE_LIST) {
        SortByColumn(column);
    }
}

void CdialogMain::OnListDoubleClick(int listId) {
    if (listId == IDC_FILE_LIST) {
        OpenSelectedFile();
    }
}

void CdialogMain::OnListKeyDown(int listId, int virtualKey) {
    if (listId == IDC_FILE_LIST) {
        FileListKeyDown(virtualKey);
    }
}

void CdialogMain::addAboutItem() {
    // No item is offered when the string table has no text for it.
    const char* text = res::loadString(res::IDS_ABOUT);
    if (text != nullptr && *text != '\0') {
        aboutOffered_ = AppendSystemMenuItem(IDM_ABOUTBOX, text);
    }
}

void CdialogMain::OnDestroy() {
    // Deliberately not refreshed from the edit: leaving by Esc or the close box keeps the text of
    // the last Count (or the stored one), while Exit has just copied the edit into the member.
    Profile::WriteString(kSettingsSection, kExtensionsKey, m_extensions);
    ModalDialog::OnDestroy();
}

void CdialogMain::OnSysCommand(unsigned id, std::intptr_t lParam) {
    // The low four bits belong to the window system.
    if ((id & 0xFFF0u) == IDM_ABOUTBOX) {
        // The window system's own menu stays open to the user during long work; the box waits.
        if (busy_ != nullptr) {
            return;
        }
        if (aboutRunner_) {
            aboutRunner_(this);
        }
        return;
    }
    DefaultSysCommand(id, lParam);
}

void CdialogMain::OnHelp() {
    if (aboutOffered_) {
        OnSysCommand(IDM_ABOUTBOX, 0);
    }
}

void CdialogMain::OnCount() {
    // The run is synchronous for the user: the window waits for it, and takes no input, but
    // repaints and shows how far the run has got. The files are counted on several threads; the
    // run takes their outcomes in its own order, so rows and messages come as from one thread.
    BusyWindow busy(*this, IDC_STATUS);
    busy_ = &busy;
    const struct Done {
        BusyWindow*& busy;
        ~Done() { busy = nullptr; }
    } done{busy_};
    // Each directory is read once for all the patterns; the listing lives for this run only. A
    // test's stand-in is searched as it is.
    std::unique_ptr<FileSystem> listing;
    FileSystem* fileSystem = fileSystem_;
    if (fileSystem_ == &systemFileSystem()) {
        listing = makeListingFileSystem();
        fileSystem = listing.get();
    }
    {
        ParallelFileCounter counter(*fileSystem, CodePage::system(), defaultWorkerCount());
        lw::CountRun(*this, *fileSystem, counter);
    }
    if (listing) {
        try {
            letGo_ = std::jthread([listed = std::move(listing)]() mutable { listed.reset(); });
        } catch (const std::system_error&) {
            // Without a thread the listings go here, as the lambda that held them is destroyed.
        }
    }
}

void CdialogMain::keepCountAlive() {
    if (busy_ != nullptr) {
        busy_->keepAlive([this] { return progressText("Counting", m_totals.files, "files"); });
    }
}

void CdialogMain::refreshFromWindow() {
    ExchangeData(true);
}

std::string CdialogMain::extensionsText() {
    return m_extensions;
}

int CdialogMain::directoryCount() {
    return m_directoryList != nullptr ? m_directoryList->entryCount() : 0;
}

void CdialogMain::selectDirectory(int index) {
    m_directoryList->select(index);
    keepCountAlive();
}

std::string CdialogMain::directoryText(int index) {
    return m_directoryList->entryText(index);
}

void CdialogMain::deleteAllRows() {
    m_fileList->deleteAllRows();
}

int CdialogMain::rowCount() {
    return m_fileList->rowCount();
}

int CdialogMain::appendRow(int index, const std::string& text) {
    keepCountAlive();
    return m_fileList->insertRow(index, text);
}

void CdialogMain::setRowTag(int row, std::intptr_t tag) {
    m_fileList->setTag(row, tag);
}

void CdialogMain::setCellText(int row, int column, const std::string& text) {
    m_fileList->setCellText(row, column, text);
}

RunTotals& CdialogMain::totals() {
    return m_totals;
}

void CdialogMain::showResults() {
    ExchangeData(false);
}

void CdialogMain::enableCount(bool enabled) {
    // Disabling the focused button would push the focus on to Exit, where the next Enter would
    // end the program instead of counting again; the focus comes back when Count does.
    if (!enabled) {
        countHadFocus_ = HasDlgItemFocus(IDC_COUNT);
    }
    EnableDlgItem(IDC_COUNT, enabled);
    if (enabled && countHadFocus_) {
        countHadFocus_ = false;
        SetDlgItemFocus(IDC_COUNT);
    }
}

void CdialogMain::showMessage(const std::string& text) {
    lw::showMessage(this, text);
}

}  // namespace lw

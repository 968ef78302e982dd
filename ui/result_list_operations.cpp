#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "count/file_counts.h"
#include "count/path_text.h"
#include "count/row_compare.h"
#include "platform/shell_open.h"
#include "ui/cdialog_main.h"

namespace lw {

namespace {

constexpr int kColumnFixmes = 1;
constexpr int kColumnCode = 2;
constexpr int kColumnComments = 3;
constexpr int kColumnTotal = 4;

}  // namespace

namespace {

const std::string& sortText(std::intptr_t tag, std::intptr_t sortContext) {
    static const std::string none;
    const auto& texts = reinterpret_cast<const SortContext*>(sortContext)->texts;
    return tag >= 0 && static_cast<std::size_t>(tag) < texts.size()
               ? texts[static_cast<std::size_t>(tag)]
               : none;
}

}  // namespace

std::int32_t CompareRowText(std::intptr_t tagA, std::intptr_t tagB, std::intptr_t sortContext) {
    return compareRowTexts(sortText(tagA, sortContext), sortText(tagB, sortContext));
}

std::int32_t CompareRowNumbers(std::intptr_t tagA, std::intptr_t tagB, std::intptr_t sortContext) {
    return compareRowNumbers(sortText(tagA, sortContext), sortText(tagB, sortContext));
}

void CdialogMain::RenumberTags(int first) {
    m_fileList->renumberTags(first);
}

void CdialogMain::SortByColumn(int column) {
    // The comparisons name rows by their tags, which equal their indices between operations.
    SortContext context;
    context.texts.reserve(static_cast<std::size_t>(m_fileList->rowCount()));
    for (int row = 0; row < m_fileList->rowCount(); ++row) {
        context.texts.push_back(m_fileList->cellText(row, column));
    }
    m_fileList->sort(column == 0 ? CompareRowText : CompareRowNumbers,
                     reinterpret_cast<std::intptr_t>(&context));
    RenumberTags();
}

void CdialogMain::FileListKeyDown(int virtualKey) {
    std::vector<int> toDelete;
    if (virtualKey == kVirtualKeyDelete) {
        // Nothing is removed during the walk, so the indices found stay valid.
        for (int row = m_fileList->nextSelectedRow(-1); row != -1;
             row = m_fileList->nextSelectedRow(row)) {
            m_totals.files = saturatingSub(m_totals.files, 1);
            m_totals.fixmes = saturatingSub(
                m_totals.fixmes, atoiSaturating(m_fileList->cellText(row, kColumnFixmes)));
            m_totals.code = saturatingSub(m_totals.code,
                                          atoiSaturating(m_fileList->cellText(row, kColumnCode)));
            m_totals.comments = saturatingSub(
                m_totals.comments, atoiSaturating(m_fileList->cellText(row, kColumnComments)));
            m_totals.total = saturatingSub(m_totals.total,
                                           atoiSaturating(m_fileList->cellText(row, kColumnTotal)));
            toDelete.push_back(row);
        }
    }
    // Only the status line is refreshed: a full exchange to the controls would throw away what
    // the user has typed in the Extensions field since the last Count.
    FormatStatusLine();
    SetDlgItemText(IDC_STATUS, m_status);
    if (toDelete.empty()) {
        return;
    }
    m_fileList->deleteRows(toDelete);
    // The rows above the first deleted one kept their places, and with them their tags.
    RenumberTags(toDelete.front());
}

void CdialogMain::OpenSelectedFile() {
    const int row = m_fileList->nextSelectedRow(-1);
    if (row == -1) {
        return;
    }
    const std::string name = m_fileList->cellText(row, 0);
    // A file outside the first directory keeps its full path in column 0.
    if (isFullPath(name)) {
        lw::shellOpen(this, name);
        return;
    }
    const std::string base =
        m_directoryList->entryCount() > 0 ? m_directoryList->entryText(0) : std::string();
    lw::shellOpen(this, base + kSeparator + name);
}

}  // namespace lw

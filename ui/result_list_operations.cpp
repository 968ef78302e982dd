#include <QLabel>
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "count/file_counts.h"
#include "platform/shell_open.h"
#include "ui/cdialog_main.h"

namespace lw {

namespace {

constexpr int kColumnFixmes = 1;
constexpr int kColumnCode = 2;
constexpr int kColumnComments = 3;
constexpr int kColumnTotal = 4;

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::int32_t atoiSaturating(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && isCSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulated as a magnitude one past the int32 range, so that INT32_MIN is exact and any
    // longer run of digits stops growing instead of overflowing.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > kLimit) {
            magnitude = kLimit;
        }
    }
    return saturateToInt32(negative ? -magnitude : magnitude);
}

std::int32_t CompareRowText(std::intptr_t tagA, std::intptr_t tagB, std::intptr_t fileList) {
    const auto* view = reinterpret_cast<const FileListView*>(fileList);
    const std::string& a = view->cellText(static_cast<int>(tagA), 0);
    const std::string& b = view->cellText(static_cast<int>(tagB), 0);
    // memcmp compares as unsigned bytes, so multi-byte characters order by their bytes and no
    // locale takes part.
    const int common = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (common != 0) {
        return common < 0 ? -1 : 1;
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

std::int32_t CompareRowNumbers(std::intptr_t tagA, std::intptr_t tagB, std::intptr_t sortContext) {
    const auto* context = reinterpret_cast<const SortContext*>(sortContext);
    const std::int32_t x =
        atoiSaturating(context->fileList->cellText(static_cast<int>(tagA), context->column));
    const std::int32_t y =
        atoiSaturating(context->fileList->cellText(static_cast<int>(tagB), context->column));
    return saturatingSub(x, y);
}

void CdialogMain::RenumberTags() {
    for (int i = 0; i < m_fileList->rowCount(); ++i) {
        m_fileList->setTag(i, i);
    }
}

void CdialogMain::SortByColumn(int column) {
    // The comparisons name rows by their tags, which equal their indices between operations.
    if (column == 0) {
        m_fileList->sort(CompareRowText, reinterpret_cast<std::intptr_t>(m_fileList));
    } else {
        SortContext context{m_fileList, column};
        m_fileList->sort(CompareRowNumbers, reinterpret_cast<std::intptr_t>(&context));
    }
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
    if (auto* status = item<QLabel>(IDC_STATUS)) {
        status->setText(QString::fromStdString(m_status));
    }
    if (!toDelete.empty()) {
        m_fileList->deleteRows(toDelete);
    }
    RenumberTags();
}

void CdialogMain::OpenSelectedFile() {
    const int row = m_fileList->nextSelectedRow(-1);
    if (row == -1) {
        return;
    }
    const std::string& name = m_fileList->cellText(row, 0);
    // A file outside the first directory keeps its full path in column 0.
    if (!name.empty() && name.front() == '/') {
        lw::shellOpen(this, name);
        return;
    }
    const std::string base =
        m_directoryList->entryCount() > 0 ? m_directoryList->entryText(0) : std::string();
    lw::shellOpen(this, base + "/" + name);
}

}  // namespace lw

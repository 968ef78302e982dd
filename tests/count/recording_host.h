#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "count/count_run.h"
#include "count/result_row.h"

namespace lw::testing_support {

using Strings = std::vector<std::string>;

// A host that keeps rows and totals like the main dialog and logs every call in order.
class RecordingHost : public CountHost {
  public:
    Strings directories;
    std::string extensions = kDefaultExtensions;
    std::vector<ResultRow> rows;
    RunTotals runTotals;
    std::string status = "previous";
    Strings log;
    Strings messages;
    Strings searchFailures;
    bool countEnabled = true;
    int selected = -1;

    void refreshFromWindow() override { log.push_back("refresh"); }
    std::string extensionsText() override { return extensions; }
    int directoryCount() override { return static_cast<int>(directories.size()); }
    void selectDirectory(int index) override {
        selected = index;
        log.push_back("select " + std::to_string(index));
    }
    std::string directoryText(int index) override { return directories.at(index); }
    void deleteAllRows() override {
        rows.clear();
        log.push_back("deleteAll");
    }
    int rowCount() override { return static_cast<int>(rows.size()); }
    int appendRow(int index, const std::string& text) override {
        EXPECT_FALSE(countEnabled);
        ResultRow row;
        row.cells[0] = text;
        row.tag = -1;
        rows.insert(rows.begin() + index, row);
        log.push_back("row");
        return index;
    }
    void setRowTag(int row, std::intptr_t tag) override { rows.at(row).tag = tag; }
    void setCellText(int row, int column, const std::string& text) override {
        rows.at(row).cells.at(column) = text;
    }
    RunTotals& totals() override { return runTotals; }
    void FormatStatusLine() override {
        status = lw::statusLineText(runTotals);
        log.push_back("format");
    }
    void showResults() override { log.push_back("show"); }
    void enableCount(bool enabled) override {
        countEnabled = enabled;
        log.push_back(enabled ? "enable" : "disable");
    }
    void showMessage(const std::string& text) override {
        messages.push_back(text);
        log.push_back("message");
    }
    void searchFailed(const std::string& directory, const std::string& reason) override {
        searchFailures.push_back(directory + ": " + reason);
        log.push_back("search failed");
    }

    // Each row as its five cells joined by blanks.
    Strings rowTexts() const {
        Strings out;
        for (const ResultRow& row : rows) {
            std::string text = row.cells[0];
            for (std::size_t c = 1; c < row.cells.size(); ++c) {
                text += ' ' + row.cells[c];
            }
            out.push_back(text);
        }
        return out;
    }

    Strings column(std::size_t c) const {
        Strings out;
        for (const ResultRow& row : rows) {
            out.push_back(row.cells[c]);
        }
        return out;
    }
};

}  // namespace lw::testing_support

#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace lw::cli {

// Where the program's messages go: standard error, one line each, with the progress line of a
// run on a terminal erased before each so that the two never mix.
class Messages {
  public:
    // A one-line count of the files done, shown only on a terminal and once a run has lasted
    // long enough for a user to wonder.
    void startProgress(bool enabled);
    void fileDone();
    // Erases the progress line, so that a message or the end of the run leaves no trace of it.
    void eraseProgress();

    // A run's message (count/), folded onto one line.
    void message(std::string_view text);
    // "cannot search DIRECTORY: REASON" after the prefix; the empty directory stands for the root.
    void searchFailure(std::string_view prefix, const std::string& directory,
                       const std::string& reason);
    // The line that follows a usage error.
    void tryHelp();

  private:
    using Clock = std::chrono::steady_clock;

    bool enabled_ = false;
    bool shown_ = false;
    unsigned long long files_ = 0;
    Clock::time_point started_;
    Clock::time_point lastShown_;
};

// Writes the program's output and closes standard output, so that a failure anywhere on the way,
// the final flush and close included, is seen: output that did not arrive is reported, never
// passed off as success. A reader that went away (a broken pipe) ends the program quietly.
// Returns the exit status so far: 0, or 1 when the output did not arrive.
int writeOutput(std::string_view text, Messages& messages);

// The program's output written in pieces as it is made, then ended as writeOutput ends it. After
// a failure nothing more is written, and the end reports the first failure.
class OutputWriter {
  public:
    void write(std::string_view text);
    int finish(std::string_view rest, Messages& messages);

  private:
    int error_ = 0;
};

}  // namespace lw::cli

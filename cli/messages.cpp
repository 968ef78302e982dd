#include "cli/messages.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "cli/text_escape.h"
#include "count/path_text.h"

namespace lw::cli {

namespace {

void writeAll(std::string_view text, std::FILE* stream) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace

void Messages::startProgress(bool enabled) {
    enabled_ = enabled;
    started_ = Clock::now();
}

void Messages::fileDone() {
    ++files_;
    if (!enabled_ || (files_ & 15) != 0) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (now - started_ < std::chrono::milliseconds(500) ||
        (shown_ && now - lastShown_ < std::chrono::milliseconds(100))) {
        return;
    }
    lastShown_ = now;
    shown_ = true;
    std::fprintf(stderr, "\rlinewright-count: %llu files", files_);
    std::fflush(stderr);
}

void Messages::eraseProgress() {
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        shown_ = false;
    }
}

void Messages::message(std::string_view text) {
    eraseProgress();
    writeAll(messageLine(text), stderr);
}

void Messages::searchFailure(std::string_view prefix, const std::string& directory,
                             const std::string& reason) {
    eraseProgress();
    writeAll(searchFailureLine(prefix, directory.empty() ? std::string(1, kSeparator) : directory,
                               reason),
             stderr);
}

void Messages::tryHelp() {
    writeAll("Try 'linewright-count --help' for more information.\n", stderr);
}

int writeOutput(std::string_view text, Messages& messages) {
    return OutputWriter().finish(text, messages);
}

void OutputWriter::write(std::string_view text) {
    if (error_ != 0) {
        return;
    }
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::ferror(stdout) != 0) {
        error_ = errno != 0 ? errno : EIO;
    }
}

int OutputWriter::finish(std::string_view rest, Messages& messages) {
    write(rest);
    int error = error_;
    errno = 0;
    if (error == 0 && (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) {
        error = errno != 0 ? errno : EIO;
    }
    if (std::fclose(stdout) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (error == 0) {
        return 0;
    }
    if (error != EPIPE) {
        // An error number of the C runtime, whose text is strerror's on every system.
        messages.message("cannot write the output: " + std::generic_category().message(error));
    }
    return 1;
}

}  // namespace lw::cli

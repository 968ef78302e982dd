// classifyFile throughput: on generated C text, and on single 10 MB lines built to make a naive
// marker search quadratic.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "count/line_classifier.h"
#include "count/line_source.h"

namespace {

// Serves a string as a file, one read at a time, without touching the disk.
class MemoryFile : public lw::ReadableFile {
  public:
    explicit MemoryFile(std::string_view content) : content_(content) {}
    ssize_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, content_.size() - pos_);
        std::memcpy(buffer, content_.data() + pos_, n);
        pos_ += n;
        return static_cast<ssize_t>(n);
    }

  private:
    std::string_view content_;
    std::size_t pos_ = 0;
};

// Deterministic C-like text: indented statements, braces, blank lines, line comments, block
// comments over several lines, the odd FIXME.
std::string representativeText(std::size_t size) {
    static const char* const kStatements[] = {
        "int count = 0;",
        "for (std::size_t i = 0; i < size; ++i) {",
        "if (buffer[i] == '\\n' && !atEnd) {",
        "result = compute(value, factor) + offset;",
        "return static_cast<int>(total);",
        "static const char* kName = \"example\";",
        "while (node != nullptr && node->next != head) {",
        "std::memcpy(target, source, length * sizeof(Element));",
        "x = a / b;",
        "else",
        "case STATE_IDLE: break;",
        "#include <stdio.h>",
        "void Process(Context& context, const Options& options);",
    };
    static const char* const kComments[] = {
        "// Advance past the separator.",
        "counter += step; // keep in range",
        "/* inline */ value = 1;",
        "// FIXME: handle the overflow case",
    };
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> kind(0, 99);
    std::uniform_int_distribution<std::size_t> statement(0, std::size(kStatements) - 1);
    std::uniform_int_distribution<std::size_t> comment(0, std::size(kComments) - 1);
    std::uniform_int_distribution<int> indent(0, 3);
    std::string text;
    text.reserve(size + 256);
    while (text.size() < size) {
        const int k = kind(rng);
        const std::string pad(static_cast<std::size_t>(indent(rng)) * 4, ' ');
        if (k < 60) {
            text += pad + kStatements[statement(rng)] + "\n";
        } else if (k < 72) {
            text += pad + kComments[comment(rng)] + "\n";
        } else if (k < 80) {
            text += pad + (k % 2 ? "{" : "}") + "\n";
        } else if (k < 90) {
            text += "\n";
        } else if (k < 92) {
            text += pad + "/*\n" + pad + " * Explains the next function.\n" + pad + " */\n";
        } else {
            text += pad + "    call(argument1, argument2);\n";
        }
    }
    return text;
}

void classify(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        MemoryFile file(text);
        lw::FileLineSource source(file);
        lw::LineClassifier classifier{lw::CodePage()};
        benchmark::DoNotOptimize(classifier.classifyFile(source));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

void BM_RepresentativeText(benchmark::State& state) {
    static const std::string text = representativeText(16 << 20);
    classify(state, text);
}
BENCHMARK(BM_RepresentativeText)->Unit(benchmark::kMillisecond);

// The same text on each instruction set, forced.
void BM_RepresentativeTextOn(benchmark::State& state, lw::LineClassifier::ScanPath path) {
    static const std::string text = representativeText(16 << 20);
    if (!lw::LineClassifier::supports(path)) {
        state.SkipWithError("not supported by this processor");
        return;
    }
    for (auto _ : state) {
        MemoryFile file(text);
        lw::FileLineSource source(file);
        lw::LineClassifier classifier(lw::CodePage(), path);
        benchmark::DoNotOptimize(classifier.classifyFile(source));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK_CAPTURE(BM_RepresentativeTextOn, scalar, lw::LineClassifier::ScanPath::Scalar)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RepresentativeTextOn, sse2, lw::LineClassifier::ScanPath::Sse2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RepresentativeTextOn, avx2, lw::LineClassifier::ScanPath::Avx2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RepresentativeTextOn, avx512, lw::LineClassifier::ScanPath::Avx512)
    ->Unit(benchmark::kMillisecond);

void BM_RepresentativeTextByLine(benchmark::State& state) {
    // The same text through readLine and classifyPiece, the way any other LineSource is served.
    static const std::string text = representativeText(16 << 20);
    for (auto _ : state) {
        MemoryFile file(text);
        lw::FileLineSource source(file);
        lw::LineClassifier classifier{lw::CodePage()};
        lw::LinePiece piece;
        while (source.readLine(piece)) {
            classifier.classifyPiece(piece.text, piece.endsLine);
        }
        benchmark::DoNotOptimize(classifier.counts());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_RepresentativeTextByLine)->Unit(benchmark::kMillisecond);

std::string repeated(const char* piece, std::size_t size) {
    std::string text;
    text.reserve(size + 8);
    while (text.size() < size) {
        text += piece;
    }
    return text;
}

void BM_PathologicalLine(benchmark::State& state, const char* piece) {
    const std::string text = repeated(piece, 10 << 20);
    classify(state, text);
}
BENCHMARK_CAPTURE(BM_PathologicalLine, block_comments, "/**/")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PathologicalLine, closings, "a */")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PathologicalLine, line_comments, "//")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PathologicalLine, openings, "/*")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PathologicalLine, almost_fixme, "FIXM")->Unit(benchmark::kMillisecond);

void BM_PathologicalLineStepping(benchmark::State& state, const char* piece) {
    const std::string text = repeated(piece, 10 << 20);
    for (auto _ : state) {
        MemoryFile file(text);
        lw::FileLineSource source(file);
        lw::LineClassifier classifier(lw::CodePage(lw::CodePage::Kind::ShiftJis));
        benchmark::DoNotOptimize(classifier.classifyFile(source));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK_CAPTURE(BM_PathologicalLineStepping, block_comments, "/**/")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PathologicalLineStepping, closings, "a */")->Unit(benchmark::kMillisecond);

class PosixFile : public lw::ReadableFile {
  public:
    explicit PosixFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY)) {}
    ~PosixFile() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ssize_t read(char* buffer, std::size_t size) override { return ::read(fd_, buffer, size); }

  private:
    int fd_;
};

// A 1 GB file without a single line end, from the disk: one line far beyond any buffer. Writing
// it takes a while, so it runs only when LINEWRIGHT_BENCH_HUGE is set.
void BM_HugeFileWithoutLineEnd(benchmark::State& state) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("lw_huge_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "huge.c").string();
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const std::string piece = repeated("x = a /* b */ FIXM /", 1 << 20);
        for (int i = 0; i < 1024 && fd >= 0; ++i) {
            if (::write(fd, piece.data(), 1 << 20) != (1 << 20)) {
                break;
            }
        }
        ::close(fd);
    }
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    for (auto _ : state) {
        PosixFile file(path);
        lw::FileLineSource source(file);
        lw::LineClassifier classifier{lw::CodePage()};
        benchmark::DoNotOptimize(classifier.classifyFile(source));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
    std::filesystem::remove_all(dir);
}

// The *.c and *.h files of a real tree, read into memory up to about 200 MB.
struct TreeText {
    std::string bytes;
    std::vector<std::size_t> ends;  // where each file ends in `bytes`
};

const TreeText& treeText(const char* root) {
    static const TreeText tree = [root] {
        TreeText t;
        constexpr std::size_t kLimit = 200u << 20;
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator it(root, error), end;
             it != end && t.bytes.size() < kLimit; it.increment(error)) {
            const std::filesystem::path& path = it->path();
            if (!it->is_regular_file(error) ||
                (path.extension() != ".c" && path.extension() != ".h")) {
                continue;
            }
            const int fd = ::open(path.c_str(), O_RDONLY);
            if (fd < 0) {
                continue;
            }
            char buffer[1 << 16];
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
                t.bytes.append(buffer, static_cast<std::size_t>(n));
            }
            ::close(fd);
            t.ends.push_back(t.bytes.size());
        }
        return t;
    }();
    return tree;
}

// Each file of the tree classified on its own, as the program does: per-file setup and staging
// count too.
void BM_TreeFiles(benchmark::State& state, const char* root, lw::LineClassifier::ScanPath path) {
    if (!lw::LineClassifier::supports(path)) {
        state.SkipWithError("not supported by this processor");
        return;
    }
    const TreeText& tree = treeText(root);
    for (auto _ : state) {
        std::size_t begin = 0;
        for (const std::size_t end : tree.ends) {
            MemoryFile memory(std::string_view(tree.bytes).substr(begin, end - begin));
            lw::FileLineSource source(memory);
            lw::LineClassifier classifier(lw::CodePage(), path);
            benchmark::DoNotOptimize(classifier.classifyFile(source));
            begin = end;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(tree.bytes.size()));
    state.counters["files"] = static_cast<double>(tree.ends.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("LINEWRIGHT_BENCH_HUGE") != nullptr) {
        benchmark::RegisterBenchmark("BM_HugeFileWithoutLineEnd", BM_HugeFileWithoutLineEnd)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(2);
    }
    if (const char* tree = std::getenv("LINEWRIGHT_BENCH_TREE")) {
        using Path = lw::LineClassifier::ScanPath;
        for (const auto& [name, path] :
             {std::pair{"automatic", Path::Automatic}, std::pair{"avx2", Path::Avx2},
              std::pair{"avx512", Path::Avx512}}) {
            benchmark::RegisterBenchmark((std::string("BM_TreeFiles/") + name).c_str(),
                                         BM_TreeFiles, tree, path)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

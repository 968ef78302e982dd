#include <sys/stat.h>

#include <gtest/gtest.h>

#include "recording_host.h"
#include "temp_tree.h"

namespace lw {
namespace {

using testing_support::RecordingHost;
using testing_support::Strings;
using testing_support::TempTree;

TEST(CountRun, MatchesThatAreNoFiles) {
    TempTree tree;
    tree.file("good.c", "x;\n");
    tree.dir("old.c");
    for (int i = 0; i < 20; ++i) {
        tree.dir("sub" + std::to_string(i));
    }
    ASSERT_EQ(::mkfifo(tree.path("pipe.c").c_str(), 0644), 0);
    tree.link("nowhere", "dangling.c");

    RecordingHost host;
    host.directories = {tree.root()};
    host.extensions = "*";
    CountRun(host);
    // Directories are passed over; the FIFO and the dangling link count as files that failed.
    EXPECT_EQ(host.column(0), Strings{"good.c"});
    EXPECT_EQ(host.messages, (Strings{kFailedToOpenPrefix + tree.path("dangling.c"),
                                      kFailedToOpenPrefix + tree.path("pipe.c")}));
    EXPECT_EQ(host.status, "Files: 3 FIXMEs: 0 Code: 1 Comments: 0 Total: 1");
}

}  // namespace
}  // namespace lw

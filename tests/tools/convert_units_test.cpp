// The pure parts of 'vlmidi convert': the shard split, the walk over the inputs (extensions,
// order, a symbolic link loop), the output path that mirrors an input, and the manifest line.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "convert_manifest.h"
#include "convert_shard.h"
#include "input_walk.h"

namespace vl::cli {
namespace {

TEST(ConvertShard, the_hash_is_fnv1a_64_and_the_shards_partition_the_inputs) {
    // Published FNV-1a 64 values: every machine must compute the same split.
    EXPECT_EQ(fnv1a64(""), 0xcbf29ce484222325ULL);
    EXPECT_EQ(fnv1a64("a"), 0xaf63dc4c8601ec8cULL);
    EXPECT_EQ(fnv1a64("foobar"), 0x85944171f73967e8ULL);

    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i) paths.push_back("set " + std::to_string(i % 7) + "/" +
                                                  std::to_string(i) + ".mid");
    for (const std::uint64_t count : {1, 2, 3, 7}) {
        std::vector<int> owners(paths.size(), 0);
        std::vector<int> sizes(count, 0);
        for (std::uint64_t index = 0; index < count; ++index) {
            for (std::size_t i = 0; i < paths.size(); ++i) {
                if (inShard(paths[i], Shard{index, count})) {
                    ++owners[i];
                    ++sizes[index];
                }
            }
        }
        SCOPED_TRACE(count);
        EXPECT_EQ(owners, std::vector<int>(paths.size(), 1));  // every input in one shard
        for (const int size : sizes) EXPECT_GT(size, 0);       // and none left idle
    }
}

TEST(ConvertShard, parses_K_of_N_with_K_below_N_only) {
    for (const char* good : {"0/1", "2/3", "99/100"}) EXPECT_TRUE(parseShard(good)) << good;
    for (const char* bad : {"3/3", "1/0", "1", "/2", "1/", "-1/2", "a/2", "1/2/3", "1 /2"}) {
        EXPECT_FALSE(parseShard(bad)) << bad;
    }
    EXPECT_EQ(parseShard("2/3")->index, 2U);
    EXPECT_EQ(parseShard("2/3")->count, 3U);
}

TEST(ConvertPaths, outputs_mirror_the_relative_path_with_the_new_extension) {
    struct Row {
        const char* folder;
        const char* relative;
        const char* output;
    };
    for (const Row& row : {Row{"out", "a/b.mid", "out/a/b.musicxml"},
                           Row{"out/", "Song.MIDI", "out/Song.musicxml"},
                           Row{"out", "v1.2/song", "out/v1.2/song.musicxml"},
                           Row{"out", "a/.mid", "out/a/.mid.musicxml"}}) {
        EXPECT_EQ(mirroredOutputPath(row.folder, row.relative, ".musicxml"), row.output);
    }
    for (const char* name : {"a.mid", "a.MIDI", "a.Kar", "a.rmi"}) {
        EXPECT_TRUE(hasMidiExtension(name)) << name;
    }
    for (const char* name : {"a.mi", "a.midx", "mid", "a.mid.txt", "a.xmid"}) {
        EXPECT_FALSE(hasMidiExtension(name)) << name;
    }
}

class InputWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("vlmidi-walk-" + std::to_string(::getpid()));
        std::filesystem::create_directories(root_ / "in/sub/deeper");
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    void touch(const std::string& relative) { std::ofstream(root_ / relative) << "x"; }

    std::filesystem::path root_;
};

TEST_F(InputWalkTest, finds_midi_files_in_order_and_walks_a_linked_loop_once) {
    touch("in/b.mid");
    touch("in/a.KAR");
    touch("in/notes.txt");
    touch("in/sub/deeper/c.midi");
    touch("in/sub/z.rmi");
    std::filesystem::create_directory_symlink("..", root_ / "in/sub/loop");
    std::filesystem::create_symlink("nowhere.mid", root_ / "in/sub/broken.mid");

    const std::string in = (root_ / "in").string();
    const InputWalk walk = walkInputs({in, (root_ / "in/notes.txt").string()});
    std::vector<std::string> relative;
    for (const InputFile& input : walk.inputs) {
        relative.push_back(input.relative);
        EXPECT_EQ(input.path, input.relative == "notes.txt" ? in + "/notes.txt"
                                                            : in + "/" + input.relative);
    }
    // A named file counts whatever its extension; a link to nowhere is an input that will be
    // reported unreadable.
    EXPECT_EQ(relative, (std::vector<std::string>{"a.KAR", "b.mid", "sub/broken.mid",
                                                  "sub/z.rmi", "sub/deeper/c.midi",
                                                  "notes.txt"}));
    ASSERT_EQ(walk.problems.size(), 1U);
    EXPECT_EQ(walk.problems[0].path, in + "/sub/loop");
    EXPECT_FALSE(walk.problems[0].filesLost);
}

TEST(ConvertManifest, one_json_line_with_nulls_for_what_a_failed_file_lacks) {
    ConvertOutcome done;
    done.input = "in/\"odd\".mid";
    done.output = "out/\"odd\".musicxml";
    done.counts = ScoreCounts{120, 3, 16};
    done.milliseconds = 42;
    EXPECT_EQ(manifestLine(done),
              R"({"input": "in/\"odd\".mid", "output": "out/\"odd\".musicxml", "status": "ok", )"
              R"("notes": 120, "strands": 3, "bars": 16, "milliseconds": 42, "error": null})"
              "\n");
    ConvertOutcome failed;
    failed.input = "a.mid";
    failed.output = "a.json";
    failed.status = ConvertStatus::Timeout;
    failed.error = "stopped";
    EXPECT_EQ(manifestLine(failed),
              R"({"input": "a.mid", "output": "a.json", "status": "timeout", "notes": null, )"
              R"("strands": null, "bars": null, "milliseconds": 0, "error": "stopped"})"
              "\n");
}

}  // namespace
}  // namespace vl::cli

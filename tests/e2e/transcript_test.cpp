// Every case file in cases/ as a test of its own, transcript.<file name>:
// the console run on the case's state and input, its whole output and its
// exit code compared with the case's. The format's own tests come first.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "console_runner.h"
#include "transcript.h"

namespace {

using e2e::parseTranscript;
using e2e::Transcript;
using e2e::TranscriptError;

TEST(TranscriptFormat, SectionsAndDefaults) {
    const Transcript plain = parseTranscript(
        "What the case is about,\n"
        "in as many lines as it takes.\n"
        "=== input\n"
        "yq\n"
        "=== output\n"
        "Use HXAPI ? Y/N\n"
        "> \\\n",
        "plain");
    EXPECT_EQ(plain.input, "yq\n");
    EXPECT_EQ(plain.output, "Use HXAPI ? Y/N\n> ");
    EXPECT_FALSE(plain.state);
    EXPECT_TRUE(plain.stateFile);
    EXPECT_TRUE(plain.files.empty());
    EXPECT_EQ(plain.exitCode, 0);

    const Transcript full = parseTranscript(
        "=== state\n"
        "{\"clock\": 1,\n"
        " \"ports\": []}\n"
        "=== file my script.txt\n"
        "? wd\n"
        "=== file b.txt\n"
        "=== input\n"
        "=== output\n"
        "\n"
        "=== exit 3\n"
        "\n"
        "=== env TALO_SENSE_TEXT=1\n"
        "=== env EMPTY=\n",
        "full");
    EXPECT_EQ(full.state, "{\"clock\": 1,\n \"ports\": []}\n");
    EXPECT_EQ(full.files, (std::map<std::string, std::string>{{"my script.txt", "? wd\n"}, {"b.txt", ""}}));
    EXPECT_EQ(full.input, "");
    EXPECT_EQ(full.output, "\n");
    EXPECT_EQ(full.exitCode, 3);
    EXPECT_EQ(full.environment,
              (std::map<std::string, std::string>{{"TALO_SENSE_TEXT", "1"}, {"EMPTY", ""}}));

    const Transcript none = parseTranscript("=== no state file\n=== output\nx", "none");
    EXPECT_FALSE(none.stateFile);
    EXPECT_EQ(none.output, "x\n");  // the file's last line ends in a line feed all the same
}

TEST(TranscriptFormat, Escapes) {
    const Transcript t = parseTranscript(
        "=== input\n"
        "\\xff\\x00\\x7F\\\n"
        "=== output\n"
        "a\\tb\\\\c\\ad\\r\n"
        "two\\nlines\\\\\n"
        "end\\x20\\\n"
        "\\x3d== not a section\\\n",
        "escapes");
    EXPECT_EQ(t.input, std::string("\xff\x00\x7f", 3));
    EXPECT_EQ(t.output, "a\tb\\c\ad\r\ntwo\nlines\\\nend === not a section");
}

TEST(TranscriptFormat, MistakesAreReportedWithTheirLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"=== output\nx\\q\n", "m:2: unknown escape \\q"},
        {"=== output\n\\x4\n", "m:2: \\x takes two hexadecimal digits"},
        {"=== output\nx \n", "m:2: a blank at the end of a line; write the last one as \\x20 (\\t for a tab)"},
        {"=== output\nx\r\n", "m:2: a carriage return in the file; write it as \\r"},
        {"=== input\nq\n", "m:2: no 'output' section"},
        {"=== output\n=== output\n", "m:2: a second 'output' section"},
        {"=== state\n{}\n=== no state file\n=== output\n", "m:3: a second 'state' section"},
        {"=== state\n{\n=== output\n", "m:1: the state is not valid JSON"},
        {"=== exit\n=== output\n", "m:1: 'exit' needs a number"},
        {"=== exit 1x\n=== output\n", "m:1: 'exit' needs a number"},
        {"=== exit 1\n2\n=== output\n", "m:2: this section takes no lines (section at line 1)"},
        {"=== file\n=== output\n", "m:1: 'file' needs a file name"},
        {"=== env X\n=== output\n", "m:1: 'env' needs NAME=VALUE"},
        {"=== env X=1\n=== env X=2\n=== output\n", "m:2: a second 'env X' section"},
        {"=== inputs\n=== output\n", "m:1: unknown section 'inputs'"},
        {"=== input now\n=== output\n", "m:1: unexpected words after 'input'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            parseTranscript(c.text, "m");
            ADD_FAILURE() << "accepted";
        } catch (const TranscriptError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class TranscriptCase : public testing::Test {
public:
    TranscriptCase(std::filesystem::path path, std::string problem)
        : path_(std::move(path)), problem_(std::move(problem)) {}

    void TestBody() override {
        ASSERT_TRUE(problem_.empty()) << problem_;
        Transcript t;
        try {
            t = parseTranscript(readFile(path_), path_.string());
        } catch (const TranscriptError& e) {
            FAIL() << e.what();
        }
        e2e::RunOptions options;
        options.simulatorFile = t.stateFile;
        options.files = t.files;
        options.environment = t.environment;
        if (t.state) options.files["state.json"] = *t.state;
        const e2e::RunResult run = e2e::runConsole(t.input, options);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.output, t.output);
        EXPECT_EQ(run.exitCode, t.exitCode);
    }

private:
    std::filesystem::path path_;
    std::string problem_;
};

// Test names are matched as filters, where a '-' would start an exclusion
// and other punctuation may match more than the one test.
std::string problemWithName(const std::string& name) {
    const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
    return plain ? "" : "name the case file with letters, digits and underscores only";
}

[[maybe_unused]] const bool registered = [] {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(TRANSCRIPT_DIR)) {
        if (entry.path().extension() == ".txt") paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
        const std::string stem = path.stem().string();
        std::string problem = problemWithName(stem);
        std::string name = stem;
        if (!problem.empty()) {
            for (char& c : name) {
                if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
            }
        }
        testing::RegisterTest("transcript", name.c_str(), nullptr, nullptr, path.string().c_str(), 1,
                              [=]() -> testing::Test* { return new TranscriptCase(path, problem); });
    }
    return true;
}();

}  // namespace

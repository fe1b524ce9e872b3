#include "transcript.h"

#include <cctype>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

namespace e2e {

namespace {

struct Line {
    int number;
    std::string text;
};

std::vector<Line> splitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t at = 0;
    int number = 1;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back({number++, text.substr(at, end - at)});
        at = end + 1;
    }
    return lines;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Parser {
public:
    explicit Parser(std::string name) : name_(std::move(name)) {}

    [[noreturn]] void fail(int line, const std::string& message) const {
        throw TranscriptError(name_ + ":" + std::to_string(line) + ": " + message);
    }

    // The bytes a content line stands for: its text with the escapes
    // replaced, and a line feed unless the line ends in a backslash.
    std::string decode(const Line& line) const {
        const std::string& t = line.text;
        if (t.find('\r') != std::string::npos) {
            fail(line.number, "a carriage return in the file; write it as \\r");
        }
        if (!t.empty() && (t.back() == ' ' || t.back() == '\t')) {
            fail(line.number, "a blank at the end of a line; write the last one as \\x20 (\\t for a tab)");
        }
        std::string bytes;
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (t[i] != '\\') {
                bytes += t[i];
                continue;
            }
            if (++i == t.size()) return bytes;  // no line feed
            switch (t[i]) {
                case '\\': bytes += '\\'; break;
                case 'n': bytes += '\n'; break;
                case 'r': bytes += '\r'; break;
                case 't': bytes += '\t'; break;
                case 'a': bytes += '\a'; break;
                case 'x': {
                    const int high = i + 1 < t.size() ? hexDigit(t[i + 1]) : -1;
                    const int low = i + 2 < t.size() ? hexDigit(t[i + 2]) : -1;
                    if (high < 0 || low < 0) fail(line.number, "\\x takes two hexadecimal digits");
                    bytes += static_cast<char>(high * 16 + low);
                    i += 2;
                    break;
                }
                default:
                    fail(line.number, std::string("unknown escape \\") + t[i]);
            }
        }
        return bytes + '\n';
    }

    std::string content(const std::vector<Line>& body) const {
        std::string bytes;
        for (const Line& line : body) bytes += decode(line);
        return bytes;
    }

    void noBody(int header, const std::vector<Line>& body) const {
        for (const Line& line : body) {
            if (line.text.find_first_not_of(" \t") != std::string::npos) {
                fail(line.number, "this section takes no lines (section at line " +
                                      std::to_string(header) + ")");
            }
        }
    }

    void section(const Line& header, const std::vector<Line>& body, Transcript& t) {
        std::string words = header.text.substr(3);
        const std::size_t first = words.find_first_not_of(' ');
        words = first == std::string::npos ? "" : words.substr(first);
        while (!words.empty() && words.back() == ' ') words.pop_back();
        const std::size_t blank = words.find(' ');
        const std::string keyword = words.substr(0, blank);
        const std::string argument = blank == std::string::npos ? "" : words.substr(blank + 1);
        const auto once = [&](const std::string& what) {
            if (!seen_.insert(what).second) fail(header.number, "a second '" + what + "' section");
        };
        if (keyword == "file") {
            if (argument.empty()) fail(header.number, "'file' needs a file name");
            once("file " + argument);
            t.files[argument] = content(body);
        } else if (keyword == "env") {
            const std::size_t equals = argument.find('=');
            if (equals == std::string::npos || equals == 0) {
                fail(header.number, "'env' needs NAME=VALUE");
            }
            once("env " + argument.substr(0, equals));
            noBody(header.number, body);
            t.environment[argument.substr(0, equals)] = argument.substr(equals + 1);
        } else if (!argument.empty() && words != "no state file" && keyword != "exit") {
            fail(header.number, "unexpected words after '" + keyword + "'");
        } else if (keyword == "input") {
            once(keyword);
            t.input = content(body);
        } else if (keyword == "output") {
            once(keyword);
            t.output = content(body);
        } else if (keyword == "state") {
            once("state");
            std::string json;
            for (const Line& line : body) json += line.text + "\n";
            if (!nlohmann::json::accept(json)) fail(header.number, "the state is not valid JSON");
            t.state = json;
        } else if (words == "no state file") {
            once("state");
            noBody(header.number, body);
            t.stateFile = false;
        } else if (keyword == "exit") {
            once(keyword);
            noBody(header.number, body);
            std::size_t used = 0;
            try {
                t.exitCode = std::stoi(argument, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used == 0 || used != argument.size()) fail(header.number, "'exit' needs a number");
        } else {
            fail(header.number, "unknown section '" + words + "'");
        }
    }

    Transcript parse(const std::string& text) {
        Transcript t;
        const std::vector<Line> lines = splitLines(text);
        std::size_t i = 0;
        while (i < lines.size() && lines[i].text.rfind("===", 0) != 0) ++i;  // the description
        while (i < lines.size()) {
            const Line& header = lines[i++];
            std::vector<Line> body;
            while (i < lines.size() && lines[i].text.rfind("===", 0) != 0) body.push_back(lines[i++]);
            section(header, body, t);
        }
        if (!seen_.count("output")) fail(static_cast<int>(lines.size()), "no 'output' section");
        return t;
    }

private:
    std::string name_;
    std::set<std::string> seen_;
};

}  // namespace

Transcript parseTranscript(const std::string& text, const std::string& name) {
    return Parser(name).parse(text);
}

}  // namespace e2e

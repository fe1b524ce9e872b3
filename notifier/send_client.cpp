#include "notifier/send_client.h"

#include <optional>

#include "notifier/pipe_message.h"

namespace notifier {
namespace {

int usage(std::FILE* err, const char* problem) {
    std::fprintf(err, "eventtray-send: %s\nusage: eventtray-send [--type N] [--terminate] PIPE [TEXT...]\n", problem);
    return 2;
}

}  // namespace

int runSendClient(const std::vector<std::string>& args, PipeClient& client, std::FILE* err) {
    std::optional<std::int32_t> type;
    bool terminate = false;
    std::vector<std::string> words;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
        } else if (options && a == "--type") {
            if (i + 1 >= args.size()) return usage(err, "--type needs a value");
            const std::string& value = args[++i];
            // The notifier skips two characters after the "#" whatever the
            // number's length: only one digit keeps the text whole.
            if (value.size() != 1 || value[0] < '0' || value[0] > '9')
                return usage(err, "the type is one digit, 0 to 9");
            type = value[0] - '0';
        } else if (options && a == "--terminate") {
            terminate = true;
        } else if (options && a.size() > 1 && a[0] == '-' && a != "-") {
            return usage(err, ("unknown option " + a).c_str());
        } else {
            words.push_back(a);
        }
    }
    if (words.empty()) return usage(err, "no pipe given");
    if (words.size() == 1 && !terminate) return usage(err, "nothing to send");

    std::string why;
    if (!client.connect(words[0], why)) {
        std::fprintf(err, "eventtray-send: cannot reach %s: %s\n", words[0].c_str(), why.c_str());
        return 1;
    }
    std::vector<std::string> messages;
    for (std::size_t i = 1; i < words.size(); ++i) messages.push_back(encodeMessage(type, utf8ToUtf16(words[i])));
    if (terminate) messages.push_back(encodeMessage(std::nullopt, kTerminateRequest));
    for (const std::string& m : messages) {
        if (m.size() > kMaxMessageBytes) {
            std::fprintf(err, "eventtray-send: note: a message of %zu bytes is cut to %zu by the notifier\n",
                         m.size(), kMaxMessageBytes);
        }
        if (!client.write(m, why)) {
            std::fprintf(err, "eventtray-send: cannot write to %s: %s\n", words[0].c_str(), why.c_str());
            return 1;
        }
    }
    if (!client.finish(why)) {
        std::fprintf(err, "eventtray-send: %s: %s\n", words[0].c_str(), why.c_str());
        return 1;
    }
    return 0;
}

}  // namespace notifier

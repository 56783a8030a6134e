#include "reply_summary.h"

#include <algorithm>
#include <map>
#include <vector>

#include "message_groups.h"
#include "xml/document.h"

namespace cli {

namespace {

constexpr std::size_t kMessagesShown = 5;
constexpr std::size_t kFailuresShown = 10;

std::size_t RecordsSent(const std::string& request, const std::string& recordTag) {
    xml::Document doc;
    if (doc.Load(request).status != xml::ParseStatus::kOk) return 0;
    return doc.Root().Children(recordTag).size();
}

struct Tally {
    std::map<std::string, std::size_t> codes;  // result code: results
    // By the catalog message each was made from, in order of first appearance: the group, the
    // first text met, the count.
    struct Group {
        std::string key;
        std::string example;
        std::size_t count;
    };
    std::vector<Group> messages;
    MessageGroups groups;
    std::size_t batchFaults = 0;
    std::string requestAnswer;          // a reply with a code of its own answers the whole request
    bool trial = false;                 // the reply of a validate-only request
    std::vector<std::string> failures;  // "n key code message" of the first records not written

    void Count(const std::string& message) {
        auto known = keys.find(message);
        if (known == keys.end()) known = keys.emplace(message, groups.GroupOf(message)).first;
        const std::string& key = known->second;
        auto it = std::find_if(messages.begin(), messages.end(),
                               [&](const Group& g) { return g.key == key; });
        if (it == messages.end()) {
            messages.push_back({key, message, 1});
        } else {
            ++it->count;
        }
    }
    std::map<std::string, std::string> keys;  // the group of each text met
};

Tally TallyReply(const std::string& reply) {
    Tally tally;
    xml::Document doc;
    if (doc.Load(reply).status != xml::ParseStatus::kOk) return tally;
    xml::Element root = doc.Root();
    tally.trial = root.GetAttribute("mode") == "validate";
    if (root.HasAttribute("code"))
        tally.requestAnswer = root.GetAttribute("code") + " " + root.GetAttribute("message");
    for (xml::Element result : root.Children("result")) {
        std::string code = result.GetAttribute("code");
        if (code == "999") {
            ++tally.batchFaults;  // "Item": the fault, not a record
        } else {
            ++tally.codes[code];
        }
        if (code != "0" && tally.failures.size() < kFailuresShown)
            tally.failures.push_back(result.GetAttribute("n") + " " + result.GetAttribute("key") +
                                     " " + code + " " + result.GetAttribute("message"));
        tally.Count(result.GetAttribute("message"));
    }
    return tally;
}

std::size_t Take(std::map<std::string, std::size_t>& codes, const std::string& code) {
    auto it = codes.find(code);
    if (it == codes.end()) return 0;
    std::size_t n = it->second;
    codes.erase(it);
    return n;
}

}  // namespace

bool IsServerReply(const std::string& reply) {
    return reply.rfind("<reply ", 0) == 0;
}

bool AnswersNoRecord(const std::string& reply) {
    const std::string start = reply.substr(0, reply.find('>'));
    return IsServerReply(reply) && start.find(" code=") == std::string::npos &&
           reply.find("<result ") == std::string::npos;
}

int ExitCodeOfReply(const std::string& reply) {
    // An export echoes the request's root and holds rows, however many: it is not parsed.
    if (!IsServerReply(reply)) return kDone;
    const Tally tally = TallyReply(reply);
    if (!tally.requestAnswer.empty()) return kRefused;
    if (tally.batchFaults > 0) return kSomeFailed;
    for (const auto& [code, n] : tally.codes)
        if (code != "0") return kSomeFailed;
    return kDone;
}

std::string ReplySummary(const std::string& request, const std::string& reply,
                         const std::string& recordTag) {
    std::size_t sent = RecordsSent(request, recordTag);
    Tally tally = TallyReply(reply);
    std::size_t answered = 0;
    for (const auto& [code, n] : tally.codes) answered += n;

    std::string out;
    if (tally.trial) out += "validate-only: what a real run would do; nothing was written\n";
    out += "records sent: " + std::to_string(sent) + "\n";
    auto line = [&out](const std::string& label, std::size_t n) {
        out += label + ": " + std::to_string(n) + "\n";
    };
    line(tally.trial ? "would be written" : "written", Take(tally.codes, "0"));
    line("rejected", Take(tally.codes, "101"));
    line("not written", Take(tally.codes, "100"));
    for (const auto& [code, n] : tally.codes) line("code " + code, n);
    line("not reached", sent > answered ? sent - answered : 0);
    line("batch fault", tally.batchFaults);
    if (!tally.requestAnswer.empty()) out += "request answered: " + tally.requestAnswer + "\n";
    if (!tally.failures.empty()) out += "first records not written (n key code message):\n";
    for (const std::string& failure : tally.failures) out += "  " + failure + "\n";

    std::stable_sort(tally.messages.begin(), tally.messages.end(),
                     [](const auto& a, const auto& b) { return a.count > b.count; });
    if (!tally.messages.empty()) out += "most frequent messages:\n";
    for (std::size_t i = 0; i < tally.messages.size() && i < kMessagesShown; ++i) {
        const Tally::Group& g = tally.messages[i];
        out += "  " + std::to_string(g.count) + " " +
               (g.key == g.example ? g.example : g.key + ", e.g. " + g.example) + "\n";
    }
    return out;
}

}  // namespace cli

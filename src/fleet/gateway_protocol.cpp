#include "fleet/gateway_protocol.h"

#include "base/ui_text.h"
#include "base/whole_number.h"
#include "model/charset.h"
#include "sign/send_address.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr std::string_view kTopicRoot = "lumavane/";
constexpr std::size_t kMaxIdLength = 64;

bool usableId(std::string_view id) {
    if (id.empty() || id.size() > kMaxIdLength)
        return false;
    for (char c : id) {
        const bool word = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                          (c >= 'A' && c <= 'Z') || c == '-' || c == '_' || c == '.';
        if (!word)
            return false;
    }
    return true;
}

// The number of a user property within bounds; none when it is missing or out of them.
std::optional<int> boundedProperty(const TBrokerMessage& message, std::string_view name, int low,
                                   int high) {
    const std::optional<std::string> text = message.property(name);
    if (!text)
        return std::nullopt;
    const std::optional<long long> number = parseWholeNumber(*text, TNumberForm::Digits);
    if (!number || *number < low || *number > high)
        return std::nullopt;
    return static_cast<int>(*number);
}

// The refusal of a send's own values; empty when the send can be done.
std::string sendProblem(const TBrokerMessage& message, TGatewayCommand& command) {
    const std::optional<int> start = boundedProperty(message, "line", kMinStartLine, kMaxStartLine);
    const std::optional<int> width =
        boundedProperty(message, "width", kMinLineWidth, kMaxLineWidth);
    if (!start)
        return "its line is not a whole number from 0 to 99";
    if (!width)
        return "its width is not a whole number from 1 to 999";
    const std::size_t nul = message.payload.find('\0');
    if (nul != std::string::npos)
        return "its message holds a NUL byte at offset " + std::to_string(nul);
    // Without a NUL, a message holds a block line unless it is empty.
    if (message.payload.empty())
        return "its message holds no block line";
    command.start = *start;
    command.width = *width;
    command.message = message.payload;
    return {};
}

// Appends `text` as a JSON string. Valid UTF-8 goes as it is; any other byte is read in the
// system's character set, so that the JSON is always valid.
void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else {
            std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 0;
            bool valid = length > 0 && byte < 0xF5 && i + length <= text.size();
            for (std::size_t k = 1; valid && k < length; ++k)
                valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            if (valid) {
                out.append(text.substr(i, length));
                i += length - 1;
                continue;
            }
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned{cp1252ToUnicode(byte)});
            out += escape;
        }
    }
    out += '"';
}

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A reader of one flat JSON object: string keys, values that are strings, numbers, true, false
// or null. Values are kept as text (strings decoded).
class FlatJson {
public:
    explicit FlatJson(std::string_view text)
        : text_(text) {}

    std::optional<std::map<std::string, std::string>> read() {
        std::map<std::string, std::string> values;
        if (!take('{'))
            return std::nullopt;
        if (take('}'))
            return end() ? std::optional(values) : std::nullopt;
        do {
            std::string key;
            std::string value;
            if (!string(key) || !take(':') || !scalar(value))
                return std::nullopt;
            values[key] = value;
        } while (take(','));
        if (!take('}') || !end())
            return std::nullopt;
        return values;
    }

private:
    void skipSpace() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }
    bool take(char c) {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool end() {
        skipSpace();
        return pos_ == text_.size();
    }
    bool string(std::string& out) {
        if (!take('"'))
            return false;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
            } else if (!escape(out)) {
                return false;
            }
        }
        return false;
    }
    bool escape(std::string& out) {
        if (pos_ >= text_.size())
            return false;
        const char c = text_[pos_++];
        const std::string_view simple = "\"\\/bfnrt";
        const std::string_view meant = "\"\\/\b\f\n\r\t";
        if (const std::size_t at = simple.find(c); at != std::string_view::npos) {
            out += meant[at];
            return true;
        }
        unsigned code = 0;
        if (c != 'u' || pos_ + 4 > text_.size() ||
            std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, code, 16).ptr !=
                text_.data() + pos_ + 4)
            return false;
        pos_ += 4;
        appendUtf8(out, code);
        return true;
    }
    bool scalar(std::string& out) {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == '"')
            return string(out);
        const std::size_t start = pos_;
        while (pos_ < text_.size() &&
               std::string_view("+-.0123456789eEtruefalsn").find(text_[pos_]) !=
                   std::string_view::npos)
            ++pos_;
        out = text_.substr(start, pos_ - start);
        return !out.empty();
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

std::size_t countOf(const std::map<std::string, std::string>& values, const std::string& key) {
    const auto found = values.find(key);
    if (found == values.end())
        return 0;
    const std::optional<long long> number = parseWholeNumber(found->second, TNumberForm::Digits);
    return number ? static_cast<std::size_t>(*number) : 0;
}

std::string textOf(const std::map<std::string, std::string>& values, const std::string& key) {
    const auto found = values.find(key);
    return found == values.end() ? std::string() : found->second;
}

void appendField(std::string& out, std::string_view key, std::string_view text) {
    out += out.size() > 1 ? "," : "";
    appendJsonString(out, key);
    out += ':';
    appendJsonString(out, text);
}

void appendNumber(std::string& out, std::string_view key, std::string_view number) {
    out += out.size() > 1 ? "," : "";
    appendJsonString(out, key);
    out += ':';
    out += number;
}

std::string commonJson(const TGatewayResult& r) {
    std::string out = "{";
    appendField(out, "id", r.id);
    appendField(out, "result", r.result);
    appendNumber(out, "bytes", std::to_string(r.bytes));
    appendNumber(out, "total", std::to_string(r.total));
    appendNumber(out, "handed", r.handed ? "true" : "false");
    appendField(out, "reason", r.reason);
    return out;
}

} // namespace

std::string topicNameProblem(std::string_view name) {
    if (name.empty())
        return uiText("GatewaySettings", "it is empty");
    for (char c : name) {
        if (c == '/' || c == '+' || c == '#')
            return fillIn(uiText("GatewaySettings", "it holds '%1', which a topic level cannot"),
                          {std::string(1, c)});
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            return uiText("GatewaySettings", "it holds a character other than printable ASCII");
    }
    return {};
}

std::string availabilityTopic(std::string_view gateway) {
    return std::string(kTopicRoot) + std::string(gateway) + "/availability";
}

std::string signTopic(std::string_view gateway, std::string_view sign, std::string_view kind) {
    return std::string(kTopicRoot) + std::string(gateway) + "/" + std::string(sign) + "/" +
           std::string(kind);
}

std::optional<TSignTopic> parseSignTopic(std::string_view topic) {
    if (!topic.starts_with(kTopicRoot))
        return std::nullopt;
    topic.remove_prefix(kTopicRoot.size());
    std::vector<std::string> levels;
    for (std::size_t slash; (slash = topic.find('/')) != std::string_view::npos;) {
        levels.emplace_back(topic.substr(0, slash));
        topic.remove_prefix(slash + 1);
    }
    levels.emplace_back(topic);
    if (levels.size() != 3 || levels[0].empty() || levels[1].empty())
        return std::nullopt;
    return TSignTopic{levels[0], levels[1], levels[2]};
}

std::string newCommandId() {
    static thread_local std::mt19937_64 random{std::random_device{}() ^
                                               (std::uint64_t{std::random_device{}()} << 32)};
    char id[33];
    std::snprintf(id, sizeof id, "%016llx%016llx", static_cast<unsigned long long>(random()),
                  static_cast<unsigned long long>(random()));
    return id;
}

TBrokerMessage commandMessage(const TGatewayCommand& command, std::string_view gateway,
                              std::string_view sign, std::uint32_t expiry) {
    TBrokerMessage message;
    message.topic = signTopic(gateway, sign, "send");
    message.qos = 1;
    message.expiry = expiry;
    message.properties.emplace_back("id", command.id);
    if (command.kind == TGatewayCommand::Kind::Cancel) {
        message.properties.emplace_back("command", "cancel");
        return message;
    }
    message.properties.emplace_back("command", "send");
    message.properties.emplace_back("line", std::to_string(command.start));
    message.properties.emplace_back("width", std::to_string(command.width));
    message.payload = command.message;
    return message;
}

TCommandCheck checkCommand(const TBrokerMessage& message) {
    TCommandCheck check;
    const std::optional<std::string> id = message.property("id");
    if (id && usableId(*id))
        check.id = *id;
    if (message.retain) {
        check.refusal = "a command is never retained";
    } else if (!message.expiry) {
        check.refusal = "a command must carry a message expiry interval";
    } else if (check.id.empty()) {
        check.refusal = "the command has no usable id (1 to 64 letters, digits, '-', '_', '.')";
    } else {
        TGatewayCommand command;
        command.id = check.id;
        const std::string kind = message.property("command").value_or("");
        if (kind == "cancel") {
            command.kind = TGatewayCommand::Kind::Cancel;
        } else if (kind != "send") {
            check.refusal = "\"" + kind + "\" is no command (send or cancel)";
        } else {
            check.refusal = sendProblem(message, command);
        }
        if (check.refusal.empty())
            check.command = std::move(command);
    }
    return check;
}

std::string resultJson(const TGatewayResult& result) {
    std::string out = commonJson(result);
    if (!result.final()) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", result.seconds);
        appendNumber(out, "seconds", seconds);
    }
    return out + "}";
}

std::string stateJson(const TGatewayResult& state) {
    std::string out = commonJson(state);
    appendField(out, "time", state.time);
    appendField(out, "sha256", state.sha256);
    return out + "}";
}

std::optional<TGatewayResult> readResult(std::string_view json) {
    const auto values = FlatJson(json).read();
    if (!values || !values->contains("id") || !values->contains("result"))
        return std::nullopt;
    TGatewayResult r;
    r.id = textOf(*values, "id");
    r.result = textOf(*values, "result");
    r.bytes = countOf(*values, "bytes");
    r.total = countOf(*values, "total");
    r.reason = textOf(*values, "reason");
    r.handed = textOf(*values, "handed") == "true";
    r.time = textOf(*values, "time");
    r.sha256 = textOf(*values, "sha256");
    const std::string seconds = textOf(*values, "seconds");
    std::from_chars(seconds.data(), seconds.data() + seconds.size(), r.seconds);
    return r;
}

std::string utcTime(std::int64_t secondsSinceEpoch) {
    const std::time_t time = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::optional<std::string> TDoneCommands::resultOf(const std::string& id) const {
    const auto found = results_.find(id);
    if (found == results_.end())
        return std::nullopt;
    return found->second;
}

void TDoneCommands::remember(const std::string& id, std::string resultJson) {
    if (results_.insert_or_assign(id, std::move(resultJson)).second)
        order_.push_back(id);
    while (order_.size() > capacity_) {
        results_.erase(order_.front());
        order_.pop_front();
    }
}

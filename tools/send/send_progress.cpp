#include "send_progress.h"

std::string TSendProgress::barText(const std::vector<TSignReport>& reports) {
    std::size_t sent = 0;
    std::size_t total = 0;
    std::size_t ended = 0;
    bool allBuilt = true;
    bool handed = false;
    for (const TSignReport& report : reports) {
        sent += report.sent;
        handed = handed || report.handed;
        total += report.total;
        allBuilt = allBuilt && report.total > 0;
        if (report.ended())
            ++ended;
    }
    constexpr std::size_t kWidth = 30;
    // Until every stream is built the share is not known: the bar stays empty.
    const std::size_t filled = allBuilt && total > 0 ? sent * kWidth / total : 0;
    std::string text = "[" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "] ";
    if (allBuilt && total > 0)
        text += std::to_string(sent * 100 / total) + "% ";
    // Acknowledged bytes were handed over too: one link that cannot know speaks for the sum.
    text += std::to_string(sent) + " bytes " +
            (!handed               ? "sent"
             : reports.size() == 1 ? "handed to the link"
                                   : "handed to the links");
    if (reports.size() > 1)
        text +=
            ", " + std::to_string(ended) + " of " + std::to_string(reports.size()) + " signs ended";
    return text;
}

void TSendProgress::show(const std::vector<TSignReport>& reports) {
    const auto now = std::chrono::steady_clock::now();
    if (now < next_)
        return;
    next_ = now + std::chrono::milliseconds(100);
    const std::string text = barText(reports);
    if (text == shown_)
        return;
    shown_ = text;
    std::fprintf(terminal_, "\r%s\033[K", text.c_str());
    std::fflush(terminal_);
}

void TSendProgress::clear() {
    if (shown_.empty())
        return;
    std::fputs("\r\033[K", terminal_);
    std::fflush(terminal_);
    shown_.clear();
}

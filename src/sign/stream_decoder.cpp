#include "sign/stream_decoder.h"

#include "sign/sign_protocol.h"

#include <optional>
#include <utility>

namespace {

bool isDigit(unsigned char b) {
    return b >= '0' && b <= '9';
}

void appendSample(std::string& sample, char b) {
    if (sample.size() < kErrorSampleBytes)
        sample.push_back(b);
}

} // namespace

std::string TSignRecord::text() const {
    std::string plain;
    plain.reserve(chars.size());
    for (const TSignChar& c : chars)
        plain.push_back(static_cast<char>(c.code));
    return plain;
}

std::string TStreamError::describe() const {
    switch (kind) {
    case OutsideRecord:
        return "bytes outside a record";
    case BadAddress:
        return "start byte not followed by two address digits";
    case Unterminated:
        return "record without its end";
    case TooLong:
        return "record longer than " + std::to_string(kMaxRecordBytes) + " bytes";
    }
    return "malformed bytes";
}

void TStreamDecoder::feed(std::string_view bytes) {
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        switch (state_) {
        case State::Outside:
            if (b == kSignStart) {
                flushStray();
                startRecord();
            } else {
                if (strayLength_ == 0)
                    strayOffset_ = offset_;
                ++strayLength_;
                appendSample(straySample_, ch);
            }
            break;
        case State::Address:
            if (b == kSignStart) {
                report(TStreamError::Unterminated, recordOffset_, recordBytes_.size(),
                       recordBytes_);
                startRecord();
            } else if (isDigit(b)) {
                recordBytes_.push_back(ch);
                if (recordBytes_.size() == 3)
                    state_ = State::Body;
            } else {
                // Skip the rest of this record, up to its end byte or the next start byte.
                skipKind_ = TStreamError::BadAddress;
                skipLength_ = recordBytes_.size() + 1;
                recordBytes_.push_back(ch);
                if (b == kSignEnd)
                    endSkipping();
                else
                    state_ = State::Skipping;
            }
            break;
        case State::Body:
            if (b == kSignEnd) {
                TSignRecord record;
                record.offset = recordOffset_;
                record.length = recordBytes_.size() + 1;
                record.address = recordBytes_.substr(1, 2);
                record.body = recordBytes_.substr(3);
                decodeBody(record);
                events_.emplace_back(std::move(record));
                recordBytes_.clear();
                state_ = State::Outside;
            } else if (b == kSignStart) {
                report(TStreamError::Unterminated, recordOffset_, recordBytes_.size(),
                       recordBytes_);
                startRecord();
            } else if (recordBytes_.size() >= kMaxRecordBytes) {
                skipKind_ = TStreamError::TooLong;
                skipLength_ = recordBytes_.size() + 1;
                recordBytes_.resize(kErrorSampleBytes);
                state_ = State::Skipping;
            } else {
                recordBytes_.push_back(ch);
            }
            break;
        case State::Skipping:
            if (b == kSignStart) {
                endSkipping();
                startRecord();
            } else {
                ++skipLength_;
                appendSample(recordBytes_, ch);
                if (b == kSignEnd)
                    endSkipping();
            }
            break;
        }
        ++offset_;
    }
}

void TStreamDecoder::finish() {
    switch (state_) {
    case State::Outside:
        flushStray();
        break;
    case State::Address:
    case State::Body:
        report(TStreamError::Unterminated, recordOffset_, recordBytes_.size(), recordBytes_);
        break;
    case State::Skipping:
        endSkipping();
        break;
    }
    recordBytes_.clear();
    state_ = State::Outside;
    offset_ = 0;
}

std::vector<TStreamEvent> TStreamDecoder::takeEvents() {
    std::vector<TStreamEvent> events;
    events.swap(events_);
    return events;
}

void TStreamDecoder::flushStray() {
    if (strayLength_ == 0)
        return;
    report(TStreamError::OutsideRecord, strayOffset_, strayLength_, straySample_);
    strayLength_ = 0;
    straySample_.clear();
}

void TStreamDecoder::report(TStreamError::Kind kind, std::size_t offset, std::size_t length,
                            const std::string& sample) {
    TStreamError error;
    error.kind = kind;
    error.offset = offset;
    error.length = length;
    error.sample = sample.substr(0, kErrorSampleBytes);
    events_.emplace_back(std::move(error));
}

void TStreamDecoder::startRecord() {
    recordOffset_ = offset_;
    recordBytes_.assign(1, static_cast<char>(kSignStart));
    state_ = State::Address;
}

void TStreamDecoder::endSkipping() {
    report(skipKind_, recordOffset_, skipLength_, recordBytes_);
    recordBytes_.clear();
    state_ = State::Outside;
}

void TStreamDecoder::decodeBody(TSignRecord& record) {
    const std::string& body = record.body;
    record.chars.clear();
    record.leadingPad = 0;
    record.trailingPad = 0;
    record.endsFlashing = false;

    const std::size_t first = body.find_first_not_of(' ');
    if (first == std::string::npos) {
        // Spaces only: a centred block with no text.
        record.leadingPad = body.size() / 2;
        record.trailingPad = body.size() - record.leadingPad;
        return;
    }
    record.leadingPad = first;

    TSignColour colour = TSignColour::Red;
    bool flashing = false;
    for (std::size_t i = first; i < body.size(); ++i) {
        const auto b = static_cast<unsigned char>(body[i]);
        if (const std::optional<TSignColour> set = signColourOf(b))
            colour = *set;
        else if (b == kSignFlash)
            flashing = !flashing;
        else
            record.chars.push_back(TSignChar{b, colour, flashing});
    }
    record.endsFlashing = flashing;

    // The spaces after the last other byte are pad, unless the text still flashes there (a pad
    // is steady) or a colour byte stands before them (it always belongs to a character).
    const std::size_t last = body.find_last_not_of(' ');
    std::size_t trailing = body.size() - 1 - last;
    if (flashing)
        trailing = 0;
    else if (trailing > 0 && signColourOf(static_cast<unsigned char>(body[last])).has_value())
        --trailing;
    record.trailingPad = trailing;
    record.chars.resize(record.chars.size() - trailing);
}

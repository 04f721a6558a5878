#include "sign/message_fit.h"

#include "sign/control_bytes.h"
#include "sign/sign_protocol.h"
#include "sign/sign_stream.h"

#include <algorithm>
#include <cstring>
#include <variant>

namespace {

// Whether the line holds a byte that opens or closes a record: only then can its bytes make
// anything but one record of their own.
bool holdsFraming(std::string_view line) {
    return std::memchr(line.data(), kSignStart, line.size()) != nullptr ||
           std::memchr(line.data(), kSignEnd, line.size()) != nullptr;
}

std::uint16_t narrow(std::size_t n) {
    return static_cast<std::uint16_t>(std::min<std::size_t>(n, UINT16_MAX));
}

int addressNumber(const std::string& address) {
    return (address[0] - '0') * 10 + (address[1] - '0');
}

} // namespace

TMessageFit::TMessageFit() = default;

void TMessageFit::setSend(int start, int width, TSignSize size) {
    size.lines = std::clamp(size.lines, 0, kMaxSignLines);
    size.columns = std::clamp(size.columns, 0, kMaxSignColumns);
    if (width != width_) {
        // Centring pads change every centred record.
        blocksValid_ = false;
        blocks_.clear();
    }
    if (start != start_ || width != width_)
        placesValid_ = false;
    start_ = start;
    width_ = width;
    size_ = size;
}

void TMessageFit::setKeep(bool keep) {
    keep_ = keep;
    if (!keep_)
        dropWhole();
}

void TMessageFit::dropWhole() {
    blocksValid_ = false;
    placesValid_ = false;
    std::vector<TBlockRecords>().swap(blocks_);
}

void TMessageFit::reset() {
    dropWhole();
}

void TMessageFit::inserted(const TLineStore& lines, std::size_t row, std::size_t count) {
    placesValid_ = false;
    if (!keep_ || !blocksValid_ || row > blocks_.size())
        return dropWhole();
    std::vector<TBlockRecords> added;
    added.reserve(count);
    for (std::size_t i = row; i < row + count; ++i)
        added.push_back(summarise(lines[i], i, false));
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(row), added.begin(), added.end());
}

void TMessageFit::removed(std::size_t row, std::size_t count) {
    placesValid_ = false;
    if (!keep_ || !blocksValid_ || row + count > blocks_.size())
        return dropWhole();
    const auto first = blocks_.begin() + static_cast<std::ptrdiff_t>(row);
    blocks_.erase(first, first + static_cast<std::ptrdiff_t>(count));
}

void TMessageFit::changed(const TLineStore& lines, std::size_t first, std::size_t last) {
    placesValid_ = false;
    if (!keep_ || !blocksValid_ || last >= blocks_.size() || last >= lines.size())
        return dropWhole();
    for (std::size_t i = first; i <= last; ++i)
        blocks_[i] = summarise(lines[i], i, false);
}

void TMessageFit::moved(std::size_t from, std::size_t count, std::size_t to) {
    placesValid_ = false;
    if (!keep_ || !blocksValid_ || from + count > blocks_.size() || to > blocks_.size())
        return dropWhole();
    const auto at = [this](std::size_t i) {
        return blocks_.begin() + static_cast<std::ptrdiff_t>(i);
    };
    if (to > from + count)
        std::rotate(at(from), at(from + count), at(to));
    else if (to < from)
        std::rotate(at(to), at(from), at(from + count));
}

const std::vector<TStreamEvent>& TMessageFit::readBack(std::string_view line,
                                                       const std::string& address) {
    buffer_.Clear();
    appendSignRecord(buffer_, sendBlock_, std::string(line), address, width_);
    decoder_.feed(buffer_.bytes());
    decoder_.finish();
    events_ = decoder_.takeEvents();
    return events_;
}

TMessageFit::TBlockRecords TMessageFit::summarise(std::string_view line, std::size_t row,
                                                  bool measure) {
    TBlockRecords records;
    const bool framing = holdsFraming(line);
    if (!framing && !measure) {
        records.flags = kOwnRecord;
        return records;
    }
    const std::vector<TStreamEvent>& events = readBack(line, lineAddress(start_, row));
    records.bytes = narrow(buffer_.size());
    for (const TStreamEvent& event : events) {
        const auto* record = std::get_if<TSignRecord>(&event);
        if (record && record->offset == 0) {
            records.flags |= kOwnRecord;
            records.width = narrow(record->leadingPad + record->chars.size());
            records.span = narrow(record->leadingPad + record->chars.size() + record->trailingPad);
        }
    }
    if (events.size() > ((records.flags & kOwnRecord) ? 1u : 0u))
        records.flags |= kMore;
    records.flags |= kMeasured;
    if (firstControlByte(line))
        records.flags |= kControl;
    return records;
}

void TMessageFit::ensureBlocks(const TLineStore& lines) {
    if (blocksValid_ && blocks_.size() == lines.size())
        return;
    blocks_.clear();
    blocks_.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        blocks_.push_back(summarise(lines[i], i, false));
    blocksValid_ = true;
    placesValid_ = false;
}

int TMessageFit::addressOf(std::size_t row) const {
    // The middle digits of start + row + 100, as lineAddress takes them.
    long long value = static_cast<long long>(start_) + static_cast<long long>(row) + 100;
    if (value < 100)
        return addressNumber(lineAddress(start_, row));
    while (value >= 1000)
        value /= 10;
    return static_cast<int>(value % 100);
}

void TMessageFit::ensurePlaces(const TLineStore& lines) {
    ensureBlocks(lines);
    if (placesValid_)
        return;
    last_.fill(TRecordPlace{});
    widest_ = 1;
    errors_ = 0;
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        const TBlockRecords& records = blocks_[i];
        if (records.flags & kOwnRecord)
            last_[static_cast<std::size_t>(addressOf(i))] = {i, 0, true};
        if (!(records.flags & kMore))
            continue;
        // Rare: framing bytes in the text make records and errors of their own.
        std::size_t index = 0;
        for (const TStreamEvent& event : readBack(lines[i], lineAddress(start_, i))) {
            if (const auto* record = std::get_if<TSignRecord>(&event)) {
                last_[static_cast<std::size_t>(addressNumber(record->address))] = {i, index, true};
                widest_ = std::max(widest_,
                                   record->leadingPad + record->chars.size() + record->trailingPad);
                ++index;
            } else {
                ++errors_;
            }
        }
    }
    placesValid_ = true;
}

TBlockFit TMessageFit::fitOf(std::string_view line, std::size_t row, const TBlockRecords& records) {
    TBlockFit fit;
    fit.control = firstControlByte(line);
    if (!(records.flags & kOwnRecord)) {
        fit.place = TBlockFit::Place::Unreadable;
        return fit;
    }
    fit.address = lineAddress(start_, row);
    fit.width = records.width;
    if (size_.columns > 0 && fit.width > static_cast<std::size_t>(size_.columns))
        fit.cut = fit.width - static_cast<std::size_t>(size_.columns);
    if (size_.lines > 0) {
        const int address = addressNumber(fit.address);
        if (address < 1 || address > size_.lines) {
            fit.place = TBlockFit::Place::BeyondLastLine;
        } else {
            const TRecordPlace& last = last_[static_cast<std::size_t>(address)];
            if (last.block != row || last.index != 0)
                fit.place = TBlockFit::Place::Replaced;
        }
    }
    return fit;
}

TBlockFit TMessageFit::fit(const TLineStore& lines, std::size_t row) {
    const std::string_view line = lines.at(row);
    if (size_.lines > 0)
        ensurePlaces(lines);
    TBlockRecords records = blocksValid_ && row < blocks_.size() ? blocks_[row] : TBlockRecords{};
    if (!(records.flags & kMeasured)) {
        records = summarise(line, row, true);
        if (blocksValid_ && row < blocks_.size())
            blocks_[row] = records;
    }
    return fitOf(line, row, records);
}

TFitTotals TMessageFit::totals(const TLineStore& lines) {
    ensurePlaces(lines);
    TFitTotals totals;
    totals.errors = errors_;
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        TBlockRecords& records = blocks_[i];
        if (!(records.flags & kMeasured))
            records = summarise(lines[i], i, true);
        if (records.flags & kControl)
            ++totals.control;
        bool shown = (records.flags & kOwnRecord) != 0;
        if (shown && size_.lines > 0) {
            const int address = addressOf(i);
            const TRecordPlace& last = last_[static_cast<std::size_t>(address)];
            shown = address >= 1 && address <= size_.lines && last.block == i && last.index == 0;
        }
        if (!shown)
            ++totals.hidden;
        else if (size_.columns > 0 && records.width > static_cast<std::size_t>(size_.columns))
            ++totals.cut;
    }
    return totals;
}

TPreviewView TMessageFit::view(const TLineStore& lines) {
    TPreviewView view;
    view.size = size_;
    view.totals = totals(lines);

    // Where each block's bytes start in the stream, for the records as a send places them.
    std::vector<std::size_t> places;
    for (std::size_t address = 0; address < last_.size(); ++address) {
        if (last_[address].held)
            places.push_back(last_[address].block);
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    std::vector<std::size_t> offsets(places.size(), 0);
    std::size_t offset = 0;
    std::size_t next = 0;
    std::size_t widest = widest_;
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        while (next < places.size() && places[next] == i)
            offsets[next++] = offset;
        offset += blocks_[i].bytes;
        if (blocks_[i].flags & kOwnRecord)
            widest = std::max<std::size_t>(widest, blocks_[i].span);
    }

    // The sign keeps the last record of each address.
    TSignMemory memory;
    std::vector<std::size_t> blockOf(last_.size(), 0);
    for (std::size_t address = 0; address < last_.size(); ++address) {
        const TRecordPlace& last = last_[address];
        if (!last.held)
            continue;
        blockOf[address] = last.block;
        const std::size_t at = static_cast<std::size_t>(
            std::lower_bound(places.begin(), places.end(), last.block) - places.begin());
        std::size_t index = 0;
        for (const TStreamEvent& event :
             readBack(lines[last.block], lineAddress(start_, last.block))) {
            const auto* record = std::get_if<TSignRecord>(&event);
            if (!record)
                continue;
            if (index++ == last.index) {
                TSignRecord kept = *record;
                kept.offset += offsets[at];
                memory.take(std::move(kept));
                break;
            }
        }
    }
    const int columns = size_.columns > 0 ? size_.columns : static_cast<int>(widest);
    view.face = memory.face(size_.lines, columns);

    for (const TSignFaceLine& line : view.face.lines) {
        std::string note;
        if (line.record) {
            const std::size_t block =
                blockOf[static_cast<std::size_t>(addressNumber(line.address))];
            if (blocks_[block].flags & kControl)
                note = controlByteWarning(block, *firstControlByte(lines[block]));
        }
        view.lineNotes.push_back(std::move(note));
    }
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (blocks_[i].flags & kControl)
            view.warnings.push_back(controlByteWarning(i, *firstControlByte(lines[i])));
    }
    return view;
}

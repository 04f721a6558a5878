#include "sign/sign_preview.h"

#include "base/ui_text.h"
#include "model/block.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"

#include <algorithm>
#include <variant>

namespace {

std::string lines(std::size_t n) {
    return fillIn(n == 1 ? uiText("SignPreview", "%1 line") : uiText("SignPreview", "%1 lines"),
                  {std::to_string(n)});
}

} // namespace

std::size_t TSignPreview::cutCount() const {
    return static_cast<std::size_t>(std::count_if(
        blocks.begin(), blocks.end(), [](const TBlockFit& b) { return b.shown() && b.cut > 0; }));
}

std::size_t TSignPreview::controlCount() const {
    return static_cast<std::size_t>(std::count_if(
        blocks.begin(), blocks.end(), [](const TBlockFit& b) { return b.control.has_value(); }));
}

std::size_t TSignPreview::blockAt(std::size_t offset) const {
    const auto after =
        std::upper_bound(blocks.begin(), blocks.end(), offset,
                         [](std::size_t at, const TBlockFit& block) { return at < block.offset; });
    return after == blocks.begin() ? 0 : static_cast<std::size_t>(after - blocks.begin()) - 1;
}

std::size_t TSignPreview::hiddenCount() const {
    return static_cast<std::size_t>(
        std::count_if(blocks.begin(), blocks.end(), [](const TBlockFit& b) { return !b.shown(); }));
}

TSignPreview previewSignMessage(const std::vector<std::string>& lines, int start, int width,
                                TSignSize size) {
    TSignPreview preview;
    preview.size.lines = std::clamp(size.lines, 0, kMaxSignLines);
    preview.size.columns = std::clamp(size.columns, 0, kMaxSignColumns);

    TSendBuffer buffer;
    TBlock sendBlock;
    std::vector<std::size_t> starts;
    buildSignStream(buffer, sendBlock, lines, start, width, &starts);

    TStreamDecoder decoder;
    decoder.feed(buffer.bytes());
    decoder.finish();

    // Each line's own record starts where the line's bytes start; records and lines both come
    // in stream order. Other records (made of framing bytes in a text) reach the sign too.
    preview.blocks.resize(lines.size());
    std::vector<std::size_t> ownRecord(lines.size(), 0); // the record's offset + 1; 0 for none
    TSignMemory memory;
    std::size_t widest = 1;
    std::size_t block = 0;
    for (TStreamEvent& event : decoder.takeEvents()) {
        auto* record = std::get_if<TSignRecord>(&event);
        if (!record) {
            preview.errors.push_back(std::get<TStreamError>(event));
            continue;
        }
        widest = std::max(widest, record->leadingPad + record->chars.size() + record->trailingPad);
        while (block < starts.size() && starts[block] < record->offset)
            ++block;
        if (block < starts.size() && starts[block] == record->offset) {
            TBlockFit& fit = preview.blocks[block];
            fit.address = record->address;
            fit.width = record->leadingPad + record->chars.size();
            if (preview.size.columns > 0 &&
                fit.width > static_cast<std::size_t>(preview.size.columns))
                fit.cut = fit.width - static_cast<std::size_t>(preview.size.columns);
            ownRecord[block] = record->offset + 1;
        }
        memory.take(std::move(*record));
    }
    const int columns = preview.size.columns > 0 ? preview.size.columns : static_cast<int>(widest);
    preview.face = memory.face(preview.size.lines, columns);

    for (std::size_t i = 0; i < lines.size(); ++i) {
        TBlockFit& fit = preview.blocks[i];
        fit.offset = i < starts.size() ? starts[i] : 0;
        fit.control = firstControlByte(lines[i]);
        if (ownRecord[i] == 0) {
            fit.place = TBlockFit::Place::Unreadable;
        } else if (preview.size.lines > 0) {
            const int line = std::stoi(fit.address);
            if (line < 1 || line > preview.size.lines)
                fit.place = TBlockFit::Place::BeyondLastLine;
            else if (memory.line(fit.address)->offset + 1 != ownRecord[i])
                fit.place = TBlockFit::Place::Replaced;
        }
    }
    return preview;
}

std::string fitNote(const TSignPreview& preview) {
    return fitNote(preview.cutCount(), preview.hiddenCount(), preview.size);
}

std::string fitNote(std::size_t cut, std::size_t hidden, const TSignSize& size) {
    std::string note;
    if (cut > 0) {
        note +=
            fillIn(cut == 1 ? uiText("SignPreview", "%1 is wider than the sign (%2 characters): "
                                                    "the sign will cut it.")
                            : uiText("SignPreview", "%1 are wider than the sign (%2 "
                                                    "characters): the sign will cut them."),
                   {lines(cut), std::to_string(size.columns)});
    }
    if (hidden > 0) {
        if (!note.empty())
            note += "\n";
        if (size.lines > 0)
            note += fillIn(uiText("SignPreview", "%1 will not be shown (the sign has %2)."),
                           {lines(hidden), lines(static_cast<std::size_t>(size.lines))});
        else
            note += fillIn(uiText("SignPreview", "%1 will not be shown."), {lines(hidden)});
    }
    return note;
}

std::string blockFitNote(const TBlockFit& fit, const TSignSize& size) {
    std::string note;
    switch (fit.place) {
    case TBlockFit::Place::Shown:
        break;
    case TBlockFit::Place::BeyondLastLine:
        note = fillIn(uiText("SignPreview", "Goes to line %1, beyond the sign's last line (%2): "
                                            "the sign does not show it."),
                      {fit.address, signLineAddress(size.lines)});
        break;
    case TBlockFit::Place::Replaced:
        note = fillIn(uiText("SignPreview", "Goes to line %1, which a later line of the message "
                                            "replaces: the sign does not show it."),
                      {fit.address});
        break;
    case TBlockFit::Place::Unreadable:
        note =
            uiText("SignPreview",
                   "Its text holds bytes that break the sign's record: the sign does not show it.");
        break;
    }
    if (fit.control) {
        if (!note.empty())
            note += "\n";
        note += fillIn(uiText("SignPreview",
                              "Holds the control byte %1 at column %2: the sign reads it as %3."),
                       {controlByteName(fit.control->byte), std::to_string(fit.control->column),
                        controlByteMeaning(fit.control->byte)});
    }
    if (fit.cut > 0) {
        if (!note.empty())
            note += "\n";
        note += fillIn(
            fit.cut == 1 ? uiText("SignPreview", "%1 character wider than the sign (%2 "
                                                 "of %3): the sign cuts it off.")
                         : uiText("SignPreview", "%1 characters wider than the sign "
                                                 "(%2 of %3): the sign cuts them off."),
            {std::to_string(fit.cut), std::to_string(fit.width), std::to_string(size.columns)});
    }
    return note;
}

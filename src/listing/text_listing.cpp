#include "listing/text_listing.h"

#include <cstdio>

#include "listing/event_line_text.h"

namespace vl {

void TextListing::reset() {
    lineType_ = listing::InvalidCursor;
    trackIndex_ = 0;
    track_ = nullptr;
    event_ = ConstEventPos{};
    runningTime_ = 0;
    lineText_.clear();
    lineText_.shrink_to_fit();
}

bool TextListing::setFirst(const ListingSource& source) {
    lineType_ = listing::FileHeaderLine;
    trackIndex_ = 0;
    track_ = source.tracks.empty() ? nullptr : &source.tracks.tracks.front();
    event_ = ConstEventPos{};
    runningTime_ = 0;
    return true;
}

bool TextListing::setNext(const ListingSource& source) {
    if (!isOnLine(source)) return false;
    switch (lineType_) {
    case listing::FileHeaderLine:
        moveToTrackHeader(source, 0);
        break;
    case listing::TrackHeaderLine:
        if (currentTrack(source).empty()) {
            moveToTrackHeader(source, trackIndex_ + 1);
        } else {
            lineType_ = listing::EventLine;
            event_ = currentTrack(source).events.cbegin();
        }
        break;
    default:
        moveToNextEvent(source);
        break;
    }
    if (lineType_ == listing::EndPosition) return false;
    if (lineType_ == listing::EventLine) {
        // Ticks wrap like the signed 32-bit count they are shown as.
        runningTime_ = static_cast<int32_t>(static_cast<uint32_t>(runningTime_) + event_->time);
    } else {
        runningTime_ = 0;
    }
    return true;
}

void TextListing::moveToTrackHeader(const ListingSource& source, size_t t) {
    event_ = ConstEventPos{};
    if (t < source.tracks.size()) {
        lineType_ = listing::TrackHeaderLine;
        trackIndex_ = t;
        track_ = &source.tracks.tracks[t];
    } else {
        lineType_ = listing::EndPosition;
        trackIndex_ = source.tracks.size();
        track_ = nullptr;
    }
}

void TextListing::moveToNextEvent(const ListingSource& source) {
    ++event_;
    if (event_ == currentTrack(source).events.cend()) moveToTrackHeader(source, trackIndex_ + 1);
}

bool TextListing::isOnLine(const ListingSource& source) const {
    switch (lineType_) {
    case listing::FileHeaderLine:
        return true;
    case listing::TrackHeaderLine:
    case listing::EventLine:
        // A cursor whose track is gone (or was moved) is on no line.
        return trackIndex_ < source.tracks.size() && track_ == &source.tracks.tracks[trackIndex_];
    default:
        return false;
    }
}

int16_t TextListing::lineType(const ListingSource& source) const {
    return isOnLine(source) ? static_cast<int16_t>(lineType_) : int16_t{-1};
}

uint32_t TextListing::lineCount(const TrackSet& tracks) {
    return static_cast<uint32_t>(tracks.eventCount() + tracks.size() + 2);
}

const char* TextListing::textChunk(const ListingSource& source, uint16_t chunk) {
    lineText_.clear();
    if (isOnLine(source)) lineText_ = chunkText(source, chunk);
    return lineText_.empty() ? nullptr : lineText_.c_str();
}

std::string TextListing::chunkText(const ListingSource& source, uint16_t chunk) const {
    if (lineType_ == listing::FileHeaderLine) {
        return chunk == listing::HeaderChunk ? listing::fileHeaderText(source.header) : "";
    }
    if (lineType_ == listing::TrackHeaderLine) {
        return chunk == listing::HeaderChunk ? trackHeaderText(source) : "";
    }
    const MidiEvent& e = *event_;
    switch (chunk) {
    case listing::RunningTimeChunk:
        return listing::tickText(runningTime_);
    case listing::DeltaChunk:
        return listing::tickText(static_cast<int32_t>(e.time));
    case listing::BytesChunk:
        return listing::messageBytesText(e.message);
    case listing::DescriptionChunk:
        return listing::metaDescriptionText(e.message);
    case listing::LengthChunk:
        return listing::dataLengthText(e.message);
    case listing::PayloadTextChunk:
        return listing::payloadText(e.message);
    case listing::AnnotationChunk:
        return listing::annotationText(e, source.analysisState);
    default:
        return "";
    }
}

std::string TextListing::trackHeaderText(const ListingSource& source) const {
    const MidiTrack& track = currentTrack(source);
    char text[96];
    std::snprintf(text, sizeof text, "%.4s, TrackLength=%d   (Track %d of %d)",
                  track.chunkType.data(), static_cast<int32_t>(track.chunkLength),
                  static_cast<int32_t>(trackIndex_ + 1),
                  static_cast<int32_t>(source.tracks.size()));
    return text;
}

}  // namespace vl

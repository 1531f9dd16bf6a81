#include "assets/JpegStream.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <utility>

namespace pizzeria::assets {

namespace {

using Bytes = std::vector<unsigned char>;

constexpr unsigned char kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kDqt = 0xDB, kDnl = 0xDC,
                        kDri = 0xDD, kDht = 0xC4, kDac = 0xCC, kCom = 0xFE, kTem = 0x01;

bool isRestart(unsigned m) {
    return m >= 0xD0 && m <= 0xD7;
}

struct HuffmanTable {
    bool defined = false;
    std::array<unsigned char, 17> counts{}; // by code length, 1 to 16
    Bytes symbols;
};

// libjpeg's check when a scan starts: no code may be all ones, and a DC
// symbol is a bit count of at most 15.
bool usable(const HuffmanTable& table, bool dc) {
    if (!table.defined) {
        return false;
    }
    long code = 0;
    for (int length = 1; length <= 16; ++length) {
        code += table.counts[std::size_t(length)];
        if (code >= (1L << length)) {
            return false;
        }
        code <<= 1;
    }
    if (dc) {
        for (const unsigned char symbol : table.symbols) {
            if (symbol > 15) {
                return false;
            }
        }
    }
    return true;
}

// How far a segment read: libjpeg reads a segment byte by byte, so what is
// wrong in it counts even where the file ends before the segment does.
enum class Parse { Ok, Broken, Ended };

using Tables = std::array<HuffmanTable, 4>;

Parse readTables(const Bytes& data, std::size_t at, long left, Tables& dc, Tables& ac) {
    while (left > 16) {
        if (at + 17 > data.size()) {
            return Parse::Ended;
        }
        const unsigned index = data[at];
        HuffmanTable table;
        table.defined = true;
        long count = 0;
        for (std::size_t i = 1; i <= 16; ++i) {
            table.counts[i] = data[at + i];
            count += data[at + i];
        }
        left -= 17;
        at += 17;
        if (count > 256 || count > left) {
            return Parse::Broken;
        }
        if (at + std::size_t(count) > data.size()) {
            return Parse::Ended;
        }
        table.symbols.assign(data.begin() + std::ptrdiff_t(at),
                             data.begin() + std::ptrdiff_t(at + std::size_t(count)));
        left -= count;
        at += std::size_t(count);
        const unsigned slot = index & 0x0F;
        if ((index & 0xE0) != 0 || slot > 3) {
            return Parse::Broken;
        }
        ((index & 0x10) != 0 ? ac : dc)[slot] = std::move(table);
    }
    return left == 0 ? Parse::Ok : Parse::Broken;
}

// The tables of the JPEG standard's annex K, which libjpeg takes for slots 0
// and 1 when a file defines none there.
const Bytes kStandardTables = {
    0x00, 0x00, 0x01, 0x05, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x10, 0x00, 0x02,
    0x01, 0x03, 0x03, 0x02, 0x04, 0x03, 0x05, 0x05, 0x04, 0x04, 0x00, 0x00, 0x01, 0x7d, 0x01, 0x02,
    0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
    0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33,
    0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a,
    0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53,
    0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73,
    0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92,
    0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9,
    0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7,
    0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4,
    0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
    0x01, 0x00, 0x03, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x11, 0x00, 0x02,
    0x01, 0x02, 0x04, 0x04, 0x03, 0x04, 0x07, 0x05, 0x04, 0x04, 0x00, 0x01, 0x02, 0x77, 0x00, 0x01,
    0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
    0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62,
    0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28,
    0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a,
    0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a,
    0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89,
    0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7,
    0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5,
    0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3,
    0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};

struct Component {
    int id = 0;
    int h = 1;
    int v = 1;
    int quant = 0;
    int dc = 0;
    int ac = 0;
};

// The bits of a scan as both decoders read them: a stuffed zero after 0xFF
// is dropped, and once a marker comes only zero bits follow.
class ScanBits {
public:
    static constexpr std::size_t kNoMarker = ~std::size_t(0);

    ScanBits(const Bytes& data, std::size_t pos) : data_(data), pos_(pos), end_(pos) {}

    // The next bit, or -1 where the file ends before any marker.
    int bit() {
        if (left_ == 0 && !load()) {
            return -1;
        }
        --left_;
        return (current_ >> left_) & 1;
    }
    // Where the next bit's byte starts.
    std::size_t here() const { return left_ > 0 ? currentAt_ : pos_; }
    // Just past the last byte read that was not padding.
    std::size_t dataEnd() const { return end_; }
    bool atMarker() const { return marker_ != kNoMarker; }
    // Where the marker that ended the data starts.
    std::size_t marker() const { return marker_; }

private:
    bool load() {
        left_ = 8;
        current_ = 0;
        if (atMarker()) {
            return true;
        }
        if (pos_ >= data_.size()) {
            left_ = 0;
            return false;
        }
        currentAt_ = pos_;
        current_ = data_[pos_];
        if (current_ == 0xFF) {
            std::size_t next = pos_ + 1;
            while (next < data_.size() && data_[next] == 0xFF) {
                ++next;
            }
            if (next >= data_.size()) {
                left_ = 0;
                return false;
            }
            if (data_[next] != 0) {
                marker_ = pos_;
                current_ = 0;
                return true;
            }
            pos_ = next;
        }
        end_ = ++pos_;
        return true;
    }

    const Bytes& data_;
    std::size_t pos_;
    std::size_t end_;
    std::size_t currentAt_ = 0;
    unsigned current_ = 0;
    int left_ = 0;
    std::size_t marker_ = kNoMarker;
};

class Decoder {
public:
    explicit Decoder(const HuffmanTable& table) : symbols_(table.symbols) {
        int code = 0, index = 0;
        for (int length = 1; length <= 16; ++length) {
            first_[std::size_t(length)] = code;
            offset_[std::size_t(length)] = index;
            count_[std::size_t(length)] = table.counts[std::size_t(length)];
            code = (code + count_[std::size_t(length)]) << 1;
            index += count_[std::size_t(length)];
        }
    }

    // A symbol; a bad code reads as zero after 17 bits, as libjpeg has it.
    int decode(ScanBits& bits, bool& bad, bool& ended) const {
        int code = 0;
        for (int length = 1; length <= 17; ++length) {
            const int bit = bits.bit();
            if (bit < 0) {
                ended = true;
                return 0;
            }
            code = (code << 1) | bit;
            if (length <= 16) {
                const std::size_t l = std::size_t(length);
                if (code - first_[l] >= 0 && code - first_[l] < count_[l]) {
                    return symbols_[std::size_t(offset_[l] + code - first_[l])];
                }
            }
        }
        bad = true;
        return 0;
    }

private:
    const Bytes& symbols_;
    std::array<int, 17> first_{};
    std::array<int, 17> offset_{};
    std::array<int, 17> count_{};
};

class Reader {
public:
    explicit Reader(const Bytes& data) : data_(data), out_{0xFF, kSoi} {}

    JpegStream run() {
        for (;;) {
            const std::optional<unsigned> marker = nextMarker();
            if (!marker) {
                return fileEnded();
            }
            const std::optional<bool> done = handle(*marker);
            if (done) {
                return finish(*done);
            }
        }
    }

private:
    // libjpeg's marker search: stray bytes and fill bytes are passed over.
    std::optional<unsigned> nextMarker() {
        for (;;) {
            while (pos_ < data_.size() && data_[pos_] != 0xFF) {
                ++pos_;
            }
            while (pos_ < data_.size() && data_[pos_] == 0xFF) {
                ++pos_;
            }
            if (pos_ >= data_.size()) {
                return std::nullopt;
            }
            const unsigned marker = data_[pos_++];
            if (marker != 0) {
                return marker;
            }
        }
    }

    // Once the one scan of a picture is decoded, libjpeg only looks for its
    // end: a file that stops before it has lost nothing.
    JpegStream fileEnded() { return finish(!pictureDone_); }

    JpegStream finish(bool broken) {
        JpegStream stream;
        stream.broken = broken;
        if (!broken) {
            out_.push_back(0xFF);
            out_.push_back(kEoi);
            stream.bytes = std::move(out_);
        }
        return stream;
    }

    // The segment at pos_: its length field counts itself. Empty where the
    // file ends inside it.
    std::optional<std::pair<std::size_t, std::size_t>> segment() const {
        if (pos_ + 2 > data_.size()) {
            return std::nullopt;
        }
        const std::size_t length = (std::size_t(data_[pos_]) << 8) | data_[pos_ + 1];
        if (pos_ + length > data_.size()) {
            return std::nullopt;
        }
        return std::make_pair(pos_ + 2, length < 2 ? std::size_t(0) : length - 2);
    }

    // Passes over the segment at pos_, keeping it for stb_image when asked.
    // Empty while it goes on; true or false when the file broke or ended.
    std::optional<bool> pass(unsigned marker, bool keep) {
        const auto body = segment();
        if (!body) {
            return !pictureDone_;
        }
        if (keep && !pictureDone_) {
            out_.push_back(0xFF);
            out_.push_back(static_cast<unsigned char>(marker));
            out_.insert(out_.end(), data_.begin() + std::ptrdiff_t(pos_),
                        data_.begin() + std::ptrdiff_t(body->first + body->second));
        }
        pos_ = body->first + body->second;
        return std::nullopt;
    }

    // What a marker means: empty to go on, true when the file is broken,
    // false when the picture is whole.
    std::optional<bool> handle(unsigned marker) {
        if (marker == kEoi) {
            return !sawScan_;
        }
        if (isRestart(marker) || marker == kTem) {
            return std::nullopt;
        }
        if (marker >= 0xE0 && marker <= 0xEF) {
            return pass(marker, true);
        }
        if (marker == kDac) {
            const Parse read = readArithmetic();
            if (read != Parse::Ok) {
                return read == Parse::Broken || !pictureDone_;
            }
        }
        if (marker == kCom || marker == kDnl || marker == kDac) {
            return pass(marker, false);
        }
        const bool frame =
            marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC9 || marker == 0xCA;
        if (frame && sawFrame_) {
            // libjpeg reads the new frame's sizes before it complains.
            return pos_ + 8 <= data_.size() || !pictureDone_;
        }
        if (marker == kDht || marker == kDqt || marker == kDri) {
            if (pos_ + 2 > data_.size()) {
                return !pictureDone_;
            }
            const long length = (long(data_[pos_]) << 8) | data_[pos_ + 1];
            Parse read = Parse::Ok;
            if (marker == kDht) {
                read = readTables(data_, pos_ + 2, length - 2, dc_, ac_);
            } else if (marker == kDqt) {
                read = readQuant(pos_ + 2, length - 2);
            } else if (length != 4) {
                read = Parse::Broken;
            }
            if (read != Parse::Ok) {
                return read == Parse::Broken || !pictureDone_;
            }
        }
        const auto body = segment();
        if (marker == kDht || marker == kDqt || marker == kDri || marker == kSos ||
            marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            if (!body) {
                return !pictureDone_;
            }
        }
        switch (marker) {
        case kDht:
        case kDqt:
            return pass(marker, true);
        case kDri:
            restart_ = (int(data_[body->first]) << 8) | data_[body->first + 1];
            return pass(marker, true);
        case 0xC0:
        case 0xC1:
        case 0xC2:
            if (!readFrame(body->first, body->second)) {
                return true;
            }
            progressive_ = marker == 0xC2;
            return pass(marker, true);
        case kSos:
            return scan(body->first, body->second);
        default:
            // A second start of image, another kind of frame, or no marker
            // libjpeg knows.
            return true;
        }
    }

    // Arithmetic coding conditions: stb_image has no use for them, libjpeg
    // checks them.
    Parse readArithmetic() const {
        if (pos_ + 2 > data_.size()) {
            return Parse::Ended;
        }
        long left = ((long(data_[pos_]) << 8) | data_[pos_ + 1]) - 2;
        for (std::size_t at = pos_ + 2; left > 0; at += 2, left -= 2) {
            if (at + 2 > data_.size()) {
                return Parse::Ended;
            }
            const unsigned index = data_[at], value = data_[at + 1];
            if (index >= 32 || (index < 16 && (value & 0x0F) > (value >> 4))) {
                return Parse::Broken;
            }
        }
        return left == 0 ? Parse::Ok : Parse::Broken;
    }

    // libjpeg takes a table cut short by its segment, the rest left at one.
    Parse readQuant(std::size_t at, long left) {
        while (left > 0) {
            if (at >= data_.size()) {
                return Parse::Ended;
            }
            const unsigned byte = data_[at];
            const long wide = (byte >> 4) != 0 ? 1 : 0;
            --left;
            if ((byte & 0x0F) > 3) {
                return Parse::Broken;
            }
            const long count = left < (64L << wide) ? left >> wide : 64;
            left -= count << wide;
            at += 1 + std::size_t(count << wide);
            if (at > data_.size()) {
                return Parse::Ended;
            }
            quant_[byte & 0x0F] = true;
        }
        return left == 0 ? Parse::Ok : Parse::Broken;
    }

    bool readFrame(std::size_t at, std::size_t length) {
        if (length < 6) {
            return false;
        }
        height_ = (int(data_[at + 1]) << 8) | data_[at + 2];
        width_ = (int(data_[at + 3]) << 8) | data_[at + 4];
        const std::size_t count = data_[at + 5];
        if (data_[at] != 8 || width_ == 0 || height_ == 0 || width_ > 65500 || height_ > 65500 ||
            count == 0 || length != 6 + 3 * count) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            Component component;
            component.id = data_[at + 6 + 3 * i];
            component.h = data_[at + 7 + 3 * i] >> 4;
            component.v = data_[at + 7 + 3 * i] & 0x0F;
            component.quant = data_[at + 8 + 3 * i];
            if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4) {
                return false;
            }
            frame_.push_back(component);
        }
        sawFrame_ = true;
        return true;
    }

    // Slots 0 and 1 left empty take the standard tables, as in libjpeg;
    // stb_image is given them too.
    void standardTables(const Component& component) {
        Tables dc, ac;
        readTables(kStandardTables, 0, long(kStandardTables.size()), dc, ac);
        const auto fill = [&](Tables& tables, const Tables& standard, int slot, unsigned index) {
            if (slot > 1 || tables[std::size_t(slot)].defined) {
                return;
            }
            const HuffmanTable& table = standard[std::size_t(slot)];
            tables[std::size_t(slot)] = table;
            const std::size_t length = 2 + 17 + table.symbols.size();
            out_.insert(out_.end(), {0xFF, kDht, static_cast<unsigned char>(length >> 8),
                                     static_cast<unsigned char>(length & 0xFF),
                                     static_cast<unsigned char>(index)});
            out_.insert(out_.end(), table.counts.begin() + 1, table.counts.end());
            out_.insert(out_.end(), table.symbols.begin(), table.symbols.end());
        };
        fill(dc_, dc, component.dc, unsigned(component.dc));
        fill(ac_, ac, component.ac, 0x10u | unsigned(component.ac));
    }

    std::optional<bool> scan(std::size_t at, std::size_t length) {
        const std::size_t count = length > 0 ? data_[at] : 0;
        if (pictureDone_ || !sawFrame_ || count < 1 || count > 4 || length != 4 + 2 * count) {
            return true;
        }
        std::vector<Component> parts;
        for (std::size_t i = 0; i < count; ++i) {
            Component* component = nullptr;
            for (Component& candidate : frame_) {
                if (candidate.id == data_[at + 1 + 2 * i]) {
                    component = &candidate;
                }
            }
            if (component == nullptr ||
                std::any_of(parts.begin(), parts.end(),
                            [&](const Component& part) { return part.id == component->id; })) {
                return true;
            }
            component->dc = data_[at + 2 + 2 * i] >> 4;
            component->ac = data_[at + 2 + 2 * i] & 0x0F;
            if (component->quant > 3 || !quant_[std::size_t(component->quant)]) {
                return true;
            }
            standardTables(*component);
            if (!progressive_ && (component->dc > 3 || component->ac > 3 ||
                                  !usable(dc_[std::size_t(component->dc)], true) ||
                                  !usable(ac_[std::size_t(component->ac)], false))) {
                return true;
            }
            parts.push_back(*component);
        }
        const std::size_t start = out_.size();
        const std::optional<bool> kept = pass(kSos, true);
        if (kept) {
            return kept;
        }
        sawScan_ = true;
        if (!progressive_ && parts.size() == frame_.size() && restart_ == 0) {
            // libjpeg takes the scan of a sequential picture as one whatever
            // its spectral fields say; stb_image wants them right.
            out_[start + 4 + 2 * count + 1] = 0;
            out_[start + 4 + 2 * count + 2] = 63;
            out_[start + 4 + 2 * count + 3] = 0;
            return picture(parts);
        }
        // Pictures of several scans, or with restart markers, are left to
        // stb_image as they are.
        const std::size_t begin = pos_;
        while (pos_ + 1 < data_.size() &&
               !(data_[pos_] == 0xFF && data_[pos_ + 1] != 0 && data_[pos_ + 1] != 0xFF &&
                 !isRestart(data_[pos_ + 1]))) {
            ++pos_;
        }
        if (pos_ + 1 >= data_.size()) {
            return true;
        }
        out_.insert(out_.end(), data_.begin() + std::ptrdiff_t(begin),
                    data_.begin() + std::ptrdiff_t(pos_));
        return std::nullopt;
    }

    // Reads the one scan of the picture as libjpeg does. stb_image gets the
    // data up to the first bad Huffman code, where libjpeg starts guessing,
    // or up to the end of the picture; it reads zeros after that.
    std::optional<bool> picture(const std::vector<Component>& parts) {
        int hMax = 1, vMax = 1;
        for (const Component& component : frame_) {
            hMax = std::max(hMax, component.h);
            vMax = std::max(vMax, component.v);
        }
        std::vector<std::pair<Decoder, Decoder>> blocks;
        long units = 0;
        if (parts.size() == 1) {
            const long w = (long(width_) * parts[0].h + hMax - 1) / hMax;
            const long h = (long(height_) * parts[0].v + vMax - 1) / vMax;
            units = ((w + 7) / 8) * ((h + 7) / 8);
            blocks.emplace_back(Decoder(dc_[std::size_t(parts[0].dc)]),
                                Decoder(ac_[std::size_t(parts[0].ac)]));
        } else {
            units = ((long(width_) + 8 * hMax - 1) / (8 * hMax)) *
                    ((long(height_) + 8 * vMax - 1) / (8 * vMax));
            for (const Component& component : parts) {
                for (int i = 0; i < component.h * component.v; ++i) {
                    blocks.emplace_back(Decoder(dc_[std::size_t(component.dc)]),
                                        Decoder(ac_[std::size_t(component.ac)]));
                }
            }
        }
        const std::size_t begin = pos_;
        ScanBits bits(data_, pos_);
        std::optional<std::size_t> firstBad;
        bool ended = false;
        // Past a marker only zeros follow, which always decode.
        for (long unit = 0; unit < units && !ended && !bits.atMarker(); ++unit) {
            for (const auto& [dc, ac] : blocks) {
                bool bad = false;
                const auto note = [&](std::size_t at) {
                    if (bad && !firstBad) {
                        firstBad = at;
                    }
                };
                std::size_t at = bits.here();
                const int size = dc.decode(bits, bad, ended);
                note(at);
                for (int i = 0; i < size && !ended; ++i) {
                    ended = bits.bit() < 0;
                }
                for (int k = 1; k < 64 && !ended;) {
                    at = bits.here();
                    const int symbol = ac.decode(bits, bad, ended);
                    note(at);
                    const int run = symbol >> 4, bitCount = symbol & 0x0F;
                    if (bitCount == 0 && run != 15) {
                        break;
                    }
                    for (int i = 0; i < bitCount && !ended; ++i) {
                        ended = bits.bit() < 0;
                    }
                    k += run + 1;
                }
                if (ended) {
                    break;
                }
            }
        }
        if (ended) {
            return true;
        }
        const std::size_t next = bits.atMarker() ? bits.marker() : bits.dataEnd();
        out_.insert(out_.end(), data_.begin() + std::ptrdiff_t(begin),
                    data_.begin() + std::ptrdiff_t(firstBad.value_or(next)));
        pos_ = next;
        // Data left over after the picture: libjpeg passes over it to the
        // next marker, so a file that ends first ended inside the scan.
        if (!bits.atMarker() && !nextMarkerAhead()) {
            return true;
        }
        pictureDone_ = true;
        return std::nullopt;
    }

    bool nextMarkerAhead() const {
        for (std::size_t i = pos_; i + 1 < data_.size(); ++i) {
            if (data_[i] == 0xFF && data_[i + 1] != 0 && data_[i + 1] != 0xFF) {
                return true;
            }
        }
        return false;
    }

    const Bytes& data_;
    Bytes out_;
    std::size_t pos_ = 2;
    bool sawFrame_ = false;
    bool sawScan_ = false;
    bool progressive_ = false;
    bool pictureDone_ = false;
    int width_ = 0;
    int height_ = 0;
    int restart_ = 0;
    std::vector<Component> frame_;
    Tables dc_;
    Tables ac_;
    std::array<bool, 4> quant_{};
};

} // namespace

JpegStream readJpegStream(const std::vector<unsigned char>& file) {
    return Reader(file).run();
}

} // namespace pizzeria::assets

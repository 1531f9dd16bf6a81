#include "tools/assetgen/Mp3Writer.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>

namespace assetgen {

namespace {

struct LameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

} // namespace

std::vector<std::uint8_t> encodeMp3(const synth::Pcm& pcm, int kbps) {
    if (pcm.channels < 1 || pcm.channels > 2 || pcm.frames() == 0) {
        return {};
    }
    std::unique_ptr<lame_global_flags, LameDeleter> lame(lame_init());
    if (!lame) {
        return {};
    }
    lame_global_flags* gf = lame.get();
    lame_set_num_channels(gf, pcm.channels);
    lame_set_in_samplerate(gf, synth::kSampleRate);
    lame_set_out_samplerate(gf, synth::kSampleRate);
    lame_set_mode(gf, pcm.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, kbps);
    // 5 is LAME's "fast but good" middle: the whole asset run stays quick.
    lame_set_quality(gf, 5);
    lame_set_bWriteVbrTag(gf, 1);
    lame_set_write_id3tag_automatic(gf, 0);
    if (lame_init_params(gf) < 0) {
        return {};
    }

    std::vector<float> left(pcm.frames()), right(pcm.frames());
    for (std::size_t i = 0; i < pcm.frames(); ++i) {
        left[i] = pcm.samples[i * std::size_t(pcm.channels)];
        right[i] = pcm.samples[i * std::size_t(pcm.channels) + std::size_t(pcm.channels - 1)];
    }

    std::vector<std::uint8_t> out;
    const int chunk = 8192;
    std::vector<unsigned char> buffer(std::size_t(chunk) * 5 / 4 + 7200);
    for (std::size_t start = 0; start < left.size(); start += chunk) {
        const int n = int(std::min<std::size_t>(chunk, left.size() - start));
        const int written = lame_encode_buffer_ieee_float(
            gf, left.data() + start, right.data() + start, n, buffer.data(), int(buffer.size()));
        if (written < 0) {
            return {};
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    }
    const int flushed = lame_encode_flush(gf, buffer.data(), int(buffer.size()));
    if (flushed < 0) {
        return {};
    }
    out.insert(out.end(), buffer.begin(), buffer.begin() + flushed);

    // The first frame was left empty for the info frame that holds the
    // delay, padding and length; it can only be filled in now.
    const std::size_t tagSize = lame_get_lametag_frame(gf, buffer.data(), buffer.size());
    if (tagSize == 0 || tagSize > buffer.size() || tagSize > out.size()) {
        return {};
    }
    std::copy(buffer.begin(), buffer.begin() + long(tagSize), out.begin());
    return out;
}

double decodedPeak(const std::vector<std::uint8_t>& mp3, std::size_t frames) {
    hip_t hip = hip_decode_init();
    if (hip == nullptr) {
        return -1.0;
    }
    // Room for the encoder delay and the padding of the last frame as well.
    const std::size_t room = frames + 8 * 1152;
    std::vector<short> left(room), right(room);
    std::vector<unsigned char> input(mp3.begin(), mp3.end());
    // Everything goes in with the first call; each later call hands back at
    // most one frame. The first calls give nothing while the info frame and
    // the bit reservoir are read, so only a silence after output is the end.
    std::size_t decoded = 0;
    bool failed = false;
    std::size_t length = input.size();
    for (int idle = 0; idle < 4;) {
        if (decoded + 1152 > room) {
            failed = true;
            break;
        }
        const int n =
            hip_decode1(hip, input.data(), length, left.data() + decoded, right.data() + decoded);
        length = 0;
        if (n < 0) {
            failed = true;
            break;
        }
        if (n == 0 && decoded > 0) {
            break;
        }
        idle += n == 0;
        decoded += std::size_t(n);
    }
    hip_decode_exit(hip);
    if (failed || decoded == 0) {
        return -1.0;
    }
    int peak = 0;
    for (std::size_t i = 0; i < decoded; ++i) {
        peak = std::max({peak, std::abs(int(left[i])), std::abs(int(right[i]))});
    }
    return peak / 32768.0;
}

std::vector<std::uint8_t> encodeMp3AtPeak(const synth::Pcm& pcm, int kbps, double peakDb) {
    synth::Pcm scaled = pcm;
    synth::normalizeTo(scaled, peakDb);
    std::vector<std::uint8_t> bytes = encodeMp3(scaled, kbps);
    const double peak = decodedPeak(bytes, scaled.frames());
    if (bytes.empty() || peak <= 0.0) {
        return {};
    }
    // One correction is enough: the codec is close to linear in level.
    const double correction = synth::dbToGain(peakDb) / peak;
    if (std::fabs(20.0 * std::log10(correction)) < 0.05) {
        return bytes;
    }
    for (float& v : scaled.samples) {
        v = float(v * correction);
    }
    return encodeMp3(scaled, kbps);
}

bool saveBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) {
        std::cerr << "assetgen: LAME could not encode or check " << path << std::endl;
        return false;
    }
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) {
        std::cerr << "assetgen: could not write " << path << std::endl;
        return false;
    }
    return true;
}

bool saveMp3(const std::filesystem::path& path, const synth::Pcm& pcm, int kbps) {
    return saveBytes(path, encodeMp3(pcm, kbps));
}

} // namespace assetgen

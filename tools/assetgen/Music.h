#pragma once

#include "tools/assetgen/Synth.h"

namespace assetgen {

// The two music loops, stereo at 44.1 kHz. Every note that rings past the
// end is folded back onto the start, so each loop plays on seamlessly.

// A calm night piece in A minor at 60 beats per minute: 8 bars, 32 s.
synth::Pcm makeNightMusic();
constexpr double kNightBeatsPerMinute = 60.0;
constexpr int kNightBars = 8;

// Party loop at 125 beats per minute: four-on-the-floor kick, hi-hats,
// octave bass, chord stabs and a lead; 16 bars, 30.72 s.
synth::Pcm makeDiscoMusic();
constexpr double kDiscoBeatsPerMinute = 125.0;
constexpr int kDiscoBars = 16;

} // namespace assetgen

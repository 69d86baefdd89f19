#pragma once
// The curve as sound: time runs over a few seconds, the value sets the pitch
// over two octaves, a soft tick marks every zero crossing (so the periods can
// be counted) and the loudness follows the curve's envelope (so damping is
// heard). A pure function of the samples: no widgets, no audio device.
#include <cstdint>
#include <vector>

struct TCurveSoundParams {
  int SampleRate = 22050;   // frames per second, mono
  double Seconds = 3;       // length of the whole sound
  double LowHz = 220;       // pitch of the lowest value of the range
  double Octaves = 2;       // the highest value sounds this many octaves higher
  double ToneLevel = 0.6;   // peak of the tone at full envelope (full scale 1)
  double TickLevel = 0.25;  // peak of a zero-crossing tick
  double TickHz = 2000;     // pitch of the tick's short burst
  double TickSeconds = 0.006;
  double FadeSeconds = 0.01; // fade in and out, so the sound starts and ends without a click
};

// The indices i (1 .. count - 1) where the curve crosses zero between samples
// i - 1 and i: the sign changes (a sample of exactly 0 counts once, where the
// sign of the curve has changed across it).
std::vector<int> ZeroCrossings(const double* y, int count);

// Loudness 0 .. 1 of each sample: the largest |y| around it (within about a
// thirtieth of the samples on either side), over the largest |y| of the curve.
std::vector<double> Envelope(const double* y, int count);

// The frame at which sample i of count sounds.
int SoundFrame(int i, int count, const TCurveSoundParams& params);

// The sound of the samples y[0 .. count - 1], values from low (lowest pitch) to
// high (highest pitch; values outside the range are held at its ends), as
// signed 16-bit mono frames, params.Seconds long. Never clips; non-finite
// samples count as 0. Fewer than 2 samples or an empty range give silence.
std::vector<int16_t> SynthesizeCurve(const double* y, int count, double low, double high,
                                     const TCurveSoundParams& params = {});

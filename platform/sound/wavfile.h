#pragma once
// Wave files decoded by libsndfile, so any WAV a player drops in plays: PCM of 8 to 32 bits,
// float of 32 or 64 bits, µ-law, A-law, IMA ADPCM, MS ADPCM and GSM 6.10, in RIFF, RIFX or
// RF64, plain or WAVE_FORMAT_EXTENSIBLE. The sound keeps its own rate and channel count: the
// sound server converts them for the device.

#include "platform/sound/audiooutput.h"

#include <QByteArray>
#include <optional>

class QIODevice;

// What a wave file's header says: enough to judge its size before any memory goes to it.
struct WavShape
{
    AudioFormat format;
    qint64 frames = 0;
    // Bytes the sound takes as 16-bit PCM.
    qint64 pcmBytes() const { return frames * format.channels * 2; }
};

// The shape of the wave file that in holds from its current position, or nothing when it is
// no wave file libsndfile reads, or has no frames, or a rate or channel count outside
// kMinRate..kMaxRate and 1..kMaxChannels (the sound server takes no others).
std::optional<WavShape> wavShape(QIODevice& in);

// The sound of the wave file that in holds, as signed 16-bit interleaved PCM in the file's
// own format, or nothing: not a wave (as for wavShape), more than maxPcmBytes decoded (judged
// from the header, before decoding), or no frame decodes. A file cut short, or blocks that do
// not decode, give the frames before them. in is read from its current position on; it must
// be open for reading and allow seeking.
std::optional<PcmCue> decodeWav(QIODevice& in, qint64 maxPcmBytes);

// What the sound server takes through Qt (measured with PulseAudio 16: 384 kHz plays, 768 kHz
// does not; Qt finds speaker positions for 24 channels, not for 26).
inline constexpr int kMinRate = 1000;
inline constexpr int kMaxRate = 384000;
inline constexpr int kMaxChannels = 24;

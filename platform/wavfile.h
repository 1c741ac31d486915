#pragma once
// Wave files decoded by the program itself, so any WAV a player drops in plays the same on
// every platform: PCM of 8, 16, 24 or 32 bits and float of 32 or 64 bits, plain or
// WAVE_FORMAT_EXTENSIBLE, any channel count and sample rate.

#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <vector>

struct PcmSound
{
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples; // interleaved frames, full scale -1..1
    qsizetype frames() const { return channels > 0 ? qsizetype(samples.size()) / channels : 0; }
};

// The sound held in bytes, or nothing when they are no playable wave file (no RIFF/WAVE
// header, no usable "fmt " or "data" chunk, an encoding other than PCM or float, no frames,
// or longer than kMaxWavSeconds). A data chunk cut short plays the whole frames it has.
std::optional<PcmSound> decodeWav(QByteArrayView bytes);

inline constexpr int kMaxWavSeconds = 600;

// What decodeWav would give for bytes, read from the header alone: the samples are not
// decoded, so the size of a sound can be judged before any memory goes to it.
struct WavShape
{
    int sampleRate = 0;
    int channels = 0;
    qint64 frames = 0;
};
std::optional<WavShape> wavShape(QByteArrayView bytes);

// Signed 16-bit interleaved PCM at rate and channels: mono spread to every channel, extra
// channels mixed down (to mono) or dropped (beyond the first two), resampled linearly.
QByteArray toInt16(const PcmSound& sound, int rate, int channels);

// How many frames toInt16 makes of frames at fromRate when it resamples them to rate.
qint64 int16Frames(qint64 frames, int fromRate, int rate);

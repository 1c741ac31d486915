#include "wavfile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr quint16 kFormatPcm = 0x0001;
constexpr quint16 kFormatFloat = 0x0003;
constexpr quint16 kFormatExtensible = 0xFFFE;
// The sub-format GUID's tail shared by every KSDATAFORMAT_SUBTYPE_* (the first two bytes
// carry the plain format tag).
constexpr unsigned char kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

quint16 le16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint16(u[0] | (u[1] << 8));
}

quint32 le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | (quint32(u[1]) << 8) | (quint32(u[2]) << 16) | (quint32(u[3]) << 24);
}

struct Format
{
    quint16 tag = 0;
    int channels = 0;
    int sampleRate = 0;
    int bytesPerSample = 0;
};

std::optional<Format> readFormat(const char* p, quint32 size)
{
    if (size < 16)
        return std::nullopt;
    Format f;
    f.tag = le16(p);
    f.channels = le16(p + 2);
    const quint32 rate = le32(p + 4);
    const int bits = le16(p + 14);
    if (f.tag == kFormatExtensible) {
        // cbSize 22: valid bits, channel mask, then the sub-format GUID.
        if (size < 40 || std::memcmp(p + 26, kSubFormatTail, sizeof kSubFormatTail) != 0)
            return std::nullopt;
        f.tag = le16(p + 24);
    }
    if (f.channels < 1 || f.channels > 32 || rate < 1000 || rate > 768000 || bits < 1)
        return std::nullopt;
    f.sampleRate = int(rate);
    f.bytesPerSample = (bits + 7) / 8;
    // Narrower samples (12 or 20 bits) sit left-justified in their container, so reading the
    // container as a whole gives the right value.
    const bool pcmOk = f.tag == kFormatPcm && f.bytesPerSample >= 1 && f.bytesPerSample <= 4;
    const bool floatOk = f.tag == kFormatFloat && (bits == 32 || bits == 64);
    if (!pcmOk && !floatOk)
        return std::nullopt;
    return f;
}

float sampleAt(const Format& f, const char* p)
{
    if (f.tag == kFormatFloat) {
        double v;
        if (f.bytesPerSample == 4) {
            quint32 raw = le32(p);
            float x;
            std::memcpy(&x, &raw, 4);
            v = x;
        } else {
            const quint64 raw = quint64(le32(p)) | (quint64(le32(p + 4)) << 32);
            std::memcpy(&v, &raw, 8);
        }
        if (std::isnan(v))
            return 0.0f;
        return float(std::clamp(v, -1.0, 1.0));
    }
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    switch (f.bytesPerSample) {
    case 1: // 8-bit WAV is unsigned
        return (int(u[0]) - 128) / 128.0f;
    case 2:
        return qint16(le16(p)) / 32768.0f;
    case 3: {
        const qint32 v =
            qint32((quint32(u[0]) << 8) | (quint32(u[1]) << 16) | (quint32(u[2]) << 24));
        return float(v / 2147483648.0);
    }
    default:
        return float(qint32(le32(p)) / 2147483648.0);
    }
}

// Where a wave file's samples lie and how they are laid out.
struct Layout
{
    Format format;
    const char* data = nullptr;
    qint64 frames = 0;
};

std::optional<Layout> readLayout(QByteArrayView bytes)
{
    const char* base = bytes.data();
    const qint64 size = bytes.size();
    if (size < 12 || std::memcmp(base, "RIFF", 4) != 0 || std::memcmp(base + 8, "WAVE", 4) != 0)
        return std::nullopt;
    // The RIFF size is often wrong (streamed writers leave it 0 or 0xFFFFFFFF): walk the
    // chunks up to the real end of the bytes instead.
    std::optional<Format> format;
    const char* data = nullptr;
    qint64 dataSize = 0;
    qint64 pos = 12;
    while (pos + 8 <= size) {
        const char* id = base + pos;
        const qint64 chunkSize = le32(base + pos + 4);
        const qint64 body = pos + 8;
        const qint64 available = std::min(chunkSize, size - body);
        if (std::memcmp(id, "fmt ", 4) == 0 && !format) {
            if (available < chunkSize)
                return std::nullopt;
            format = readFormat(base + body, quint32(chunkSize));
            if (!format)
                return std::nullopt;
        } else if (std::memcmp(id, "data", 4) == 0 && !data) {
            data = base + body;
            dataSize = available;
        }
        // Chunks are padded to an even length.
        pos = body + chunkSize + (chunkSize & 1);
    }
    if (!format || !data)
        return std::nullopt;

    const qint64 frameBytes = qint64(format->bytesPerSample) * format->channels;
    const qint64 frames = dataSize / frameBytes;
    if (frames < 1 || frames > qint64(kMaxWavSeconds) * format->sampleRate)
        return std::nullopt;
    return Layout{*format, data, frames};
}

} // namespace

std::optional<WavShape> wavShape(QByteArrayView bytes)
{
    const std::optional<Layout> layout = readLayout(bytes);
    if (!layout)
        return std::nullopt;
    return WavShape{layout->format.sampleRate, layout->format.channels, layout->frames};
}

std::optional<PcmSound> decodeWav(QByteArrayView bytes)
{
    const std::optional<Layout> layout = readLayout(bytes);
    if (!layout)
        return std::nullopt;
    const Format& format = layout->format;
    PcmSound sound;
    sound.sampleRate = format.sampleRate;
    sound.channels = format.channels;
    sound.samples.resize(std::size_t(layout->frames * format.channels));
    const char* p = layout->data;
    for (float& s : sound.samples) {
        s = sampleAt(format, p);
        p += format.bytesPerSample;
    }
    return sound;
}

qint64 int16Frames(qint64 frames, int fromRate, int rate)
{
    if (frames < 1 || fromRate < 1 || rate < 1)
        return 0;
    return std::max<qint64>(1, frames * rate / fromRate);
}

QByteArray toInt16(const PcmSound& sound, int rate, int channels)
{
    const qint64 inFrames = sound.frames();
    if (inFrames < 1 || rate < 1 || channels < 1 || sound.sampleRate < 1)
        return {};
    const qint64 src = sound.sampleRate;
    const qint64 outFrames = int16Frames(inFrames, sound.sampleRate, rate);
    QByteArray out(outFrames * channels * 2, Qt::Uninitialized);
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    const int inCh = sound.channels;

    // Value of output channel c at input frame i.
    auto frameValue = [&](qint64 i, int c) -> float {
        const float* f = sound.samples.data() + i * inCh;
        if (channels == 1 && inCh > 1) {
            float sum = 0;
            for (int k = 0; k < inCh; ++k)
                sum += f[k];
            return sum / inCh;
        }
        return f[std::min(c, inCh - 1)];
    };

    for (qint64 j = 0; j < outFrames; ++j) {
        // Exact rational position, so equal rates copy the samples unchanged.
        const qint64 num = j * src;
        const qint64 i = num / rate;
        const float frac = float(num % rate) / float(rate);
        const qint64 next = std::min(i + 1, inFrames - 1);
        for (int c = 0; c < channels; ++c) {
            const float a = frameValue(i, c);
            const float v = frac == 0.0f ? a : a + (frameValue(next, c) - a) * frac;
            // Scaled by 32768 so 16-bit input comes back unchanged.
            const long q = std::clamp(std::lround(v * 32768.0f), -32768L, 32767L);
            const quint16 u = quint16(qint16(q));
            *o++ = u & 0xFF;
            *o++ = u >> 8;
        }
    }
    return out;
}

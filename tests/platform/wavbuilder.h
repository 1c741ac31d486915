#pragma once
// Builds wave files byte by byte for the tests, in any encoding the decoder accepts and in
// the broken shapes it must survive.

#include <QByteArray>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <vector>

struct WavFormat
{
    quint16 tag = 1; // 1 PCM, 3 float
    int channels = 1;
    int rate = 44100;
    int bits = 16;
    bool extensible = false;
    std::vector<double> samples; // interleaved, -1..1
    QByteArray chunksBeforeFmt;  // whole chunks, header included
    QByteArray chunksBeforeData;
};

inline void putLe(QByteArray& b, quint64 v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

inline QByteArray chunk(const char id[4], const QByteArray& body)
{
    QByteArray c(id, 4);
    putLe(c, quint64(body.size()), 4);
    c += body;
    if (body.size() % 2)
        c.append('\0');
    return c;
}

inline QByteArray encodeSample(const WavFormat& s, double v)
{
    QByteArray b;
    if (s.tag == 3 && s.bits == 32) {
        const float f = float(v);
        quint32 raw;
        std::memcpy(&raw, &f, 4);
        putLe(b, raw, 4);
    } else if (s.tag == 3) {
        quint64 raw;
        std::memcpy(&raw, &v, 8);
        putLe(b, raw, 8);
    } else if (s.bits == 8) {
        b.append(char(quint8(std::lround(v * 127.0) + 128)));
    } else {
        const int bytes = (s.bits + 7) / 8;
        const double scale = std::ldexp(1.0, 8 * bytes - 1) - 1;
        putLe(b, quint64(qint64(std::llround(v * scale))), bytes);
    }
    return b;
}

inline QByteArray fmtBody(const WavFormat& s)
{
    const int container = (s.bits + 7) / 8;
    QByteArray f;
    putLe(f, s.extensible ? 0xFFFE : s.tag, 2);
    putLe(f, quint64(s.channels), 2);
    putLe(f, quint64(s.rate), 4);
    putLe(f, quint64(s.rate) * s.channels * container, 4);
    putLe(f, quint64(s.channels * container), 2);
    putLe(f, quint64(container * 8), 2);
    if (s.extensible) {
        putLe(f, 22, 2);
        putLe(f, quint64(s.bits), 2);
        putLe(f, s.channels == 2 ? 3 : 4, 4);
        putLe(f, s.tag, 2);
        f += QByteArray::fromHex("000000001000800000aa00389b71");
    }
    return f;
}

inline QByteArray dataBody(const WavFormat& s)
{
    QByteArray d;
    for (double v : s.samples)
        d += encodeSample(s, v);
    return d;
}

inline QByteArray makeWav(const WavFormat& s)
{
    QByteArray body("WAVE");
    body += s.chunksBeforeFmt;
    body += chunk("fmt ", fmtBody(s));
    body += s.chunksBeforeData;
    body += chunk("data", dataBody(s));
    QByteArray riff("RIFF");
    putLe(riff, quint64(body.size()), 4);
    return riff + body;
}

// A file of the given length with silent samples, built without encoding each one: for sizes
// near the player's limits. The samples in format are ignored.
inline QByteArray silentWav(const WavFormat& format, qint64 frames)
{
    const qint64 bytes = frames * format.channels * ((format.bits + 7) / 8);
    const char zero = format.tag == 1 && format.bits == 8 ? char(0x80) : '\0';
    QByteArray body("WAVE");
    body += chunk("fmt ", fmtBody(format));
    body += chunk("data", QByteArray(qsizetype(bytes), zero));
    QByteArray riff("RIFF");
    putLe(riff, quint64(body.size()), 4);
    return riff + body;
}

// A short 16-bit mono ramp, 44.1 kHz: a small valid cue.
inline QByteArray smallCue(int frames = 441, double peak = 0.5)
{
    WavFormat s;
    for (int i = 0; i < frames; ++i)
        s.samples.push_back(peak * (i % 100) / 100.0);
    return makeWav(s);
}

#include "wavfile.h"

#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <sndfile.h>
#include <span>
#include <vector>

namespace {

// libsndfile reads through the device it is given, so the file is opened once, by the caller,
// in whatever careful way the caller chose. Offsets count from where the device stood.
struct Source
{
    QIODevice* device;
    qint64 base;
};

sf_count_t sourceLength(void* user)
{
    const auto* s = static_cast<Source*>(user);
    return std::max<qint64>(0, s->device->size() - s->base);
}

sf_count_t sourceSeek(sf_count_t offset, int whence, void* user)
{
    auto* s = static_cast<Source*>(user);
    qint64 to = offset;
    if (whence == SEEK_CUR)
        to += s->device->pos() - s->base;
    else if (whence == SEEK_END)
        to += sourceLength(user);
    // Past the end is refused, as a broken chunk size: nothing is there to read.
    if (to < 0 || to > sourceLength(user) || !s->device->seek(s->base + to))
        return -1;
    return to;
}

sf_count_t sourceRead(void* data, sf_count_t count, void* user)
{
    auto* s = static_cast<Source*>(user);
    const qint64 n = s->device->read(static_cast<char*>(data), count);
    return n < 0 ? 0 : n;
}

sf_count_t sourceWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t sourceTell(void* user)
{
    const auto* s = static_cast<Source*>(user);
    return s->device->pos() - s->base;
}

struct Closer
{
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using SoundFile = std::unique_ptr<SNDFILE, Closer>;

// The first four bytes of every wave file libsndfile reads: RIFF, big-endian RIFX, RF64.
bool looksLikeWave(QIODevice& in)
{
    char magic[4];
    const qint64 at = in.pos();
    const bool read = in.read(magic, 4) == 4;
    if (!in.seek(at) || !read)
        return false;
    return std::memcmp(magic, "RIFF", 4) == 0 || std::memcmp(magic, "RIFX", 4) == 0 ||
           std::memcmp(magic, "RF64", 4) == 0;
}

// The frame count that a compressed wave file's "fact" chunk gives, or 0 when it has none
// before its data. libsndfile decodes a block codec's last block whole, and the padding that
// fills it out decodes to a burst of noise or a step (a click after the cue); the fact chunk
// says where the sound really ends. Reads only the chunk headers before the data.
qint64 factFrames(QIODevice& in, qint64 base)
{
    char head[12];
    if (!in.seek(base) || in.read(head, 12) != 12)
        return 0;
    const bool bigEndian = std::memcmp(head, "RIFX", 4) == 0;
    auto u32 = [bigEndian](const char* p) {
        const auto* u = reinterpret_cast<const unsigned char*>(p);
        return bigEndian ? quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | u[3]
                         : quint32(u[3]) << 24 | quint32(u[2]) << 16 | quint32(u[1]) << 8 | u[0];
    };
    qint64 pos = base + 12;
    for (int chunks = 0; chunks < 64; ++chunks) {
        char chunk[12];
        if (pos + 8 > in.size() || !in.seek(pos) || in.read(chunk, 12) < 8 ||
            std::memcmp(chunk, "data", 4) == 0)
            return 0;
        const qint64 size = u32(chunk + 4);
        if (std::memcmp(chunk, "fact", 4) == 0)
            return size >= 4 ? u32(chunk + 8) : 0;
        pos += 8 + size + (size & 1);
    }
    return 0;
}

bool isCompressed(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_GSM610:
        return true;
    default:
        return false;
    }
}

struct Opened
{
    SoundFile file;
    WavShape shape;
};

// in opened by libsndfile, when it holds a wave file of a shape the server can play. The
// magic is checked first so that none of libsndfile's other readers (MPEG, Ogg, FLAC...) ever
// sees a cue: a cue is a wave file, as it is on Windows.
std::optional<Opened> openWave(QIODevice& in, Source& source, SF_VIRTUAL_IO& io)
{
    if (!in.isReadable() || in.isSequential() || !looksLikeWave(in))
        return std::nullopt;
    io = {sourceLength, sourceSeek, sourceRead, sourceWrite, sourceTell};
    source = {&in, in.pos()};
    const qint64 fact = factFrames(in, source.base);
    if (!in.seek(source.base))
        return std::nullopt;
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    SoundFile file(sf_open_virtual(&io, SFM_READ, &info, &source));
    if (!file)
        return std::nullopt;
    const int type = info.format & SF_FORMAT_TYPEMASK;
    if (type != SF_FORMAT_WAV && type != SF_FORMAT_WAVEX && type != SF_FORMAT_RF64)
        return std::nullopt;
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < kMinRate ||
        info.samplerate > kMaxRate || info.frames < 1)
        return std::nullopt;
    if (isCompressed(info.format) && fact > 0)
        info.frames = std::min<sf_count_t>(info.frames, fact);
    return Opened{std::move(file), WavShape{{info.samplerate, info.channels}, info.frames}};
}

} // namespace

std::optional<WavShape> wavShape(QIODevice& in)
{
    Source source;
    SF_VIRTUAL_IO io;
    const std::optional<Opened> opened = openWave(in, source, io);
    if (!opened)
        return std::nullopt;
    return opened->shape;
}

std::optional<PcmCue> decodeWav(QIODevice& in, qint64 maxPcmBytes)
{
    Source source;
    SF_VIRTUAL_IO io;
    std::optional<Opened> opened = openWave(in, source, io);
    // Judged from the header, before any memory goes to the samples; frames is at most what
    // the file's length can hold, so a header that claims more is cut to the file first.
    if (!opened || opened->shape.pcmBytes() > maxPcmBytes)
        return std::nullopt;
    SNDFILE* file = opened->file.get();
    PcmCue cue{opened->shape.format, QByteArray(opened->shape.pcmBytes(), Qt::Uninitialized)};
    auto* out = reinterpret_cast<unsigned char*>(cue.pcm.data());
    const int channels = cue.format.channels;
    // Read as floats, a block at a time: libsndfile scales every encoding to full scale -1..1
    // that way (read as shorts, float files would come through unscaled).
    constexpr sf_count_t kBlockFrames = 4096;
    std::vector<float> block(std::size_t(kBlockFrames * channels));
    qint64 got = 0;
    // A short read is the end of what decodes: a file cut short, or a block that is broken.
    while (got < opened->shape.frames) {
        const sf_count_t n = sf_readf_float(
            file, block.data(), std::min<sf_count_t>(kBlockFrames, opened->shape.frames - got));
        if (n <= 0)
            break;
        for (const float v : std::span(block).first(std::size_t(n * channels))) {
            // Scaled by 32768 so 16-bit sources come back unchanged; NaN is silence.
            const float x = std::isnan(v) ? 0.0f : std::clamp(v * 32768.0f, -32768.0f, 32767.0f);
            const auto q = quint16(qint16(std::lrint(x)));
            *out++ = q & 0xFF;
            *out++ = q >> 8;
        }
        got += n;
    }
    if (got < 1)
        return std::nullopt;
    cue.pcm.truncate(got * channels * 2);
    return cue;
}

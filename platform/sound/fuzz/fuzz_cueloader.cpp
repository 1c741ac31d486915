// Feeds arbitrary bytes to the cue decoder and checks what it promises: it returns, and a
// cue it gives has frames, a shape the sound server takes, 16-bit samples that fill whole
// frames, and no more of them than the header allowed and the bound lets through.

#include "platform/sound/cueplayer.h"
#include "platform/sound/wavfile.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    buffer.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    const std::optional<WavShape> shape = wavShape(buffer);
    buffer.seek(0);
    const std::optional<PcmCue> cue = decodeWav(buffer, CuePlayer::kMaxCueBytes);
    if (!cue)
        return 0;
    const AudioFormat& f = cue->format;
    if (!shape || shape->format != f)
        std::abort();
    if (f.channels < 1 || f.channels > kMaxChannels || f.sampleRate < kMinRate ||
        f.sampleRate > kMaxRate)
        std::abort();
    if (cue->pcm.size() % (2 * f.channels) != 0 || cue->frames() < 1 ||
        cue->frames() > shape->frames || cue->pcm.size() > CuePlayer::kMaxCueBytes)
        std::abort();
    return 0;
}

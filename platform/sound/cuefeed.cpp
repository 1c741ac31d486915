#include "cuefeed.h"

#include <algorithm>
#include <cstring>

CueFeed::CueFeed(qint64 tailBytes, int frameBytes, qint64 leadBytes)
    : m_leadBytes(std::max<qint64>(0, leadBytes)), m_tailBytes(std::max<qint64>(0, tailBytes)),
      m_frameBytes(std::max(1, frameBytes))
{
    m_leadBytes -= m_leadBytes % m_frameBytes;
    m_tailBytes -= m_tailBytes % m_frameBytes;
}

void CueFeed::start(const QByteArray& pcm)
{
    m_pcm = pcm;
    m_pos = 0;
    m_lead = m_leadBytes;
    m_tail = m_tailBytes;
}

void CueFeed::clear()
{
    m_pcm.clear();
    m_pos = 0;
    m_lead = 0;
    m_tail = 0;
}

qint64 CueFeed::remaining() const
{
    return m_lead + m_pcm.size() + m_tail - m_pos;
}

qint64 CueFeed::read(char* data, qint64 maxSize)
{
    qint64 n = std::min(maxSize, remaining());
    n -= n % m_frameBytes;
    if (n <= 0)
        return 0;
    // Silence, then the cue's bytes, then silence again.
    std::memset(data, 0, std::size_t(n));
    const qint64 cueFrom = std::max(m_pos, m_lead);
    const qint64 cueTo = std::min(m_pos + n, m_lead + qint64(m_pcm.size()));
    if (cueTo > cueFrom)
        std::memcpy(data + (cueFrom - m_pos), m_pcm.constData() + (cueFrom - m_lead),
                    std::size_t(cueTo - cueFrom));
    m_pos += n;
    return n;
}

#include "cuefeed.h"

#include <algorithm>
#include <cstring>

CueFeed::CueFeed(qint64 tailBytes, int frameBytes)
    : m_tailBytes(std::max<qint64>(0, tailBytes)), m_frameBytes(std::max(1, frameBytes))
{
    m_tailBytes -= m_tailBytes % m_frameBytes;
}

void CueFeed::start(const QByteArray& pcm)
{
    m_pcm = pcm;
    m_pos = 0;
    m_tail = m_tailBytes;
}

void CueFeed::clear()
{
    m_pcm.clear();
    m_pos = 0;
    m_tail = 0;
}

qint64 CueFeed::remaining() const
{
    return m_pcm.size() + m_tail - m_pos;
}

qint64 CueFeed::read(char* data, qint64 maxSize)
{
    qint64 n = std::min(maxSize, remaining());
    n -= n % m_frameBytes;
    if (n <= 0)
        return 0;
    const qint64 fromCue = std::clamp<qint64>(m_pcm.size() - m_pos, 0, n);
    if (fromCue > 0)
        std::memcpy(data, m_pcm.constData() + m_pos, std::size_t(fromCue));
    std::memset(data + fromCue, 0, std::size_t(n - fromCue));
    m_pos += n;
    return n;
}

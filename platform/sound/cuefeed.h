#pragma once
// What the sound device reads: the current cue's bytes, then a stretch of silence long
// enough to push the cue's last samples out of the device's buffer, then nothing. Stopping
// a device throws its buffer away, so a device let go as soon as the cue's bytes were handed
// over would lose the cue's end; with the silent tail it is let go only after the cue has
// sounded whole.

#include <QByteArray>
#include <QtGlobal>

class CueFeed
{
  public:
    // tailBytes of silence follow every cue, leadBytes go before it; reads come in whole
    // frames of frameBytes.
    CueFeed(qint64 tailBytes, int frameBytes, qint64 leadBytes = 0);
    // Replaces whatever was being read: the next read starts at pcm's first byte.
    void start(const QByteArray& pcm);
    // Nothing more to read.
    void clear();
    // Copies up to maxSize bytes (whole frames): the cue, then silence; 0 once both are read.
    qint64 read(char* data, qint64 maxSize);
    // Bytes still to come, cue and tail.
    qint64 remaining() const;
    bool atEnd() const { return remaining() == 0; }

  private:
    QByteArray m_pcm;
    qint64 m_pos = 0; // position in lead + cue + tail
    qint64 m_lead = 0;
    qint64 m_tail = 0;
    qint64 m_leadBytes;
    qint64 m_tailBytes;
    int m_frameBytes;
};

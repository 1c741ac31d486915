#pragma once
// How the data file's bytes become text: UTF-8 or Windows-1252, decided value by value, and
// UTF-16 that starts with its byte order mark, served as UTF-8 so that one byte scanner
// reads all of them by the same rules.

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

// Decodes bytes into text, reusing text's storage: UTF-8 when the bytes are valid UTF-8,
// else Windows-1252.
void decodeInto(QString& text, QByteArrayView bytes);
QString decodeText(QByteArrayView bytes);

// The encoding a byte order mark at the start of head names, when it names UTF-16.
std::optional<QStringConverter::Encoding> utf16Mark(QByteArrayView head);

// A NUL byte in every other position of head, and none between: UTF-16 text without its mark.
bool looksLikeUnmarkedUtf16(QByteArrayView head);

// Serves a UTF-16 source as UTF-8. Reads its source a chunk at a time, and passes on a read
// error (atEnd() stays false) so that it is not taken for the end.
class Utf16AsUtf8 : public QIODevice
{
  public:
    // head: what was read from source before the mark was seen, mark included; failed:
    // whether reading on from there already failed.
    Utf16AsUtf8(QByteArray head, bool failed, QIODevice& source,
                QStringConverter::Encoding encoding);
    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_ended && m_pos == m_out.size(); }

  protected:
    qint64 readData(char* data, qint64 max) override;
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray m_head;
    bool m_failed;
    QIODevice& m_source;
    QStringDecoder m_decoder;
    QStringEncoder m_encoder{QStringConverter::Utf8};
    QByteArray m_out;
    qsizetype m_pos = 0;
    bool m_odd = false;
    bool m_ended = false;
};

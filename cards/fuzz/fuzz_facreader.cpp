// Feeds arbitrary bytes to the data-file reader and checks what it promises: it returns,
// the count stays within 0..100, and a failure carries a known number and a description.

#include "cards/facreader.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    buffer.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    static GameData data; // kept across inputs, as the program keeps its table across reads
    const auto failure = parseFACs(buffer, data);
    if (data.facsRead < 0 || data.facsRead > 100)
        std::abort();
    if (failure) {
        const int n = failure->number;
        if (n != 6 && n != 9 && n != 14 && n != 57 && n != 62 && n != 321)
            std::abort();
        if (n == 9 && data.facsRead != 100)
            std::abort();
        if (n == 321 && data.facsRead != 0)
            std::abort();
        if (failure->description.isEmpty() || readFailureText(*failure).isEmpty())
            std::abort();
    }
    return 0;
}

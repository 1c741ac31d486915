#include "cards/roundclock.h"

#include <array>

namespace {
// One text per timed card of a round; the steps are uneven on purpose (2:51 -> 2:46,
// 2:40 -> 2:33) and must stay as they are.
constexpr std::array<const char*, 50> kClock = {
    "2:57", "2:54", "2:51", "2:46", "2:43", "2:40", "2:33", "2:29", "2:25", "2:21",
    "2:18", "2:15", "2:12", "2:09", "2:05", "2:01", "1:57", "1:53", "1:49", "1:45",
    "1:42", "1:39", "1:36", "1:32", "1:28", "1:25", "1:22", "1:19", "1:16", "1:13",
    "1:10", "1:07", "1:04", "1:00", "0:56", "0:52", "0:48", "0:45", "0:42", "0:38",
    "0:34", "0:30", "0:27", "0:24", "0:20", "0:16", "0:12", "0:08", "0:04", "0:00"};
} // namespace

QString clockText(int facCount)
{
    if (facCount < 1 || facCount > 100)
        return QString();
    return QString::fromLatin1(kClock[(facCount - 1) % 50]);
}

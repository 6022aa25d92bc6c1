#include "intake/RawCopier.h"

#include <cstring>

namespace {

const char *find(const char *p, const char *end, char c)
{
    if (p == end)
        return end; // an empty block's data may be null, which memchr may not be given
    const auto found = static_cast<const char *>(std::memchr(p, c, size_t(end - p)));
    return found ? found : end;
}

} // namespace

void RawCopier::feed(QByteArrayView block, QByteArray &out)
{
    const qsizetype start = out.size();
    out.resize(start + block.size() * 2); // LF grows to CR LF at the most
    char *o = out.data() + start;
    const char *p = block.data();
    const char *const end = p + block.size();
    // CR is looked for from one to the next, not in every line: most
    // playlists have none.
    const char *nextCr = find(p, end, '\r');
    while (p < end) {
        const char *const lineEnd = find(p, end, '\n');
        while (nextCr < lineEnd) {
            std::memcpy(o, p, size_t(nextCr - p));
            o += nextCr - p;
            m_lineHasBytes = m_lineHasBytes || nextCr > p;
            p = nextCr + 1;
            nextCr = find(p, end, '\r');
        }
        if (lineEnd > p) {
            std::memcpy(o, p, size_t(lineEnd - p));
            o += lineEnd - p;
            m_lineHasBytes = true;
        }
        p = lineEnd;
        if (lineEnd == end)
            break;
        *o++ = '\r';
        *o++ = '\n';
        m_lineHasBytes = false;
        p = lineEnd + 1;
    }
    out.truncate(o - out.data());
}

void RawCopier::finish(QByteArray &out)
{
    if (m_lineHasBytes)
        out.append("\r\n");
    m_lineHasBytes = false;
}

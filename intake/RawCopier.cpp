#include "intake/RawCopier.h"

#include <cstring>

namespace {

constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");

const char *find(const char *p, const char *end, char c)
{
    if (p == end)
        return end; // an empty block's data may be null, which memchr may not be given
    const auto found = static_cast<const char *>(std::memchr(p, c, size_t(end - p)));
    return found ? found : end;
}

} // namespace

bool RawCopier::takeMark(QByteArrayView &block, QByteArray &out)
{
    while (m_markMatched >= 0 && !block.isEmpty()) {
        if (block.front() != byteOrderMark[m_markMatched]) {
            // Not the mark: what looked like its start is text after all.
            out.append(byteOrderMark.first(m_markMatched));
            m_lineHasBytes = m_markMatched > 0;
            m_markMatched = -1;
            break;
        }
        block = block.sliced(1);
        if (++m_markMatched == byteOrderMark.size())
            m_markMatched = -1;
    }
    return m_markMatched < 0;
}

void RawCopier::feed(QByteArrayView block, QByteArray &out)
{
    if (!takeMark(block, out))
        return;
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
    if (m_markMatched > 0) {
        out.append(byteOrderMark.first(m_markMatched));
        m_lineHasBytes = true;
    }
    m_markMatched = -1;
    if (m_lineHasBytes)
        out.append("\r\n");
    m_lineHasBytes = false;
}

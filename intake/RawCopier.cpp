#include "intake/RawCopier.h"

#include <cstring>

namespace {

const char *find(const char *p, const char *end, char c)
{
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
    while (p < end) {
        const char *const lineEnd = find(p, end, '\n');
        while (p < lineEnd) {
            const char *const cr = find(p, lineEnd, '\r');
            if (cr > p) {
                std::memcpy(o, p, size_t(cr - p));
                o += cr - p;
                m_lineHasBytes = true;
            }
            p = cr < lineEnd ? cr + 1 : lineEnd;
        }
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

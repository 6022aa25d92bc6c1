#include "intake/RawCopier.h"

#include <array>
#include <cstring>

namespace {

// The bytes the copy does something about; all others go through as they are.
constexpr std::array<bool, 256> special = [] {
    std::array<bool, 256> table{};
    for (const char c : {'[', ']', '#', '\r', '\n'})
        table[uchar(c)] = true;
    return table;
}();

} // namespace

void RawCopier::feed(QByteArrayView block, QByteArray &out)
{
    const qsizetype start = out.size();
    out.resize(start + block.size() * 2); // LF grows to CR LF at the most
    char *o = out.data() + start;
    const char *p = block.data();
    const char *const end = p + block.size();
    bool hasBytes = m_lineHasBytes;
    while (p < end) {
        const char *run = p;
        while (p < end && !special[uchar(*p)])
            ++p;
        if (p > run) {
            std::memcpy(o, run, size_t(p - run));
            o += p - run;
            hasBytes = true;
        }
        if (p == end)
            break;
        switch (*p++) {
        case '[':
            *o++ = '(';
            hasBytes = true;
            break;
        case ']':
            *o++ = ')';
            hasBytes = true;
            break;
        case '\n':
            *o++ = '\r';
            *o++ = '\n';
            hasBytes = false;
            break;
        default: // '#' and CR vanish
            break;
        }
    }
    m_lineHasBytes = hasBytes;
    out.truncate(o - out.data());
}

void RawCopier::finish(QByteArray &out)
{
    if (m_lineHasBytes)
        out.append("\r\n");
    m_lineHasBytes = false;
}

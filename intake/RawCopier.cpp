#include "intake/RawCopier.h"

void RawCopier::feed(QByteArrayView block, QByteArray &out)
{
    const qsizetype start = out.size();
    out.resize(start + block.size() * 2); // LF grows to CR LF at the most
    char *o = out.data() + start;
    bool hasBytes = m_lineHasBytes;
    for (const char ch : block) {
        switch (ch) {
        case '[':
            *o++ = '(';
            hasBytes = true;
            break;
        case ']':
            *o++ = ')';
            hasBytes = true;
            break;
        case '#':
        case '\r':
            break;
        case '\n':
            *o++ = '\r';
            *o++ = '\n';
            hasBytes = false;
            break;
        default:
            *o++ = ch;
            hasBytes = true;
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

#include "channels/PreviousChoice.h"

#include "channels/ChannelMatch.h"
#include "encoding/Ansi.h"
#include "encoding/Utf8.h"
#include "intake/PreviousPlaylist.h"

namespace {

QByteArrayView withoutMarkers(QByteArrayView name)
{
    while (name.endsWith('\x01'))
        name.chop(1);
    return name;
}

// The loaded side as UTF-8: the lists' own bytes in UTF-8 mode, a copy of
// them converted in ANSI mode.
class LoadedSide
{
public:
    LoadedSide(const NameChunks &names, const NameList &ids)
    {
        const bool ansi = names.encoding() == InputMode::Ansi;
        const qsizetype count = names.count();
        m_side.names.reserve(size_t(count));
        m_side.tvgIds.reserve(size_t(count));
        if (ansi) {
            for (qsizetype i = 0; i < count; ++i) {
                ansi::appendAsUtf8(withoutMarkers(names.bytes(i)), m_converted);
                m_ends.push_back(m_converted.size());
                ansi::appendAsUtf8(ids.bytes(i), m_converted);
                m_ends.push_back(m_converted.size());
            }
        }
        for (qsizetype i = 0; i < count; ++i) {
            m_side.names.push_back(ansi ? part(2 * i) : withoutMarkers(names.bytes(i)));
            m_side.tvgIds.push_back(ansi ? part(2 * i + 1) : ids.bytes(i));
        }
    }

    [[nodiscard]] const MatchSide &side() const { return m_side; }

private:
    [[nodiscard]] QByteArrayView part(qsizetype k) const
    {
        const qsizetype begin = k == 0 ? 0 : m_ends[size_t(k - 1)];
        return QByteArrayView(m_converted).sliced(begin, m_ends[size_t(k)] - begin);
    }

    QByteArray m_converted;
    std::vector<qsizetype> m_ends;
    MatchSide m_side;
};

} // namespace

Result<PreviousChoice> choosePrevious(const PreviousPlaylist &previous, const NameChunks &loadedNames,
                                      const NameList &loadedIds, Progress &progress)
{
    Q_ASSERT(loadedIds.count() == loadedNames.count());
    MatchSide previousSide;
    previousSide.names.reserve(size_t(previous.count()));
    previousSide.tvgIds.reserve(size_t(previous.count()));
    for (qsizetype i = 0; i < previous.count(); ++i) {
        previousSide.names.push_back(previous.name(i));
        previousSide.tvgIds.push_back(previous.tvgId(i));
    }
    const LoadedSide loaded(loadedNames, loadedIds);
    Result<std::vector<qint32>> matched = channelMatch::match(previousSide, loaded.side(), progress);
    if (!matched)
        return matched.isStopped() ? Result<PreviousChoice>(Stopped{}) : Result<PreviousChoice>(matched.failure());

    PreviousChoice choice;
    choice.previousCount = previous.count();
    for (qsizetype i = 0; i < previous.count(); ++i) {
        const qint32 channel = (*matched)[size_t(i)];
        if (channel >= 0) {
            choice.channels.push_back(channel);
        } else if (choice.notFoundCount++ < PreviousChoice::namesTold) {
            choice.notFound << utf8::toUtf16(previous.name(i));
        }
    }
    return choice;
}

#include "intake/PreviousPlaylist.h"

#include "base/AppendBytes.h"
#include "base/Progress.h"
#include "encoding/Ansi.h"
#include "encoding/EncodingGuess.h"
#include "encoding/Text.h"
#include "encoding/Utf8.h"
#include "intake/ChannelEntry.h"
#include "intake/ListedName.h"
#include "intake/Passes.h"
#include "intake/WorkingFiles.h"

#include <QIODevice>

#include <algorithm>

void PreviousPlaylist::append(QByteArrayView name, QByteArrayView tvgId)
{
    appendBytes(m_bytes, name);
    m_ends.push_back(m_bytes.size());
    appendBytes(m_bytes, tvgId);
    m_ends.push_back(m_bytes.size());
}

void PreviousPlaylist::squeeze()
{
    m_bytes.squeeze();
    m_ends.shrink_to_fit();
}

namespace {

constexpr qsizetype guessBlockBytes = 1 << 20;
// A tvg-id stands near the start of its entry: of a line too long to be held
// only this much of the start is looked at.
constexpr qsizetype idSearchBytes = 64 << 10;
constexpr qint64 utf8MarkBytes = 3;

// How a pass that gave no value ended.
Result<PreviousPlaylist> notRead(const Result<> &pass)
{
    if (pass.isStopped())
        return Stopped{};
    return pass.failure();
}

Result<> feedEveryBlock(QIODevice &file, EncodingGuess &guess, Progress &progress)
{
    QByteArray block(readBlockSize(file, guessBlockBytes), Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        if (got < 0)
            return FileFailure::of(FileFailure::Action::Read, file);
        if (got == 0)
            break;
        guess.feed(QByteArrayView(block.constData(), got));
        if (!progress.nextBlock())
            return Stopped{};
    }
    guess.finish();
    return {};
}

// Stricter than the load's guess: the list was saved whole in one encoding,
// and saved as UTF-8 it is valid throughout, so one ill-formed sequence
// means Windows-1251.
InputMode previousEncoding(const EncodingGuess &guess)
{
    return guess.hasByteOrderMark() || guess.invalidSequences() == 0 ? InputMode::Utf8 : InputMode::Ansi;
}

// A line given in pieces made what a line held whole becomes before its name
// is taken: without the spaces at its ends, well-formed in UTF-8 mode, with
// "#" in front unless it starts with one. What comes of it goes to the name
// finder, and its start to where the tvg-id is looked for.
class PiecedLine
{
public:
    void begin(InputMode mode);
    void feed(QByteArrayView part);
    // Ends the line: a character it left unfinished is ill-formed.
    void finish();

    [[nodiscard]] NameFinder &name() { return m_name; }
    [[nodiscard]] QByteArrayView head() const { return m_head; }

private:
    void putTrimmed(QByteArrayView text);
    void putHeldSpaces();
    void put(QByteArrayView text);

    InputMode m_mode = InputMode::Utf8;
    bool m_atStart = true;
    qsizetype m_heldSpaces = 0; // put once something other than a space follows
    QByteArray m_unfinished;    // UTF-8 bytes the next piece may finish
    QByteArray m_decoded;
    QByteArray m_head;
    NameFinder m_name;
};

void PiecedLine::begin(InputMode mode)
{
    m_mode = mode;
    m_atStart = true;
    m_heldSpaces = 0;
    m_unfinished.truncate(0);
    m_head.truncate(0);
    m_name.clear();
}

void PiecedLine::feed(QByteArrayView part)
{
    if (m_mode == InputMode::Ansi) {
        putTrimmed(part);
        return;
    }
    appendBytes(m_unfinished, part);
    const qsizetype held = utf8::unfinishedTail(m_unfinished);
    m_decoded.truncate(0);
    utf8::appendSanitized(QByteArrayView(m_unfinished).chopped(held), m_decoded);
    m_unfinished.remove(0, m_unfinished.size() - held);
    putTrimmed(m_decoded);
}

void PiecedLine::finish()
{
    if (!m_unfinished.isEmpty())
        putTrimmed("\xEF\xBF\xBD");
}

void PiecedLine::putTrimmed(QByteArrayView text)
{
    qsizetype i = 0;
    if (m_atStart) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i == text.size())
            return;
        m_atStart = false;
        if (text[i] != '#')
            put("#");
    }
    while (i < text.size()) {
        qsizetype j = i;
        while (j < text.size() && text[j] == ' ')
            ++j;
        m_heldSpaces += j - i;
        if (j == text.size())
            return;
        putHeldSpaces();
        qsizetype k = j;
        while (k < text.size() && text[k] != ' ')
            ++k;
        put(text.sliced(j, k - j));
        i = k;
    }
}

void PiecedLine::putHeldSpaces()
{
    // However many there are, they go in pieces of this.
    static const QByteArray spaces(64, ' ');
    while (m_heldSpaces > 0) {
        const qsizetype n = std::min(m_heldSpaces, spaces.size());
        put(QByteArrayView(spaces).first(n));
        m_heldSpaces -= n;
    }
}

void PiecedLine::put(QByteArrayView text)
{
    m_name.append(text);
    const qsizetype room = idSearchBytes - m_head.size();
    if (room > 0)
        appendBytes(m_head, text.first(std::min(room, text.size())));
}

// The channels of a previous playlist from its lines, in the mode decided.
class ChannelTaker
{
public:
    explicit ChannelTaker(InputMode mode)
        : m_mode(mode)
        , m_playlist(mode)
    {
    }

    // What the mode reads of a line held whole.
    void takeLine(QByteArrayView part);
    [[nodiscard]] Result<> takeLongLine(LineReader &reader, QByteArrayView first, Progress &progress);
    [[nodiscard]] PreviousPlaylist &playlist() { return m_playlist; }

private:
    // entry: the line, or the start of it, that holds the attributes.
    void store(QByteArrayView entry, QByteArrayView listedName);

    InputMode m_mode;
    PreviousPlaylist m_playlist;
    QByteArray m_sanitized;
    QByteArray m_hashed;
    QByteArray m_name;
    QByteArray m_id;
    ListedName m_listed;
    PiecedLine m_pieced;
};

void ChannelTaker::takeLine(QByteArrayView part)
{
    QByteArrayView line = trimSpaces(part);
    if (!channelEntry::isEntry(line))
        return;
    if (m_mode == InputMode::Utf8 && !utf8::isValid(line)) {
        m_sanitized.truncate(0);
        utf8::appendSanitized(line, m_sanitized);
        line = m_sanitized;
    }
    // As the load writes the entry: a name without a comma is then the whole
    // line, "#" included.
    if (!line.startsWith('#')) {
        m_hashed.truncate(0);
        m_hashed.append('#');
        appendBytes(m_hashed, line);
        line = m_hashed;
    }
    store(line, ListedName::of(channelEntry::name(line), m_mode, m_listed));
}

Result<> ChannelTaker::takeLongLine(LineReader &reader, QByteArrayView first, Progress &progress)
{
    channelEntry::TagFinder entryTag(channelEntry::entryTag);
    m_pieced.begin(m_mode);
    bool going = true;
    passes::forEachLongLinePart(reader, first, m_mode, [&](QByteArrayView part) {
        // The reader goes on to the line's end; after a stop nothing is done with it.
        going = going && progress.next();
        if (!going)
            return;
        entryTag.feed(part);
        m_pieced.feed(part);
    });
    if (!going)
        return Stopped{};
    m_pieced.finish();
    if (entryTag.found())
        store(m_pieced.head(), m_pieced.name().name().listed(m_mode));
    return {};
}

void ChannelTaker::store(QByteArrayView entry, QByteArrayView listedName)
{
    const QByteArrayView id = channelEntry::attributeValue(entry, "tvg-id").value_or(QByteArrayView());
    if (m_mode == InputMode::Utf8) {
        m_playlist.append(listedName, utf8::truncated(id, PreviousPlaylist::maxIdBytes));
        return;
    }
    m_name.truncate(0);
    ansi::appendAsUtf8(listedName, m_name);
    m_id.truncate(0);
    ansi::appendAsUtf8(id.first(std::min(id.size(), PreviousPlaylist::maxIdBytes)), m_id);
    m_playlist.append(m_name, utf8::truncated(m_id, PreviousPlaylist::maxIdBytes));
}

Result<> takeEveryLine(QIODevice &file, ChannelTaker &taker, InputMode mode, Progress &progress, qsizetype longLine)
{
    LineReader reader(file, LineReader::defaultBlockSize, longLine);
    QByteArrayView line;
    while (reader.next(line)) {
        if (!reader.inPieces())
            taker.takeLine(reader.readPart(line, mode));
        else if (Result<> taken = taker.takeLongLine(reader, line, progress); !taken)
            return taken;
        if (!progress.next())
            return Stopped{};
    }
    if (reader.failed())
        return FileFailure::of(FileFailure::Action::Read, file);
    return {};
}

} // namespace

Result<PreviousPlaylist> readPreviousPlaylist(QIODevice &file, Progress &progress, qsizetype longLine)
{
    EncodingGuess guess;
    if (Result<> fed = feedEveryBlock(file, guess, progress); !fed)
        return notRead(fed);
    const InputMode mode = previousEncoding(guess);
    // The mark is no part of the first line.
    if (file.isSequential() || !file.seek(guess.hasByteOrderMark() ? utf8MarkBytes : 0))
        return FileFailure::of(FileFailure::Action::Read, file);
    ChannelTaker taker(mode);
    if (Result<> read = takeEveryLine(file, taker, mode, progress, longLine); !read)
        return notRead(read);
    taker.playlist().squeeze();
    return std::move(taker.playlist());
}

Result<PreviousPlaylist> readPreviousPlaylist(const QString &path, Progress &progress)
{
    using Action = FileFailure::Action;
    auto file = openForReading(path);
    if (!file)
        return file.failure();
    if ((*file)->size() > PreviousPlaylist::maxFileBytes)
        return FileFailure{Action::Read, path, QStringLiteral("Файл больше %1 МБ.").arg(PreviousPlaylist::maxFileBytes >> 20)};
    Result<PreviousPlaylist> read = readPreviousPlaylist(**file, progress);
    if (read && read->count() == 0)
        return FileFailure{Action::Read, path, QStringLiteral("В файле нет ни одного канала.")};
    return read;
}

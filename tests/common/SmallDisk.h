#pragma once

#include <QString>
#include <QTemporaryDir>

// A disk that fills up: a tmpfs of a few hundred kilobytes mounted on a folder
// of its own, for as long as this lives. Only root on Linux may mount one;
// elsewhere available() is false and the test skips.
class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    [[nodiscard]] bool available() const { return m_mounted; }
    [[nodiscard]] QString path() const { return m_folder.path(); }
    // Bytes a file can still take.
    [[nodiscard]] qint64 freeBytes() const;
    // Leaves this many bytes free, in a file of its own.
    void fillUpTo(qint64 freeBytes);

private:
    QTemporaryDir m_folder;
    bool m_mounted = false;
};

#define KELVARO_REQUIRE_SMALL_DISK(disk)                                                                           \
    do {                                                                                                          \
        if (!(disk).available())                                                                                  \
            QSKIP("no small disk: mounting a tmpfs needs root on Linux");                                         \
    } while (false)

// Writes past the size fail as on a full disk (the file size limit of the
// process, Unix only), for as long as this lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    [[nodiscard]] bool active() const { return m_active; }

private:
    bool m_active = false;
#ifdef Q_OS_UNIX
    unsigned long long m_saved = 0;
    void (*m_oldHandler)(int) = nullptr;
#endif
};

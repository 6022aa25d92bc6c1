#pragma once

#include <QIODevice>

class QFileDevice;

// Hands what is written on to a file and, on Linux, has the system start
// writing each completed stretch to disk at once, while the rest is still
// being made: the flush to disk that makes the file safe at the end then
// finds little left to do.
class EarlyWriteback : public QIODevice
{
public:
    explicit EarlyWriteback(QFileDevice &file);

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    static constexpr qint64 stretch = qint64(16) << 20;

    QFileDevice &m_file;
    qint64 m_written = 0;
    qint64 m_handedOn = 0; // written out up to here
};

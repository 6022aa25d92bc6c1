#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Stands in for the browser: registered with QDesktopServices::setUrlHandler,
// the program's "open" lands here.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

#pragma once

#include "encoding/LineCodec.h"
#include "intake/Normaliser.h"
#include "intake/WorkingFiles.h"

#include <QString>

// What the main window keeps between operations besides its controls.
struct Session
{
    QString programFolder;
    WorkingFiles workingFiles;
    Normaliser normaliser; // lastChannelName, dupCount, dupMarker
    LineCodec codec;       // sCodePage, cnvUni2
    QString playlistPath;
    QString saveExtension;
    // Items added to the list the running operation fills.
    qint32 channelCount = 0;
};

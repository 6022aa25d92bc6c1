#include "intake/SourceList.h"

#include "app/Form1Ui.h"
#include "app/Session.h"
#include "channels/ChannelListModel.h"
#include "intake/Passes.h"

#include <QStringList>

namespace sourceList {

using Kind = WorkingFiles::Kind;

PassResult RebuildSourceList(Form1Ui &ui, Session &session, OperationGate::Operation &operation)
{
    ui.list1Model->clear();
    session.channelCount = 0;
    if (!session.workingFiles.exists(Kind::Normalised))
        return PassResult::noPlaylist();
    if (auto failure = session.workingFiles.removeIfPresent(Kind::Normalised))
        return PassResult::failed(*failure);
    if (!session.workingFiles.exists(Kind::Raw))
        return PassResult::noPlaylist();
    TimeSlice slice = operation.slice();
    return passes::makeNormalisedCopy(session.workingFiles, session.normaliser, ui.inputMode(), slice);
}

PassResult fill(Form1Ui &ui, Session &session, OperationGate::Operation &operation, bool ticked)
{
    if (!session.workingFiles.exists(Kind::Normalised))
        return PassResult::noPlaylist();
    QStringList pending;
    const auto showPending = [&] {
        ui.list1Model->append(std::move(pending), ticked);
        pending.clear();
        ui.showChannelCount(session.channelCount);
    };
    TimeSlice slice = operation.slice(showPending);
    const PassResult result = passes::readChannelNames(session.workingFiles, ui.inputMode(), slice,
                                                       [&](QString &&name) {
                                                           pending.append(std::move(name));
                                                           ++session.channelCount;
                                                       });
    showPending();
    return result;
}

} // namespace sourceList

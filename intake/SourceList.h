#pragma once

#include "app/OperationGate.h"
#include "intake/PassResult.h"

struct Form1Ui;
struct Session;

// The file side of the source list List1: rebuilding the normalised copy in
// the input mode now set, and filling List1 from it.
namespace sourceList {

// Empties List1 and makes the normalised copy anew from the raw copy.
// NoPlaylist when there was no normalised copy to replace.
[[nodiscard]] PassResult RebuildSourceList(Form1Ui &ui, Session &session, OperationGate::Operation &operation);

// Appends the channel names of the normalised copy to List1, all ticked or
// all unticked, counting them in channelCount and Label2 as they come.
[[nodiscard]] PassResult fill(Form1Ui &ui, Session &session, OperationGate::Operation &operation, bool ticked);

} // namespace sourceList

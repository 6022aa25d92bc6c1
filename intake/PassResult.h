#pragma once

#include "app/FileFailure.h"

#include <optional>

// How a pass over a file ended.
struct PassResult
{
    enum class Status {
        Done,
        Stopped, // the window is closing
        NoPlaylist, // a working file is missing: nothing is loaded
        Failed,
    };

    Status status = Status::Done;
    std::optional<FileFailure> failure;

    [[nodiscard]] static PassResult done() { return {}; }
    [[nodiscard]] static PassResult stopped() { return {Status::Stopped, std::nullopt}; }
    [[nodiscard]] static PassResult noPlaylist() { return {Status::NoPlaylist, std::nullopt}; }
    [[nodiscard]] static PassResult failed(FileFailure f) { return {Status::Failed, std::move(f)}; }

    [[nodiscard]] bool ok() const { return status == Status::Done; }
};

#pragma once

#include "base/FileFailure.h"

#include <utility>
#include <variant>

// An operation that was asked to stop (the window is closing): not a failure,
// nothing to tell.
struct Stopped
{
};

// How an operation on files ended: done (with its value), failed (with why),
// or stopped. Every function that can fail on a file returns one; the session
// turns a failure into what the user is told.
template<class T = void>
class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    {
    }
    Result(FileFailure failure)
        : m_state(std::in_place_index<1>, std::move(failure))
    {
    }
    Result(Stopped)
        : m_state(std::in_place_index<2>)
    {
    }

    [[nodiscard]] bool ok() const { return m_state.index() == 0; }
    [[nodiscard]] bool isStopped() const { return m_state.index() == 2; }
    explicit operator bool() const { return ok(); }

    [[nodiscard]] T &value() { return std::get<0>(m_state); }
    [[nodiscard]] const T &value() const { return std::get<0>(m_state); }
    [[nodiscard]] T &operator*() { return value(); }
    [[nodiscard]] const T &operator*() const { return value(); }
    [[nodiscard]] T *operator->() { return &value(); }
    [[nodiscard]] const T *operator->() const { return &value(); }
    [[nodiscard]] const FileFailure &failure() const { return std::get<1>(m_state); }

private:
    std::variant<T, FileFailure, Stopped> m_state;
};

template<>
class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(FileFailure failure)
        : m_state(std::move(failure))
    {
    }
    Result(Stopped)
        : m_state(Stopped{})
    {
    }
    // The same end without the value.
    template<class T>
    Result(const Result<T> &other)
        : Result(other.ok() ? Result() : other.isStopped() ? Result(Stopped{}) : Result(other.failure()))
    {
    }

    [[nodiscard]] bool ok() const { return m_state.index() == 0; }
    [[nodiscard]] bool isStopped() const { return m_state.index() == 2; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const FileFailure &failure() const { return std::get<1>(m_state); }

private:
    std::variant<std::monostate, FileFailure, Stopped> m_state;
};

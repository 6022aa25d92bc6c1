#pragma once

#include "intake/FileFailure.h"

#include <utility>
#include <variant>

// What a file operation gives back: its value, or why it did not complete.
// Every function that can fail on a file returns one; the session turns the
// failure into what the user is told.
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

    [[nodiscard]] bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    [[nodiscard]] T &value() { return std::get<0>(m_state); }
    [[nodiscard]] const T &value() const { return std::get<0>(m_state); }
    [[nodiscard]] T &operator*() { return value(); }
    [[nodiscard]] const T &operator*() const { return value(); }
    [[nodiscard]] T *operator->() { return &value(); }
    [[nodiscard]] const T *operator->() const { return &value(); }
    [[nodiscard]] const FileFailure &failure() const { return std::get<1>(m_state); }

private:
    std::variant<T, FileFailure> m_state;
};

template<>
class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(FileFailure failure)
        : m_failure(std::move(failure))
        , m_failed(true)
    {
    }
    template<class T>
    Result(const Result<T> &other)
        : Result(other.ok() ? Result() : Result(other.failure()))
    {
    }

    [[nodiscard]] bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const FileFailure &failure() const { return m_failure; }

private:
    FileFailure m_failure;
    bool m_failed = false;
};

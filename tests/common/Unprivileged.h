#pragma once

#include <QtGlobal>

// Permission bits do not stop root, and CI runs the tests as root. Inside this
// scope the process acts as the unprivileged user "nobody" (effective ids
// only), so that read-only files and folders behave as they do for a user.
class Unprivileged
{
public:
    Unprivileged();
    ~Unprivileged();
    Unprivileged(const Unprivileged &) = delete;
    Unprivileged &operator=(const Unprivileged &) = delete;

    // False where the test cannot get an unprivileged user.
    [[nodiscard]] bool active() const { return m_active; }

    // Makes a folder usable by that user (created by root before the scope).
    static void openUp(const QString &path);

private:
    bool m_active = false;
    bool m_dropped = false;
};

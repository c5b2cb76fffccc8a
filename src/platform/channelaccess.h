// SPDX-License-Identifier: GPL-3.0-or-later
// Who can reach the hand-over channel: its socket lives in a folder that only this user may
// enter, and each end checks that the process at the other end runs as this user.
#pragma once

#include <QString>

#include <optional>

struct PrivateFolder
{
    QString path;    // empty when there is no safe folder
    QString problem; // why not, naming the folder
};

// $XDG_RUNTIME_DIR when it is private to this user; else <temp>/linkshelf-<uid>, made with
// mode 0700 when missing. A folder found there must be a real folder (not a link) that this
// user owns and that no one else may enter, or it is refused.
PrivateFolder privateRuntimeFolder();

uint currentUserId();
// The user of the process at the other end of a connected local socket; none when the system
// cannot tell.
std::optional<uint> peerUserId(qintptr socketDescriptor);

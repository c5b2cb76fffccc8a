// SPDX-License-Identifier: GPL-3.0-or-later
// Building a tree from folders listed in pre-order with their levels, as the folder tree file
// lists them: each folder hangs under the last folder one level up.
#pragma once

#include <algorithm>
#include <vector>

// Node is what the caller builds (an item pointer, say); a default Node stands for the top.
template <typename Node> class LevelParents
{
public:
    // The parent of the next folder, at level: the last folder placed one level up, or a
    // default Node at the top. A level more than one below the last folder's counts as one
    // below it, so that no folder is lost to a gap in the levels.
    Node parentAt(int level)
    {
        m_stack.resize(std::min(size_t(std::max(level, 0)), m_stack.size()));
        return m_stack.empty() ? Node{} : m_stack.back();
    }

    // The folder placed after parentAt: the last one at its level.
    void place(Node node) { m_stack.push_back(std::move(node)); }

private:
    std::vector<Node> m_stack; // m_stack[L]: the last folder placed at level L
};

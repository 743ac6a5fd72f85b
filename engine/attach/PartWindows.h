// The windows one part of the engine draws (buttons, fields, common controls...), with what the
// part keeps for each: the one kind of registry every part shares, and the one way a part gives
// its windows back at detach.
#pragma once

#include <windows.h>

#include <map>
#include <utility>
#include <vector>

#include "WindowSubclass.h"

namespace velum {

// What a part keeps for a window when it keeps nothing but the window.
struct NoState {};

template <class State>
class PartWindows : private std::map<HWND, State> {
    using Map = std::map<HWND, State>;

public:
    using Map::begin;
    using Map::count;
    using Map::end;
    using Map::erase;
    using Map::find;
    using Map::operator[];

    State* Find(HWND hwnd)
    {
        const auto found = find(hwnd);
        return found != end() ? &found->second : nullptr;
    }

    // The windows now, for a loop whose work may make or destroy windows: look each up again.
    std::vector<HWND> Windows() const
    {
        std::vector<HWND> windows;
        for (const auto& [hwnd, state] : static_cast<const Map&>(*this))
            windows.push_back(hwnd);
        return windows;
    }

    // Out of the registry first, so a window being given back only passes its messages on; then
    // `giveBack(hwnd, state)` for each, while the engine's subclass still leads to the window's
    // own procedure, and the subclass removed.
    template <class GiveBack>
    void GiveBackAll(GiveBack giveBack)
    {
        Map windows = std::move(static_cast<Map&>(*this));
        Map::clear();
        for (auto& [hwnd, state] : windows) {
            giveBack(hwnd, state);
            RemoveSubclass(hwnd);
        }
    }

    // The same for one window, or for all of them when `only` is null.
    template <class Work>
    void GiveBack(HWND only, Work giveBack)
    {
        if (only == nullptr) {
            GiveBackAll(giveBack);
            return;
        }
        const auto found = find(only);
        if (found == end())
            return;
        State state = std::move(found->second);
        erase(found);
        giveBack(only, state);
        RemoveSubclass(only);
    }
};

}  // namespace velum

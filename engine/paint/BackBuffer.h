// Painting through an off-screen bitmap, so nothing flickers.
#pragma once

#include <windows.h>

#include <optional>

#include "Handles.h"

namespace velum {

// An off-screen bitmap for one area of a target, drawn on in the target's coordinates; Commit
// copies the area to the target DC. It lives only while one part is painted, unless it is the
// kept one (see below); either way it starts with a DC in its default state.
class BackBuffer {
public:
    enum class Kind { Fresh, Kept };
    BackBuffer(HDC target, const RECT& area, Kind kind = Kind::Fresh);
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
    ~BackBuffer();
    HDC Dc() const { return dc_; }
    bool Ok() const { return dc_ != nullptr; }
    void Commit() const;

private:
    HDC target_;
    RECT area_;
    HDC dc_ = nullptr;
    int savedState_ = 0;  // of the kept buffer's DC, restored when this one goes
    bool mirrored_ = false;
    // Destroyed in reverse: the bitmap is selected out before it is deleted, then the DC goes.
    UniqueDc ownDc_;
    UniqueBitmap ownBitmap_;
    std::optional<ScopedSelect> selected_;
};

// A frame's caption band and menu bar are painted on every switch, activation and hover. A new
// bitmap for each costs more under Wine than painting them (its memory is made and touched
// afresh), so one bitmap for them is kept between paints, as large as the largest such area
// asked for so far (Kind::Kept). This frees it.
void ReleaseKeptBuffer();

}  // namespace velum

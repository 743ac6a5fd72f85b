#include "BackBuffer.h"

#include "Painter.h"

namespace velum {

namespace {

struct KeptBuffer {
    UniqueDc dc;
    UniqueBitmap bitmap;
    std::optional<ScopedSelect> selected;
    SIZE size{0, 0};
    bool inUse = false;
};

KeptBuffer& Kept()
{
    static KeptBuffer kept;
    return kept;
}

// Larger areas (a caption band across a very wide screen, a bar of many rows) get a bitmap of
// their own rather than growing the kept one past this.
constexpr LONG kKeptPixels = 1 << 18;

// The kept DC with a bitmap of at least `size`, or nullptr when it is busy or cannot be made.
HDC TakeKept(HDC target, SIZE size)
{
    KeptBuffer& kept = Kept();
    if (kept.inUse || size.cx * size.cy > kKeptPixels)
        return nullptr;
    if (!kept.dc || size.cx > kept.size.cx || size.cy > kept.size.cy) {
        const SIZE grown{std::max(size.cx, kept.size.cx), std::max(size.cy, kept.size.cy)};
        if (grown.cx * grown.cy > kKeptPixels)
            return nullptr;
        kept.selected.reset();
        kept.bitmap.reset();
        if (!kept.dc)
            kept.dc.reset(CreateCompatibleDC(target));
        kept.bitmap.reset(CreateCompatibleBitmap(target, grown.cx, grown.cy));
        if (!kept.dc || !kept.bitmap) {
            ReleaseKeptBuffer();
            return nullptr;
        }
        kept.selected.emplace(kept.dc.get(), kept.bitmap.get());
        kept.size = grown;
    }
    kept.inUse = true;
    return kept.dc.get();
}

}  // namespace

void ReleaseKeptBuffer()
{
    KeptBuffer& kept = Kept();
    if (kept.inUse)
        return;
    kept.selected.reset();
    kept.bitmap.reset();
    kept.dc.reset();
    kept.size = {0, 0};
}

BackBuffer::BackBuffer(HDC target, const RECT& area, Kind kind) : target_(target), area_(area)
{
    const SIZE size{std::max(1L, static_cast<LONG>(area.right - area.left)),
                    std::max(1L, static_cast<LONG>(area.bottom - area.top))};
    if (kind == Kind::Kept) {
        dc_ = TakeKept(target, size);
        // The kept DC goes back as it was, so each painter finds the defaults a new DC has.
        if (dc_ != nullptr && (savedState_ = SaveDC(dc_)) == 0) {
            Kept().inUse = false;
            dc_ = nullptr;
        }
    }
    if (dc_ == nullptr) {
        ownDc_.reset(CreateCompatibleDC(target));
        ownBitmap_.reset(CreateCompatibleBitmap(target, size.cx, size.cy));
        if (!ownDc_ || !ownBitmap_)
            return;
        selected_.emplace(ownDc_.get(), ownBitmap_.get());
        dc_ = ownDc_.get();
    }
    // A right-to-left control's DC is mirrored, and a copy from an unmirrored bitmap would be
    // mirrored whole, its text too: the buffer is mirrored as its target, so each part is drawn
    // where the target would have it and the copy keeps the pixels as they are.
    if ((GetLayout(target) & LAYOUT_RTL) != 0) {
        SetLayout(dc_, LAYOUT_RTL);
        mirrored_ = true;
    }
    SetWindowOrgEx(dc_, area.left, area.top, nullptr);
    // The kept bitmap may be larger than the area: what is drawn past it is never shown.
    IntersectClipRect(dc_, area.left, area.top, area.right, area.bottom);
}

BackBuffer::~BackBuffer()
{
    if (savedState_ != 0) {
        if (mirrored_)
            SetLayout(dc_, 0);
        RestoreDC(dc_, savedState_);
        Kept().inUse = false;
    }
}

void BackBuffer::Commit() const
{
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_, area_.left,
           area_.top, SRCCOPY);
}

}  // namespace velum

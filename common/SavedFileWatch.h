// Tells a theme author's saves of one file apart, by looking at its last-write time and size
// about every quarter second. Used by velum-try --watch and by the gallery's --watch.
//
// Editors save in different ways: in place (truncate, then write), or to a new file renamed
// over the old one. A look can fall in the middle of either, so a change is taken only once
// the file is there, not empty, and unchanged since the previous look; a save caught half
// written is then taken at the look after the writer is done. Each save is taken once, so
// whoever applies it reports its outcome once.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

class SavedFileWatch {
public:
    // How often the owner is expected to call Saved.
    static constexpr DWORD kLookIntervalMs = 250;

    // The file as it is now counts as applied already: call before applying it the first time.
    explicit SavedFileWatch(std::wstring path) : path_(std::move(path)), taken_(Look()), previous_(taken_) {}

    const std::wstring& Path() const { return path_; }

    // True once for each save since the last true, when that save has settled.
    bool Saved()
    {
        const std::optional<Stamp> now = Look();
        const bool settled = now && now == previous_;
        previous_ = now;
        if (!settled || now->size == 0 || now == taken_)
            return false;
        taken_ = now;
        return true;
    }

private:
    struct Stamp {
        ULONGLONG written = 0;
        ULONGLONG size = 0;
        bool operator==(const Stamp&) const = default;
    };

    // Nothing while the file is missing: between an editor's delete and its rename.
    std::optional<Stamp> Look() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data))
            return std::nullopt;
        return Stamp{(static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                         data.ftLastWriteTime.dwLowDateTime,
                     (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
    }

    std::wstring path_;
    std::optional<Stamp> taken_;
    std::optional<Stamp> previous_;
};

// The engine's side of a theme file, fed as Velum_AttachEx feeds it: the file read in pieces of
// the input's choosing up to and past the 1 MiB cap, a scheme asked for by name (any of the
// file's, in any case, or one it lacks), the error text, and its copy into a caller's buffer of
// any size. The input's tail holds these choices; its head is the file.
#include "ThemeLoad.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

void Require(bool ok)
{
    if (!ok)
        std::abort();
}

// Stands in for the engine's UTF-8 to ANSI conversion, which may shorten text but never empties it.
std::string Converted(std::string_view utf8)
{
    return std::string(utf8.substr(0, 200));
}

std::string FlippedCase(std::string name)
{
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const auto chunk = in.ConsumeIntegralInRange<std::size_t>(1, velum::kMaxThemeFileBytes + 2);
    const auto padKind = in.ConsumeIntegralInRange<int>(0, 255);
    const auto schemePick = in.ConsumeIntegral<std::uint16_t>();
    const int bufferSize = in.ConsumeIntegralInRange<int>(-1, 300);
    std::string file = in.ConsumeRemainingBytesAsString();

    // Now and then (a megabyte takes milliseconds to check) the file is padded with one long comment line to just
    // under, at, or just over the cap, or to half of it.
    const std::size_t cap = velum::kMaxThemeFileBytes;
    std::size_t target = 0;
    if (padKind >= 253)
        target = cap - 1 + static_cast<std::size_t>(padKind - 253);
    if (padKind == 252)
        target = cap / 2;
    if (file.size() + 2 <= target) {
        file += "\n;";
        file.resize(target, 'x');
    }

    std::size_t given = 0, reach = 0;
    const velum::ChunkReader reader = [&](char* buffer, std::size_t room) -> std::optional<std::size_t> {
        reach = std::max(reach, given + room);
        const std::size_t n = std::min({room, chunk, file.size() - given});
        if (n > 0)
            std::memcpy(buffer, file.data() + given, n);
        given += n;
        return n;
    };
    std::string bytes;
    const velum::ReadStatus read = velum::ReadCapped(reader, bytes);
    Require(reach <= cap + 1);
    if (file.size() > cap) {
        Require(read == velum::ReadStatus::TooLarge && bytes.empty());
        const velum::LoadedTheme big = velum::ParseForAttach(file, "C:\\fuzz.vlm", "fuzz.vlm", "", Converted);
        Require(big.status == velum::LoadStatus::TooLarge && !big.theme &&
                big.error == velum::TooLargeText("C:\\fuzz.vlm"));
        return 0;
    }
    Require(read == velum::ReadStatus::Ok && bytes == file);

    const std::vector<std::string> schemes = velum::ListThemeSchemes(bytes);
    std::string scheme;
    bool listed = false;
    if (!schemes.empty() && schemePick % 4 != 0) {
        scheme = schemes[schemePick / 4 % schemes.size()];
        if (schemePick % 4 == 2)
            scheme = FlippedCase(scheme);
        listed = true;
    } else if (schemePick % 8 == 4) {
        scheme = "Night";  // in the dictionary, so the fuzzer can make a file define it or not
        listed = std::any_of(schemes.begin(), schemes.end(),
                             [&](const std::string& s) { return velum::SameSchemeName(s, scheme); });
    }

    const velum::LoadedTheme loaded = velum::ParseForAttach(bytes, "C:\\fuzz.vlm", "fuzz.vlm", scheme, Converted);
    Require(loaded.theme.has_value() == (loaded.status == velum::LoadStatus::Ok));
    Require(loaded.error.empty() == (loaded.status == velum::LoadStatus::Ok));
    Require(loaded.status != velum::LoadStatus::TooLarge);
    // A scheme the file names is never reported missing; one it lacks is, unless the base breaks first.
    if (listed)
        Require(loaded.status != velum::LoadStatus::NoSuchScheme);
    if (!scheme.empty() && !listed)
        Require(loaded.status == velum::LoadStatus::NoSuchScheme);
    if (loaded.theme && !scheme.empty())
        Require(velum::SameSchemeName(loaded.theme->scheme, scheme));

    // The caller's buffer is exactly as large as it says, so AddressSanitizer sees any overrun.
    const std::size_t room = static_cast<std::size_t>(std::max(bufferSize, 0));
    auto buffer = std::make_unique<char[]>(std::max<std::size_t>(room, 1));
    std::memset(buffer.get(), '#', std::max<std::size_t>(room, 1));
    Require(velum::CopyErrorText(loaded.error, room > 0 ? buffer.get() : nullptr, bufferSize) ==
            static_cast<int>(loaded.error.size()));
    if (room > 0) {
        const std::size_t n = std::min(loaded.error.size(), room - 1);
        Require(std::memcmp(buffer.get(), loaded.error.data(), n) == 0 && buffer[n] == '\0');
    }
    return 0;
}

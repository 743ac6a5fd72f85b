// Parse times for large and awkward inputs near the size cap. Prints numbers and asserts nothing:
// run it from a Release build without sanitizers to compare changes, e.g.
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELUM_SANITIZE=OFF
//   cmake --build build/bench --target theme_bench && build/bench/theme_bench
#include "ThemeFile.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

std::string Fill(const std::string& head, const std::function<std::string(std::size_t)>& line)
{
    std::string text = head;
    for (std::size_t i = 0;; ++i) {
        std::string next = line(i);
        if (text.size() + next.size() > velum::kMaxThemeFileBytes)
            return text;
        text += next;
    }
}

void Measure(const char* label, const std::string& text)
{
    constexpr int kRounds = 5;
    std::size_t diagnostics = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i)
        diagnostics = velum::ParseTheme(text, "bench.vlm", "").diagnostics.size();
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    std::printf("%-34s %8zu bytes %8.2f ms/parse  %zu diagnostics\n", label, text.size(), spent.count() / kRounds,
                diagnostics);
}

}  // namespace

int main()
{
    Measure("comments", Fill("[Theme]\n", [](std::size_t) { return std::string("; a comment line\n"); }));
    Measure("unknown keys, one section",
            Fill("[Caption]\n", [](std::size_t i) { return "key" + std::to_string(i) + " = #102030\n"; }));
    Measure("schemes", Fill("[Theme]\n", [](std::size_t i) {
                return "[S" + std::to_string(i) + ":Caption]\nbackground = #102030 #405060\n";
            }));
    Measure("malformed lines", Fill("[Caption]\n", [](std::size_t) { return std::string("no equals sign\n"); }));
    Measure("one long value", "[Caption]\nbackground = " + std::string(velum::kMaxThemeFileBytes - 40, 'a') + "\n");
    Measure("one long font list", Fill("[Caption]\nfont = ", [](std::size_t) { return std::string("A,"); }));
    return 0;
}

// The theme format page's examples go through the real parser, so the page can't drift from it.
// Every fenced block carries an info string: `ini` blocks are theme files that must load without a
// warning, `ini invalid` ones must be refused, and anything else (`sh`, `text`) is not a theme.
#include "ThemeFile.h"

#include <gtest/gtest.h>

#include "ThemeDocument.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace velum {
namespace {

struct Block {
    int line = 0;  // of the opening fence
    std::string info;
    std::string text;
};

std::size_t Indent(const std::string& line)
{
    const std::size_t n = line.find_first_not_of(' ');
    return n == std::string::npos ? line.size() : n;
}

bool IsFence(const std::string& line)
{
    return line.compare(Indent(line), 3, "```") == 0;
}

// Fences may be indented, as inside a list item; the block's lines lose the fence's indent.
std::vector<Block> FencedBlocks(std::istream& in, std::vector<std::string>& problems)
{
    std::vector<Block> blocks;
    std::string line;
    int number = 0;
    bool inside = false;
    std::size_t indent = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!inside) {
            if (!IsFence(line))
                continue;
            indent = Indent(line);
            blocks.push_back({number, line.substr(indent + 3), {}});
            inside = true;
        } else if (IsFence(line)) {
            if (line.substr(Indent(line)) != "```") {
                problems.push_back("line " + std::to_string(number) + ": a closing fence takes no info string");
            }
            inside = false;
        } else {
            blocks.back().text += line.substr(std::min(indent, Indent(line))) + "\n";
        }
    }
    if (inside)
        problems.push_back("line " + std::to_string(blocks.back().line) + ": block is never closed");
    return blocks;
}

TEST(ThemeFormatPage, EveryExampleParsesAsThePageSays)
{
    const std::string path = std::string(VELUM_SOURCE_DIR) + "/docs/theme-format.md";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::vector<std::string> problems;
    const std::vector<Block> blocks = FencedBlocks(in, problems);
    for (const std::string& problem : problems)
        ADD_FAILURE() << path << ": " << problem;

    int valid = 0, invalid = 0;
    std::string validText;
    for (const Block& block : blocks) {
        SCOPED_TRACE(path + ":" + std::to_string(block.line) + ": ```" + block.info + "\n" + block.text);
        EXPECT_FALSE(block.info.empty()) << "give the block an info string: ini, ini invalid, sh or text";
        if (block.info != "ini" && block.info != "ini invalid")
            continue;
        const ParseResult result = ParseTheme(block.text, "example.vlm", "");
        std::string printed;
        for (const Diagnostic& d : result.diagnostics)
            printed += FormatDiagnostic(d) + "\n";
        if (block.info == "ini") {
            ++valid;
            validText += "\n" + block.text;
            EXPECT_TRUE(result.theme.has_value()) << printed;
            EXPECT_TRUE(result.diagnostics.empty()) << printed;
        } else {
            ++invalid;
            EXPECT_FALSE(result.theme.has_value()) << "the page shows this example as an error";
        }
    }
    // Every control section is shown in a working example.
    for (const parse::SectionInfo& section : parse::kSections) {
        if (section.control == nullptr)
            continue;
        EXPECT_NE(validText.find("\n[" + std::string(section.name) + "]\n"), std::string::npos)
            << "no example shows [" << section.name << "]";
    }
    // Guards the extraction itself: a page with no examples found would pass vacuously.
    EXPECT_GE(valid, 5);
    EXPECT_GE(invalid, 1);
}

}  // namespace
}  // namespace velum

// The window's design, the same in every toolkit: its title and the status frame's caption,
// the status log's place, size, font and colours, the progress bar's steps and the key kinds
// and sizes the file operations offer. Each toolkit's Form1 builds its widgets from these; a
// pixel layout that only one toolkit has stays with it.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "hostseal/log/rich_text_box.hpp"
#include "hostseal/operations/key_choice.hpp"

namespace hostseal::form1_design {

inline constexpr char16_t kTitle[] = u"hostseal";
inline constexpr char16_t kStatusCaption[] = u"状态栏";

// The status log's place in its frame and its size, in twips (1440 to the inch); the margin on
// the right and at the bottom is the one on the left.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStatusLeft = 120;
inline constexpr int kStatusTop = 240;
inline constexpr int kStatusWidth = 5415;
inline constexpr int kStatusHeight = 3735;

inline constexpr char16_t kLogFace[] = u"宋体";
inline constexpr int kLogFontTwips = 240;  // 12 points

// The log is dark, as terminals are, so that both its green and its red lines read well: on
// black, green 0x00FF00 has a contrast of 15.3:1 and red 0x0000FF one of 5.25:1. Lines of
// other kinds before the first coloured one take the light grey (13.6:1).
inline constexpr OleColor kLogBackground = 0x000000;
inline constexpr OleColor kLogText = 0xD0D0D0;

inline constexpr int kProgressSteps = 1000;

// The key kinds in the order of their list, and the key sizes a pass phrase may take.
inline constexpr std::array<std::pair<const char16_t*, KeyChoice::Kind>, 3> kKeyKinds = {{
    {u"Built-in pass phrase", KeyChoice::Kind::kBuiltIn},
    {u"Key (32, 48 or 64 hex digits)", KeyChoice::Kind::kHexKey},
    {u"Pass phrase", KeyChoice::Kind::kPassPhrase},
}};
inline constexpr std::array<std::int32_t, 3> kKeyBits = {128, 192, 256};

}  // namespace hostseal::form1_design

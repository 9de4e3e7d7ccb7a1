// The fonts text is laid out and drawn with: the project's own fontconfig configuration
// (data/fonts/fonts.conf), which names every font file exactly and fixes hinting and
// antialiasing, so that the machine's fonts and its fontconfig settings never change a picture.
//
//   if (zovo::ErrorOr<void> fonts = zovo::checkPinnedFonts(); !fonts)
//       return fail(fonts.error());   // "font file /usr/share/fonts/... is missing: ..."
//
// The configuration is loaded once per program, on first use, and shared by every thread's font
// map. A program should check it at start so that a missing font is reported plainly; text laid
// out without a usable configuration stops the program with the same message rather than draw
// boxes where glyphs should be.
#pragma once

#include "foundation/ErrorOr.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zovo {

// Where the configuration is looked for, first found first: beside an installed tool
// (PREFIX/share/zovorudovu/fonts/fonts.conf for PREFIX/bin/zovorudovu), then the source tree the
// program was built from.
std::vector<std::filesystem::path> pinnedFontConfigCandidates();

// The font files a configuration names in its <acceptfont> globs, in order.
ErrorOr<std::vector<std::string>> pinnedFontFiles(const std::filesystem::path& config);

// Loads a configuration and the font files it names into a new FcConfig (returned as void*, owned
// by the caller: FcConfigDestroy). An error names the configuration or the first font file that
// is missing or unusable.
ErrorOr<void*> loadFontConfig(const std::filesystem::path& config);

// Loads the configuration (once; later calls return the first answer): an error names the
// configuration or the font file that is missing or unusable.
const ErrorOr<void>& checkPinnedFonts();

// The loaded configuration as an FcConfig* (held for the program's life). Stops the program with
// checkPinnedFonts()'s message when the configuration could not be loaded.
void* pinnedFontConfig();

} // namespace zovo

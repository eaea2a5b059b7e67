// --size against the screen: from the command line as a user gives it to the size the show gets.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "host/size_on_screen.h"

namespace {

TEST(SizeOnScreen, DesktopTakesTheScreenAndAWindowShrinksToFitUnlessItsFramesLeave) {
  const host::ScreenArea fullHd{1920, 1080, 1920, 1040};  // a panel takes 40 rows
  const host::ScreenArea sxga{1280, 1024, 0, 0};          // no work area known: the whole screen
  const struct {
    const char* options;
    std::optional<host::ScreenArea> screen;  // nothing: no display
    int width, height;                       // the size settled; 0 x 0: refused
    bool noted;                              // one line says the size was shrunk
  } rows[] = {
      {"--fullscreen --size desktop", fullHd, 1920, 1080, false},
      {"--fullscreen --size 3840x2160", fullHd, 3840, 2160, false},  // scaled down to the screen
      {"--size desktop", fullHd, 1386, 1040, true},                   // room left for the panel
      {"--size 1900x960", sxga, 1900, 960, false},  // its 4:3 area, 1280x960, fits
      {"--size 3840x2160 --capture v.mkv", sxga, 3840, 2160, false},
      {"--size 3840x2160 --frames shots", sxga, 3840, 2160, false},
      {"--size 3840x2160", std::nullopt, 3840, 2160, false},
      {"--size desktop --capture v.mkv", std::nullopt, 0, 0, false},
  };
  for (const auto& row : rows) {
    std::vector<std::string> words{"vornhold"};
    std::istringstream in(row.options);
    for (std::string w; in >> w;) words.push_back(w);
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    std::string error, note;
    auto options = host::ParseHostOptions(int(argv.size()), argv.data(), error);
    ASSERT_TRUE(options) << row.options << ": " << error;
    EXPECT_EQ(host::SettleSize(*options, row.screen, error, note), row.width > 0) << row.options << ": " << error;
    if (row.width == 0) continue;
    EXPECT_EQ(options->sizeWidth, row.width) << row.options;
    EXPECT_EQ(options->sizeHeight, row.height) << row.options;
    EXPECT_EQ(!note.empty(), row.noted) << row.options << ": " << note;
    EXPECT_EQ(options->windowed, std::string(row.options).find("--fullscreen") == std::string::npos) << row.options;
  }
}

}  // namespace

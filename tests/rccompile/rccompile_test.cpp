// The resource compiler on small scripts of its own: the styles each control statement gives,
// and the one-line error, exit code 2 and absent output of the command for a bad script.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/rccompile/rc_script.h"

namespace {

namespace fs = std::filesystem;

// A fresh folder for the running test, removed afterwards.
class Scratch {
 public:
  Scratch() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::path(VORNHOLD_BINARY_DIR) / "test-scratch" /
            (std::string("rccompile.") + info->name() + "." + std::to_string(getpid()));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  fs::path Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name) << text;
    return path_ / name;
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string ReadText(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

TEST(RcCompile, ControlStatementsAddTheirOwnStyles) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  struct Case {
    const char* control;
    DWORD style;
  } const kCases[] = {
      {"PUSHBUTTON \"Go\", 5, 0, 0, 9, 9", kChild | BS_PUSHBUTTON | WS_TABSTOP},
      {"PUSHBUTTON \"Go\", 5, 0, 0, 9, 9, NOT WS_TABSTOP | WS_DISABLED", kChild | BS_PUSHBUTTON | WS_DISABLED},
      {"AUTORADIOBUTTON \"On\", ID_ON, 0, 0, 9, 9, WS_GROUP", kChild | BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP},
      {"GROUPBOX \"Box\", -1, 0, 0, 9, 9", kChild | BS_GROUPBOX | WS_GROUP},
      {"COMBOBOX 7, 0, 0, 9, 9", kChild | WS_TABSTOP},
      {"CONTROL \"\", 5, \"Button\", BS_AUTORADIOBUTTON, 0, 0, 9, 9", kChild | BS_AUTORADIOBUTTON},
      {"CONTROL \"\", 5, \"Static\", 0xE | NOT WS_VISIBLE, 0, 0, 9, 9", WS_CHILD | SS_BITMAP},
  };
  Scratch scratch;
  scratch.Write("ids.h", "#pragma once\n#define ID_ON (1000 + 2) // the switch\n");
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.control);
    const fs::path script = scratch.Write(
        "style.rc", std::string("#include \"ids.h\"\n1 DIALOGEX 0, 0, 50, 50\nBEGIN\n  ") + c.control + "\nEND\n");
    const auto resources = rccompile::ReadScript(script.string());
    ASSERT_EQ(resources.size(), 1u);
    ASSERT_EQ(resources[0].dialog.items.size(), 1u);
    EXPECT_EQ(resources[0].dialog.items[0].style, c.style);
    EXPECT_EQ(resources[0].dialog.style, WS_POPUP | WS_BORDER | WS_SYSMENU);  // no STYLE: the default
  }
}

// Macros A1..A<steps>, each using the one before it twice, then a use of the last on line `steps` + 2.
std::string DoublingMacros(int steps) {
  std::string script = "#define A0 1\n";
  for (int i = 1; i <= steps; ++i) {
    script += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " | A" + std::to_string(i - 1) + "\n";
  }
  return script + "1 DIALOGEX A" + std::to_string(steps) + ", 0, 10, 10\nBEGIN\nEND\n";
}

TEST(RcCompile, BadScriptEndsInOneLineAndExitCodeTwoWithoutOutput) {
  struct Case {
    std::string script;
    int line;
    std::string message;  // {dir}: the script's folder
  } const kCases[] = {
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  PUSHBUTON \"OK\", 1, 0, 0, 5, 5\nEND\n", 3, "unknown keyword 'PUSHBUTON'"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", IDC_NOPE, 0, 0, 5, 5\nEND\n", 3, "unknown symbol 'IDC_NOPE'"},
      {"// a picture\n\n102 BITMAP \"missing.bmp\"\n", 3,
       "cannot read bitmap '{dir}/missing.bmp': No such file or directory"},
      {"1 DIALOGEX 0, 0, 12x, 10\nBEGIN\nEND\n", 1, "bad number '12x'"},
      {"1 DIALOGEX 0, 0, 10, 10\nSTYLE DS_SETFONT\nBEGIN\nEND\n", 1, "DS_SETFONT without a FONT statement"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT \"open, 1, 0, 0, 5, 5\nEND\n", 3, "string not closed"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 5, 5\n", 1, "dialog 1 has no END"},
      {"1 DIALOGEX 0, 0, 40000, 10\nBEGIN\nEND\n", 1, "coordinate 40000 is outside -32768..32767"},
      {"\n#include \"ids.h\"\n", 2, "cannot open include file '{dir}/ids.h': No such file or directory"},
      // Names that are not regular files or are too large are refused without reading them: a FIFO
      // would wait for a writer forever, /dev/zero would never end.
      {"#include \"pipe\"\n", 1, "cannot open include file '{dir}/pipe': not a regular file"},
      {"#include \"/dev/zero\"\n", 1, "cannot open include file '/dev/zero': not a regular file"},
      {"#include \".\"\n", 1, "cannot open include file '{dir}/.': a folder, not a file"},
      {"5 BITMAP \"/dev/zero\"\n", 1, "cannot read bitmap '/dev/zero': not a regular file"},
      {"5 BITMAP \"pipe\"\n", 1, "cannot read bitmap '{dir}/pipe': not a regular file"},
      {"5 BITMAP \"huge.bmp\"\n", 1, "cannot read bitmap '{dir}/huge.bmp': larger than 16 MiB"},
      {"// includes itself\n#include \"bad.rc\"\n", 2, "includes nest too deeply"},
      {"1 DIALOGEX " + std::string(300, '(') + "1" + std::string(300, ')') + ", 0, 10, 10\nBEGIN\nEND\n", 1,
       "expression nests more than 256 deep"},
      {DoublingMacros(40), 42, "macro 'A40' expands to too many tokens (the script's macros make 65536 at most)"},
      {"7 BITMAP \"a.bmp\"\n7 BITMAP \"b.bmp\"\n", 2, "bitmap 7 is defined twice"},
      {"7 BITMAP \"bad.rc\"\n", 1, "'{dir}/bad.rc' is not a BMP file with a BITMAPINFOHEADER"},
  };
  Scratch scratch;
  ASSERT_EQ(mkfifo((scratch.path() / "pipe").c_str(), 0600), 0);
  scratch.Write("huge.bmp", "BM");
  fs::resize_file(scratch.path() / "huge.bmp", (std::uintmax_t{16} << 20) + 1);  // sparse: costs no disk
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.script);
    const fs::path script = scratch.Write("bad.rc", c.script);
    const fs::path output = scratch.Write("out.cpp", "// from an earlier run\n");
    const fs::path errors = scratch.path() / "errors.txt";
    const std::string command =
        std::string(RCCOMPILE_PROGRAM) + " " + script.string() + " " + output.string() + " 2> " + errors.string();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    std::string message = c.message;
    if (const size_t dir = message.find("{dir}"); dir != std::string::npos) {
      message.replace(dir, 5, scratch.path().string());
    }
    EXPECT_EQ(ReadText(errors), "rccompile: " + script.string() + ":" + std::to_string(c.line) + ": " + message + "\n");
    EXPECT_FALSE(fs::exists(output));
  }
}

}  // namespace

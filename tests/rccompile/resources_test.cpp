// The compiled resources as the dialog manager reads them: the setup dialog's extended template,
// control by control, read here with a reader of our own, and the dialog's picture.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "resources/compiled_resources.h"
#include "resources/resource_ids.h"

namespace {

const resources::Resource* Find(WORD type, WORD id) {
  for (const resources::Resource& r : resources::CompiledResources()) {
    if (r.type == type && r.id == id) return &r;
  }
  return nullptr;
}

// Little-endian fields of a template; sz_Or_Ord comes back as the text, or "#<ordinal>".
struct Reader {
  const BYTE* bytes;
  std::size_t size;
  std::size_t at = 0;

  WORD Word() {
    EXPECT_LE(at + 2, size);
    const WORD v = static_cast<WORD>(bytes[at] | bytes[at + 1] << 8);
    at += 2;
    return v;
  }
  BYTE Byte() {
    EXPECT_LT(at, size);
    return bytes[at++];
  }
  DWORD Dword() {
    const DWORD low = Word();
    return low | static_cast<DWORD>(Word()) << 16;
  }
  int Short() { return static_cast<std::int16_t>(Word()); }
  std::string Text() {
    std::string s;
    for (WORD c = Word(); c != 0 && at < size; c = Word()) s += c < 0x80 ? static_cast<char>(c) : '?';
    return s;
  }
  std::string NameOrOrdinal() {
    if (at + 2 <= size && bytes[at] == 0xFF && bytes[at + 1] == 0xFF) {
      at += 2;
      return "#" + std::to_string(Word());
    }
    return Text();
  }
  void AlignToDword() { at = (at + 3) & ~std::size_t{3}; }
};

TEST(CompiledResources, SetupDialogIsTheExtendedTemplateOfTheSetupDialog) {
  const resources::Resource* dialog = Find(RT_DIALOG, IDD_SETUP);
  ASSERT_NE(dialog, nullptr);
  Reader in{dialog->bytes, dialog->size};
  EXPECT_EQ(in.Word(), 1);       // dlgVer
  EXPECT_EQ(in.Word(), 0xFFFF);  // signature
  EXPECT_EQ(in.Dword(), 0u);     // helpID
  EXPECT_EQ(in.Dword(), WS_EX_TOOLWINDOW);
  EXPECT_EQ(in.Dword(), DS_SETFONT | DS_SYSMODAL | WS_POPUP | WS_BORDER);  // no caption, no system menu
  const int count = in.Word();
  EXPECT_EQ((std::vector<int>{in.Short(), in.Short(), in.Short(), in.Short()}), (std::vector<int>{0, 0, 264, 127}));
  EXPECT_EQ(in.NameOrOrdinal(), "");  // menu
  EXPECT_EQ(in.NameOrOrdinal(), "");  // class
  EXPECT_EQ(in.Text(), "");           // title
  EXPECT_EQ(in.Word(), 8);            // points
  in.Word();                          // weight
  EXPECT_EQ(in.Byte(), 0);            // not italic
  in.Byte();                          // character set
  EXPECT_EQ(in.Text(), "MS Sans Serif");

  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kCombo = kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
  struct Control {
    int id;
    const char* windowClass;
    const char* title;
    DWORD style;
    std::vector<int> rect;  // x, y, cx, cy in dialog units
  };
  const Control kControls[] = {
      {IDOK, "#128", "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, {7, 106, 50, 14}},
      {IDCANCEL, "#128", "Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, {60, 106, 50, 14}},
      {-1, "#130", "Device Type:", kChild | SS_LEFT | WS_GROUP, {7, 7, 46, 10}},
      {1000, "#133", "", kCombo, {9, 18, 145, 49}},
      {-1, "#130", "Resolution:", kChild | SS_LEFT | WS_GROUP, {7, 35, 39, 8}},
      {1001, "#133", "", kCombo, {9, 44, 145, 81}},
      {-1, "#128", "Window mode:", kChild | BS_GROUPBOX | WS_GROUP, {7, 63, 61, 34}},
      {1002, "#128", "Fullscreen", kChild | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, {10, 71, 47, 11}},
      {1003, "#128", "Windowed", kChild | BS_AUTORADIOBUTTON | WS_TABSTOP, {10, 82, 51, 10}},
      {-1, "#128", "Sound:", kChild | BS_GROUPBOX | WS_GROUP, {95, 60, 59, 37}},
      {1004, "#128", "Use Sound", kChild | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, {99, 70, 50, 10}},
      {1005, "#128", "Silent", kChild | BS_AUTORADIOBUTTON | WS_TABSTOP, {99, 82, 38, 9}},
      {-1, "#130", "#102", kChild | SS_BITMAP, {157, 18, 100, 92}},
  };
  ASSERT_EQ(count, static_cast<int>(std::size(kControls)));
  for (const Control& want : kControls) {
    SCOPED_TRACE(want.title);
    in.AlignToDword();
    EXPECT_EQ(in.Dword(), 0u);  // helpID
    EXPECT_EQ(in.Dword(), 0u);  // exStyle
    EXPECT_EQ(in.Dword(), want.style);
    EXPECT_EQ((std::vector<int>{in.Short(), in.Short(), in.Short(), in.Short()}), want.rect);
    EXPECT_EQ(in.Dword(), static_cast<DWORD>(want.id));
    EXPECT_EQ(in.NameOrOrdinal(), want.windowClass);
    EXPECT_EQ(in.NameOrOrdinal(), want.title);
    EXPECT_EQ(in.Word(), 0);  // no creation data
  }
  EXPECT_EQ(in.at, dialog->size);
}

TEST(CompiledResources, SetupPictureIsAPalettisedBitmapWithManyColours) {
  const resources::Resource* bitmap = Find(RT_BITMAP, IDB_SETUP_PICTURE);
  ASSERT_NE(bitmap, nullptr);
  Reader in{bitmap->bytes, bitmap->size};
  EXPECT_EQ(in.Dword(), 40u);  // BITMAPINFOHEADER, no file header before it
  EXPECT_EQ(in.Dword(), 150u);
  EXPECT_EQ(in.Dword(), 150u);  // positive: bottom-up rows
  EXPECT_EQ(in.Word(), 1);      // planes
  EXPECT_EQ(in.Word(), 8);      // bits per pixel
  EXPECT_EQ(in.Dword(), 0u);    // BI_RGB
  in.at = 32;
  const DWORD colours = in.Dword();
  EXPECT_GT(colours, 0u);
  EXPECT_LE(colours, 256u);
  const std::size_t bits = 40 + 4 * colours, stride = 152;
  ASSERT_EQ(bitmap->size, bits + stride * 150);
  std::set<DWORD> used;  // the colours the pixels show, as B, G, R
  for (std::size_t y = 0; y < 150; ++y) {
    for (std::size_t x = 0; x < 150; ++x) {
      const BYTE index = bitmap->bytes[bits + y * stride + x];
      ASSERT_LT(index, colours);
      in.at = 40 + 4 * index;
      used.insert(in.Dword() & 0xFFFFFF);
    }
  }
  EXPECT_GT(used.size(), 32u);
}

}  // namespace

// The executable's resources: dialog templates, icon, manifest and the pictures' language.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "res/resource.h"

namespace {

struct ResourceBytes {
  const BYTE* data = nullptr;
  DWORD size = 0;
};

ResourceBytes Find(LPCWSTR type, UINT id) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return {};
  return {static_cast<const BYTE*>(::LockResource(::LoadResource(module, found))),
          ::SizeofResource(module, found)};
}

// The fixed part of an extended dialog template, as the resource compiler lays it out.
#pragma pack(push, 1)
struct DialogTemplateEx {
  WORD dlgVer;
  WORD signature;
  DWORD helpID;
  DWORD exStyle;
  DWORD style;
  WORD cDlgItems;
  short x, y, cx, cy;
};
#pragma pack(pop)

struct DialogFacts {
  DWORD style;
  DWORD exStyle;
  WORD items;
  short cx, cy;
  std::wstring caption;
  WORD pointSize;
  std::wstring face;
};

DialogFacts ReadDialog(UINT id) {
  const ResourceBytes bytes = Find(RT_DIALOG, id);
  EXPECT_NE(bytes.data, nullptr) << "dialog " << id;
  if (!bytes.data) return {};
  DialogTemplateEx head;
  std::memcpy(&head, bytes.data, sizeof head);
  EXPECT_EQ(head.signature, 0xFFFF) << "not an extended template";
  auto words = reinterpret_cast<const WCHAR*>(bytes.data + sizeof head);
  const auto skip_sz_or_ord = [&words] {
    if (*words == 0xFFFF) {
      words += 2;
    } else {
      while (*words) ++words;
      ++words;
    }
  };
  skip_sz_or_ord();  // menu
  skip_sz_or_ord();  // window class
  DialogFacts facts{head.style, head.exStyle, head.cDlgItems, head.cx, head.cy, words, 0, {}};
  skip_sz_or_ord();  // caption
  facts.pointSize = *words;
  words += 3;  // point size, weight, italic + charset
  facts.face = words;
  return facts;
}

}  // namespace

namespace {
// Both windows come from empty 320 x 200 templates in "MS Shell Dlg" 9 pt with no caption;
// they differ in their styles.
void ExpectEmptyTemplate(UINT id, DWORD style, DWORD exStyle) {
  SCOPED_TRACE(id);
  const DialogFacts dialog = ReadDialog(id);
  EXPECT_EQ(dialog.style, style);
  EXPECT_EQ(dialog.exStyle, exStyle);
  EXPECT_EQ(dialog.items, 0);
  EXPECT_EQ(dialog.cx, 320);
  EXPECT_EQ(dialog.cy, 200);
  EXPECT_EQ(dialog.caption, L"");
  EXPECT_EQ(dialog.pointSize, 9);
  EXPECT_EQ(dialog.face, L"MS Shell Dlg");
}
}  // namespace

TEST(Resources, InstallerWindowTemplateIsABorderlessPopupWithoutControls) {
  ExpectEmptyTemplate(IDD_DOWNLOADER_DIALOG, 0x90000048u, 0x00040000u);
}

TEST(Resources, MessageBoxTemplateIsABorderlessPopupWithASystemMenu) {
  ExpectEmptyTemplate(IDD_MESSAGEBOX, 0x80080048u, 0u);
}

// Bitmaps up to 48 px, PNG-compressed images above: each loads at its own size with its
// alpha, a transparent rounded corner and the red rim above the page.
TEST(Resources, ApplicationIconHasEverySizeFrom16To256) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(size);
    HICON icon = static_cast<HICON>(
        ::LoadImageW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon, &info));
    BITMAP colour{};
    ::GetObjectW(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, size);
    EXPECT_EQ(colour.bmHeight, size);

    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size;  // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::string pixels(static_cast<std::size_t>(size * size * 4), '\0');
    const HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(::GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(size), pixels.data(),
                          &format, DIB_RGB_COLORS), size);
    ::ReleaseDC(nullptr, screen);
    const auto at = [&](int x, int y) {  // BGRA
      return reinterpret_cast<const BYTE*>(pixels.data()) + 4 * (y * size + x);
    };
    EXPECT_EQ(at(0, 0)[3], 0);
    const BYTE* rim = at(size / 2, size / 10);
    EXPECT_EQ(rim[3], 255);
    EXPECT_GT(rim[2], 200);
    EXPECT_LT(rim[1], 120);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DestroyIcon(icon);
  }
}

TEST(Resources, ManifestAsksForAdministratorAndDeclaresDpiAwareness) {
  const ResourceBytes bytes = Find(RT_MANIFEST, 1);
  ASSERT_NE(bytes.data, nullptr);
  const std::string_view manifest(reinterpret_cast<const char*>(bytes.data), bytes.size);
  EXPECT_NE(manifest.find(R"(level="requireAdministrator")"), std::string_view::npos);
  EXPECT_NE(manifest.find(R"(uiAccess="false")"), std::string_view::npos);
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string_view::npos);
}

TEST(Resources, PicturesAreStoredInChinesePrc) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  for (UINT id = IDB_PNG_FIRST; id <= IDB_PNG_LAST; ++id) {
    EXPECT_NE(::FindResourceExW(module, L"PNG", MAKEINTRESOURCEW(id), 2052), nullptr) << id;
  }
}

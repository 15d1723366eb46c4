// Checks every built .8bf of a win32 tree the way a host sees it: a 32-bit DLL exporting only
// PluginMain, importing only system DLLs, with a well-formed property list and version resource.
#include "PEImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Upper(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return text;
}

// DLLs present on every Windows installation the plug-ins target. The C++ runtime must be
// linked in, so libstdc++, libgcc and libwinpthread are deliberately absent.
const std::set<std::string>& SystemDlls() {
  static const std::set<std::string> dlls = {
      "KERNEL32.DLL", "USER32.DLL",   "GDI32.DLL",  "ADVAPI32.DLL", "SHELL32.DLL",
      "COMCTL32.DLL", "OLE32.DLL",    "OLEAUT32.DLL", "MSVCRT.DLL", "COMDLG32.DLL",
      "UXTHEME.DLL",  "SHLWAPI.DLL",  "MSIMG32.DLL", "VERSION.DLL", "WINMM.DLL",
      "UUID.DLL",     "DWMAPI.DLL"};
  return dlls;
}

// The .8bf files under root; a folder that cannot be read is a failure, not a shorter list.
std::vector<fs::path> Plugins(const fs::path& root) {
  std::vector<fs::path> found;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    // The tree's Wine prefix and the copies of it its test runs make hold no plug-ins of ours.
    const fs::path name = it->path().filename();
    if (it->is_directory(ec) && (name == "wineprefix" || name == "wine-pool")) {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file(ec) && Upper(it->path().extension().string()) == ".8BF")
      found.push_back(it->path());
  }
  if (ec) ADD_FAILURE() << "reading " << root.string() << ": " << ec.message();
  std::sort(found.begin(), found.end());
  return found;
}

std::string PiplString(const std::vector<uint8_t>& data) {
  return std::string(data.begin(), std::find(data.begin(), data.end(), uint8_t(0)));
}

void CheckPropertyList(const std::vector<uint8_t>& bytes) {
  TPropertyList list;
  std::string error;
  ASSERT_TRUE(ParsePropertyList(bytes, list, &error)) << error;
  EXPECT_EQ(list.Word, 1);
  EXPECT_EQ(list.Version, 0u);
  ASSERT_EQ(list.Properties.size(), 8u);
  const uint32_t keys[8] = {FourCC("kind"), FourCC("name"), FourCC("catg"), FourCC("vers"),
                            FourCC("mode"), FourCC("fici"), FourCC("wx86"), FourCC("enbl")};
  for (size_t i = 0; i < 8; ++i) {
    const TPiplProperty& p = list.Properties[i];
    EXPECT_EQ(p.Vendor, FourCC("8BIM")) << "property " << i;
    EXPECT_EQ(p.Key, keys[i]) << "property " << i;
    EXPECT_EQ(p.Id, 0u) << "property " << i;
    EXPECT_EQ(p.Length % 4, 0u) << "property " << i << " length " << p.Length;
  }
  EXPECT_EQ(list.Properties[0].Data, (std::vector<uint8_t>{'M', 'F', 'B', '8'}));
  for (int i : {1, 2}) {
    const auto& d = list.Properties[i].Data;
    ASSERT_FALSE(d.empty());
    // Length byte, characters, a zero byte.
    ASSERT_LE(static_cast<size_t>(d[0]) + 1, d.size());
    EXPECT_EQ(d[d[0]], 0) << "string property " << i;
  }
  EXPECT_EQ(std::string(list.Properties[2].Data.begin() + 1, list.Properties[2].Data.begin() + list.Properties[2].Data[0]),
            "Skelvane");
  EXPECT_EQ(list.Properties[3].Data, (std::vector<uint8_t>{0, 0, 4, 0}));
  EXPECT_EQ(list.Properties[5].Data.size(), 28u);
  EXPECT_EQ(list.Properties[6].Length, 12u);
  EXPECT_EQ(PiplString(list.Properties[6].Data), "PluginMain");
  EXPECT_EQ(list.Properties[7].Length, 4u);
  EXPECT_EQ(PiplString(list.Properties[7].Data), "1");
  EXPECT_EQ(list.Trailing, std::vector<uint8_t>(6, 0));
}

void CheckVersion(const std::vector<uint8_t>& bytes) {
  TVersionInfo info;
  std::string error;
  ASSERT_TRUE(ParseVersionResource(bytes, info, &error)) << error;
  const std::vector<uint16_t> expected = {3, 0, 7, 0};
  EXPECT_EQ(std::vector<uint16_t>(info.FileVersion, info.FileVersion + 4), expected);
  EXPECT_EQ(std::vector<uint16_t>(info.ProductVersion, info.ProductVersion + 4), expected);
  EXPECT_EQ(info.Strings["ProductName"], "Skelvane 3.0 PS");
  EXPECT_EQ(info.Strings["FileDescription"], "Skelvane 3.0 PS");
  EXPECT_FALSE(info.Strings["FileVersion"].empty());
  EXPECT_FALSE(info.Strings["ProductVersion"].empty());
}

// The win32 tree that CMake gives the test.
std::string Win32Dir() {
  const char* dir = std::getenv("SKELVANE_WIN32_DIR");
  return dir != nullptr ? dir : "";
}

TEST(PluginArtifacts, EveryPluginLoadsAsAHostExpects) {
  const std::string dir = Win32Dir();
  ASSERT_FALSE(dir.empty()) << "SKELVANE_WIN32_DIR names no win32 tree";
  const std::vector<fs::path> plugins = Plugins(dir);
  ASSERT_FALSE(plugins.empty()) << "no .8bf files under " << dir << ": build the win32 tree first";
  std::printf("checking %zu plug-in(s) under %s\n", plugins.size(), dir.c_str());

  for (const fs::path& path : plugins) {
    SCOPED_TRACE(path.string());
    TPEImage pe;
    std::string error;
    ASSERT_TRUE(pe.LoadFromFile(path.string(), &error)) << error;
    EXPECT_EQ(pe.Machine, kMachineI386);
    EXPECT_FALSE(pe.Is64Bit);
    EXPECT_TRUE(pe.IsDll());
    EXPECT_TRUE(pe.IsLargeAddressAware());

    ASSERT_EQ(pe.Exports.size(), 1u);
    EXPECT_EQ(pe.Exports[0].Name, "PluginMain");
    EXPECT_EQ(pe.Exports[0].Ordinal, 1u);

    for (const std::string& dll : pe.Imports)
      EXPECT_TRUE(SystemDlls().count(Upper(dll))) << "imports " << dll;

    std::vector<uint8_t> pipl, version;
    ASSERT_TRUE(pe.FindResource(TResourceKey::FromName("PIPL"), TResourceKey::FromId(16000), 1033, pipl))
        << "no PIPL 16000 / 1033";
    CheckPropertyList(pipl);
    bool haveVersion = false;
    for (const TPEResource& r : pe.Resources)
      if (r.Type.Matches(TResourceKey::FromId(kResourceTypeVersion)) && pe.ReadRva(r.DataRva, r.Size, version)) {
        haveVersion = true;
        break;
      }
    ASSERT_TRUE(haveVersion) << "no version resource";
    CheckVersion(version);
  }
}

// The four deliverables by file: their menu names and supported-mode flags.
TEST(PluginArtifacts, TheFourFiltersCarryTheirMenuNamesAndModes) {
  const std::string dir = Win32Dir();
  struct TDeliverable {
    const char* File;
    const char* Name;
    std::vector<uint8_t> Modes;
  };
  const TDeliverable deliverables[] = {
      {"lucyrichardson/SVLucyRichardson.8bf", "Lucy Richardson Deconvolution...", {0xff, 0xc0, 0, 0}},
      {"maxent/SVMaxEnt.8bf", "Maximum Entropy Deconvolution...", {0xff, 0xc0, 0, 0}},
      {"ddp/SVDDP.8bf", "Digital Development Process...", {0x50, 0, 0, 0}},
      {"statistics/SVStatistics.8bf", "Statistics...", {0xd0, 0, 0, 0}}};
  for (const TDeliverable& deliverable : deliverables) {
    SCOPED_TRACE(deliverable.File);
    TPEImage pe;
    std::string error;
    ASSERT_TRUE(pe.LoadFromFile((fs::path(dir) / deliverable.File).string(), &error)) << error;
    std::vector<uint8_t> pipl;
    ASSERT_TRUE(pe.FindResource(TResourceKey::FromName("PIPL"), TResourceKey::FromId(16000),
                                1033, pipl));
    TPropertyList list;
    ASSERT_TRUE(ParsePropertyList(pipl, list, &error)) << error;
    ASSERT_EQ(list.Properties.size(), 8u);
    const auto& name = list.Properties[1].Data;
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(std::string(name.begin() + 1, name.begin() + name[0]), deliverable.Name);
    EXPECT_EQ(list.Properties[4].Data, deliverable.Modes);
  }
}

}  // namespace

#include "PEImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  v[at] = static_cast<uint8_t>(x);
  v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}
size_t Append(std::vector<uint8_t>& v, const void* data, size_t size) {
  v.resize((v.size() + 3) & ~size_t(3), 0);
  const size_t at = v.size();
  const auto* p = static_cast<const uint8_t*>(data);
  v.insert(v.end(), p, p + size);
  return at;
}
size_t AppendString(std::vector<uint8_t>& v, const std::string& s) { return Append(v, s.c_str(), s.size() + 1); }
std::vector<uint8_t> Utf16(const std::string& s) {
  std::vector<uint8_t> out;
  for (char c : s) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(0);
  }
  return out;
}

struct TResourceSpec {
  TResourceKey Type, Name;
  uint16_t Language;
  std::vector<uint8_t> Data;
};

struct TPELayout {
  uint16_t Machine = kMachineI386;
  uint16_t Characteristics = kCharacteristicDll | kCharacteristicLargeAddressAware | 0x0102;
  bool Is64Bit = false;
  std::string DllName = "Test.dll";
  std::vector<std::string> Exports;  // exported by name, ordinals base 1 in this order
  std::vector<std::string> Imports;
  std::vector<TResourceSpec> Resources;  // each with a distinct type
};

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kSectionFile = 0x200;

// A minimal PE image with one section holding the export, import and resource directories.
// tablesEnd, when given, receives the file offset where the last of them ends; zeros pad the
// section from there.
std::vector<uint8_t> BuildPE(const TPELayout& layout, size_t* tablesEnd = nullptr) {
  std::vector<uint8_t> section;
  uint32_t exportRva = 0, exportSize = 0, importRva = 0, resourceRva = 0, resourceSize = 0;

  if (!layout.Exports.empty()) {
    const uint32_t n = static_cast<uint32_t>(layout.Exports.size());
    std::vector<uint32_t> nameRvas;
    for (const auto& name : layout.Exports) nameRvas.push_back(kSectionRva + static_cast<uint32_t>(AppendString(section, name)));
    const uint32_t dllName = kSectionRva + static_cast<uint32_t>(AppendString(section, layout.DllName));
    std::vector<uint32_t> functions(n, kSectionRva);  // any non-zero address
    std::vector<uint16_t> ordinals;
    for (uint32_t i = 0; i < n; ++i) ordinals.push_back(static_cast<uint16_t>(i));
    const uint32_t functionsRva = kSectionRva + static_cast<uint32_t>(Append(section, functions.data(), 4 * n));
    const uint32_t namesRva = kSectionRva + static_cast<uint32_t>(Append(section, nameRvas.data(), 4 * n));
    const uint32_t ordinalsRva = kSectionRva + static_cast<uint32_t>(Append(section, ordinals.data(), 2 * n));
    std::vector<uint8_t> dir(40, 0);
    Put32(dir, 12, dllName);
    Put32(dir, 16, 1);
    Put32(dir, 20, n);
    Put32(dir, 24, n);
    Put32(dir, 28, functionsRva);
    Put32(dir, 32, namesRva);
    Put32(dir, 36, ordinalsRva);
    exportRva = kSectionRva + static_cast<uint32_t>(Append(section, dir.data(), dir.size()));
    exportSize = 40;
  }
  if (!layout.Imports.empty()) {
    std::vector<uint32_t> names;
    for (const auto& name : layout.Imports) names.push_back(kSectionRva + static_cast<uint32_t>(AppendString(section, name)));
    std::vector<uint8_t> descriptors(20 * (names.size() + 1), 0);
    for (size_t i = 0; i < names.size(); ++i) {
      Put32(descriptors, 20 * i + 12, names[i]);
      Put32(descriptors, 20 * i + 16, kSectionRva);
    }
    importRva = kSectionRva + static_cast<uint32_t>(Append(section, descriptors.data(), descriptors.size()));
  }
  if (!layout.Resources.empty()) {
    // Root, then one type directory, name directory and data entry per resource.
    section.resize((section.size() + 3) & ~size_t(3), 0);
    const size_t base = section.size();
    const size_t count = layout.Resources.size();
    std::vector<uint8_t> tree(16 + 8 * count + count * (2 * (16 + 8) + 16), 0);
    size_t named = 0;
    for (const auto& r : layout.Resources) named += r.Type.IsName;
    Put16(tree, 12, static_cast<uint32_t>(named));
    Put16(tree, 14, static_cast<uint32_t>(count - named));
    std::vector<size_t> stringFixups;  // (entry offset, resource index) for named types
    size_t at = 16 + 8 * count;
    // Named entries come first, as resource compilers write them.
    std::vector<size_t> order;
    for (size_t i = 0; i < count; ++i) if (layout.Resources[i].Type.IsName) order.push_back(i);
    for (size_t i = 0; i < count; ++i) if (!layout.Resources[i].Type.IsName) order.push_back(i);
    std::vector<size_t> dataEntryAt(count), typeEntryAt(count), nameEntryAt(count);
    for (size_t k = 0; k < count; ++k) {
      const size_t i = order[k];
      const TResourceSpec& r = layout.Resources[i];
      typeEntryAt[i] = 16 + 8 * k;
      Put32(tree, typeEntryAt[i], r.Type.Id);
      Put32(tree, typeEntryAt[i] + 4, 0x80000000u | static_cast<uint32_t>(at));
      const size_t nameDir = at;
      Put16(tree, nameDir + 14, 1);
      nameEntryAt[i] = nameDir + 16;
      Put32(tree, nameEntryAt[i], r.Name.Id);
      at += 24;
      Put32(tree, nameEntryAt[i] + 4, 0x80000000u | static_cast<uint32_t>(at));
      const size_t languageDir = at;
      Put16(tree, languageDir + 14, 1);
      Put32(tree, languageDir + 16, r.Language);
      at += 24;
      Put32(tree, languageDir + 20, static_cast<uint32_t>(at));
      dataEntryAt[i] = at;
      at += 16;
    }
    for (size_t i = 0; i < count; ++i) {
      for (const auto* key : {&layout.Resources[i].Type, &layout.Resources[i].Name}) {
        if (!key->IsName) continue;
        std::vector<uint8_t> text(2);
        Put16(text, 0, static_cast<uint32_t>(key->Name.size()));
        const auto units = Utf16(key->Name);
        text.insert(text.end(), units.begin(), units.end());
        const size_t textAt = Append(tree, text.data(), text.size());
        Put32(tree, key == &layout.Resources[i].Type ? typeEntryAt[i] : nameEntryAt[i], 0x80000000u | static_cast<uint32_t>(textAt));
      }
    }
    for (size_t i = 0; i < count; ++i) {
      const auto& data = layout.Resources[i].Data;
      const size_t dataAt = Append(tree, data.data(), data.size());
      Put32(tree, dataEntryAt[i], kSectionRva + static_cast<uint32_t>(base + dataAt));
      Put32(tree, dataEntryAt[i] + 4, static_cast<uint32_t>(data.size()));
    }
    section.insert(section.end(), tree.begin(), tree.end());
    resourceRva = kSectionRva + static_cast<uint32_t>(base);
    resourceSize = static_cast<uint32_t>(tree.size());
  }
  if (tablesEnd) *tablesEnd = kSectionFile + section.size();
  section.resize((section.size() + 0x1FF) & ~size_t(0x1FF), 0);

  std::vector<uint8_t> image(kSectionFile, 0);
  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 0x3C, 0x40);
  std::memcpy(&image[0x40], "PE\0\0", 4);
  const size_t coff = 0x44, optional = coff + 20;
  const uint16_t optionalSize = layout.Is64Bit ? 240 : 224;
  Put16(image, coff, layout.Machine);
  Put16(image, coff + 2, 1);
  Put16(image, coff + 16, optionalSize);
  Put16(image, coff + 18, layout.Characteristics);
  Put16(image, optional, layout.Is64Bit ? 0x20B : 0x10B);
  Put32(image, optional + 60, kSectionFile);
  const size_t directories = optional + (layout.Is64Bit ? 112 : 96);
  Put32(image, directories - 4, 16);
  Put32(image, directories, exportRva);
  Put32(image, directories + 4, exportSize);
  Put32(image, directories + 8, importRva);
  Put32(image, directories + 12, importRva ? 20 : 0);
  Put32(image, directories + 16, resourceRva);
  Put32(image, directories + 20, resourceSize);
  const size_t header = optional + optionalSize;
  std::memcpy(&image[header], ".rdata", 6);
  Put32(image, header + 8, static_cast<uint32_t>(section.size()));
  Put32(image, header + 12, kSectionRva);
  Put32(image, header + 16, static_cast<uint32_t>(section.size()));
  Put32(image, header + 20, kSectionFile);
  image.insert(image.end(), section.begin(), section.end());
  return image;
}

// A version block: header, key, value, children, each part on a 4-byte boundary.
std::vector<uint8_t> VersionBlock(const std::string& key, const std::vector<uint8_t>& value, bool text,
                                  const std::vector<std::vector<uint8_t>>& children) {
  std::vector<uint8_t> block(6, 0);
  const auto name = Utf16(key);
  block.insert(block.end(), name.begin(), name.end());
  block.push_back(0);
  block.push_back(0);
  if (!value.empty()) Append(block, value.data(), value.size());
  for (const auto& child : children) Append(block, child.data(), child.size());
  Put16(block, 0, static_cast<uint32_t>(block.size()));
  Put16(block, 2, static_cast<uint32_t>(text ? value.size() / 2 : value.size()));
  Put16(block, 4, text ? 1 : 0);
  return block;
}

std::vector<uint8_t> VersionResource(uint32_t ms, uint32_t ls, const std::vector<std::pair<std::string, std::string>>& strings) {
  std::vector<uint8_t> fixed(52, 0);
  Put32(fixed, 0, 0xFEEF04BDu);
  Put32(fixed, 4, 0x00010000u);
  Put32(fixed, 8, ms);
  Put32(fixed, 12, ls);
  Put32(fixed, 16, ms);
  Put32(fixed, 20, ls);
  std::vector<std::vector<uint8_t>> entries;
  for (const auto& s : strings) {
    auto value = Utf16(s.second);
    value.push_back(0);
    value.push_back(0);
    entries.push_back(VersionBlock(s.first, value, true, {}));
  }
  const auto table = VersionBlock("040904b0", {}, true, entries);
  const auto stringInfo = VersionBlock("StringFileInfo", {}, true, {table});
  std::vector<uint8_t> translation = {0x09, 0x04, 0xB0, 0x04};
  const auto var = VersionBlock("Translation", translation, false, {});
  const auto varInfo = VersionBlock("VarFileInfo", {}, true, {var});
  return VersionBlock("VS_VERSION_INFO", fixed, false, {stringInfo, varInfo});
}

TPELayout PluginLikeSpec(bool is64Bit) {
  TPELayout layout;
  layout.Is64Bit = is64Bit;
  layout.Machine = is64Bit ? kMachineAmd64 : kMachineI386;
  layout.DllName = "SVTest.8bf";
  layout.Exports = {"PluginMain", "Other"};
  layout.Imports = {"KERNEL32.dll", "USER32.dll"};
  layout.Resources = {
      {TResourceKey::FromId(kResourceTypeVersion), TResourceKey::FromId(1), 1033,
       VersionResource(0x00030000, 0x00070000, {{"ProductName", "Skelvane"}, {"FileVersion", "3.0.7.0"}})},
      {TResourceKey::FromName("PIPL"), TResourceKey::FromId(16000), 1033, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  return layout;
}

class PEImageRead : public testing::TestWithParam<bool> {};

TEST_P(PEImageRead, ReadsHeadersExportsImportsAndResources) {
  const bool is64Bit = GetParam();
  TPEImage pe;
  std::string error;
  ASSERT_TRUE(pe.LoadFromBytes(BuildPE(PluginLikeSpec(is64Bit)), &error)) << error;
  EXPECT_EQ(pe.Is64Bit, is64Bit);
  EXPECT_EQ(pe.Machine, is64Bit ? kMachineAmd64 : kMachineI386);
  EXPECT_TRUE(pe.IsDll());
  EXPECT_TRUE(pe.IsLargeAddressAware());
  EXPECT_EQ(pe.ExportDllName, "SVTest.8bf");
  ASSERT_EQ(pe.Exports.size(), 2u);
  EXPECT_EQ(pe.Exports[0].Name, "PluginMain");
  EXPECT_EQ(pe.Exports[0].Ordinal, 1u);
  EXPECT_EQ(pe.Exports[1].Name, "Other");
  EXPECT_EQ(pe.Exports[1].Ordinal, 2u);
  EXPECT_EQ(pe.Imports, (std::vector<std::string>{"KERNEL32.dll", "USER32.dll"}));
  ASSERT_EQ(pe.Resources.size(), 2u);

  std::vector<uint8_t> pipl;
  EXPECT_TRUE(pe.FindResource(TResourceKey::FromName("pipl"), TResourceKey::FromId(16000), 1033, pipl));
  EXPECT_EQ(pipl.size(), 12u);
  EXPECT_FALSE(pe.FindResource(TResourceKey::FromName("PIPL"), TResourceKey::FromId(16000), 1031, pipl));
  EXPECT_FALSE(pe.FindResource(TResourceKey::FromId(16000), TResourceKey::FromId(16000), 1033, pipl));

  std::vector<uint8_t> version;
  ASSERT_TRUE(pe.FindResource(TResourceKey::FromId(kResourceTypeVersion), TResourceKey::FromId(1), 1033, version));
  TVersionInfo info;
  ASSERT_TRUE(ParseVersionResource(version, info, &error)) << error;
  EXPECT_EQ(info.FileVersion[0], 3);
  EXPECT_EQ(info.FileVersion[1], 0);
  EXPECT_EQ(info.FileVersion[2], 7);
  EXPECT_EQ(info.FileVersion[3], 0);
  EXPECT_EQ(info.ProductVersion[2], 7);
  EXPECT_EQ(info.Strings["ProductName"], "Skelvane");
  EXPECT_EQ(info.Strings["FileVersion"], "3.0.7.0");
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, PEImageRead, testing::Bool());

TEST(PEImage, RejectsFilesThatAreNoPEImage) {
  TPEImage pe;
  std::string error;
  EXPECT_FALSE(pe.LoadFromBytes({}, &error));
  EXPECT_FALSE(pe.LoadFromBytes({'M', 'Z'}, &error));
  std::vector<uint8_t> farHeader(64, 0);
  farHeader[0] = 'M';
  farHeader[1] = 'Z';
  Put32(farHeader, 0x3C, 0xFFFFFFF0u);
  EXPECT_FALSE(pe.LoadFromBytes(farHeader, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(pe.LoadFromFile("no-such-file.dll", &error));
}

// Everything a load read, the bytes of every resource it lists included, as one text.
std::string Contents(const TPEImage& pe) {
  std::string text = std::to_string(pe.Machine) + " " + std::to_string(pe.Characteristics) + " " +
                     pe.ExportDllName;
  for (const TPEExport& e : pe.Exports) text += " " + e.Name + "@" + std::to_string(e.Ordinal);
  for (const std::string& name : pe.Imports) text += " " + name;
  std::vector<uint8_t> data;
  for (const TPEResource& r : pe.Resources) {
    const bool inFile = pe.FindResource(r.Type, r.Name, r.Language, data);
    text += inFile ? " " + std::string(data.begin(), data.end()) : " (outside the file)";
  }
  return text;
}

TEST(PEImage, TruncatedAndCorruptedImagesAreRefusedWithAReasonOrReadInBounds) {
  size_t tablesEnd = 0;
  const std::vector<uint8_t> good = BuildPE(PluginLikeSpec(false), &tablesEnd);
  TPEImage whole;
  ASSERT_TRUE(whole.LoadFromBytes(good));
  // Cut anywhere before the end of the last table, the file is refused; cut in the padding
  // after it, it reads as the whole file.
  for (size_t n = 0; n < good.size(); ++n) {
    TPEImage pe;
    std::string error;
    const bool read = pe.LoadFromBytes(std::vector<uint8_t>(good.begin(), good.begin() + n), &error);
    ASSERT_EQ(read, n >= tablesEnd) << n << " bytes";
    if (read)
      EXPECT_EQ(Contents(pe), Contents(whole)) << n << " bytes";
    else
      EXPECT_FALSE(error.empty()) << n << " bytes";
  }
  // Single bytes set to extreme values: a refusal gives its reason; an image read lists only
  // resources whose bytes it gives whole or refuses; a byte of the padding changes nothing.
  for (size_t i = 0; i < good.size(); ++i) {
    for (uint8_t v : {uint8_t(0x00), uint8_t(0xFF), uint8_t(0x80)}) {
      std::vector<uint8_t> bad = good;
      bad[i] = v;
      TPEImage pe;
      std::string error;
      const bool read = pe.LoadFromBytes(bad, &error);
      SCOPED_TRACE("byte " + std::to_string(i) + " set to " + std::to_string(v));
      EXPECT_TRUE(read || !error.empty());
      if (i >= tablesEnd) {
        EXPECT_TRUE(read && Contents(pe) == Contents(whole));
      }
      if (!read) continue;
      std::vector<uint8_t> data;
      for (const TPEResource& r : pe.Resources) {
        const bool inFile = pe.ReadRva(r.DataRva, r.Size, data);
        EXPECT_EQ(data.size(), inFile ? r.Size : 0u);
      }
    }
  }
  // Seeded runs of several random bytes: read, or refused with a reason.
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bad = good;
    for (int k = 0; k < 6; ++k) bad[random() % bad.size()] = static_cast<uint8_t>(random());
    TPEImage pe;
    std::string error;
    EXPECT_TRUE(pe.LoadFromBytes(bad, &error) || !error.empty()) << "round " << round;
  }
}

TEST(PEImage, MalformedVersionResourcesAreRejectedOrReadInBounds) {
  const std::vector<uint8_t> good = VersionResource(0x00030000, 0x00070000, {{"ProductName", "Skelvane 3.0 PS"}});
  TVersionInfo info;
  std::string error;
  EXPECT_FALSE(ParseVersionResource({}, info, &error));
  for (size_t n = 0; n < good.size(); ++n) {
    // The root length no longer fits: always an error.
    EXPECT_FALSE(ParseVersionResource(std::vector<uint8_t>(good.begin(), good.begin() + n), info)) << n;
  }
  for (size_t i = 0; i < good.size(); ++i) {
    std::vector<uint8_t> bad = good;
    bad[i] ^= 0xFF;
    ParseVersionResource(bad, info);
  }
  std::vector<uint8_t> noSignature = good;
  noSignature[40] ^= 1;  // inside the fixed information's signature
  EXPECT_FALSE(ParseVersionResource(noSignature, info, &error));
}

std::vector<uint8_t> Property(const char* key, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> p(16 + data.size(), 0);
  Put32(p, 0, FourCC("8BIM"));
  Put32(p, 4, (uint32_t(uint8_t(key[0])) << 24) | (uint32_t(uint8_t(key[1])) << 16) |
                  (uint32_t(uint8_t(key[2])) << 8) | uint8_t(key[3]));
  Put32(p, 12, static_cast<uint32_t>(data.size()));
  std::copy(data.begin(), data.end(), p.begin() + 16);
  return p;
}

TEST(PEImage, PropertyListParsesHeaderPropertiesAndTrailer) {
  std::vector<uint8_t> bytes = {1, 0, 0, 0, 0, 0, 2, 0, 0, 0};
  for (const auto& p : {Property("kind", {'M', 'F', 'B', '8'}), Property("enbl", {'1', 0, 0, 0})})
    bytes.insert(bytes.end(), p.begin(), p.end());
  bytes.insert(bytes.end(), 6, 0);
  TPropertyList list;
  std::string error;
  ASSERT_TRUE(ParsePropertyList(bytes, list, &error)) << error;
  EXPECT_EQ(list.Word, 1);
  EXPECT_EQ(list.Version, 0u);
  ASSERT_EQ(list.Properties.size(), 2u);
  EXPECT_EQ(list.Properties[0].Vendor, FourCC("8BIM"));
  EXPECT_EQ(list.Properties[0].Key, FourCC("kind"));
  EXPECT_EQ(list.Properties[0].Data, (std::vector<uint8_t>{'M', 'F', 'B', '8'}));
  EXPECT_EQ(list.Properties[1].Key, FourCC("enbl"));
  EXPECT_EQ(list.Trailing, std::vector<uint8_t>(6, 0));
  // Stored bytes of a four-character code read reversed.
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 10, bytes.begin() + 14), (std::vector<uint8_t>{'M', 'I', 'B', '8'}));

  std::vector<uint8_t> lying = bytes;
  Put32(lying, 10 + 12, 1000);  // first property claims more data than there is
  EXPECT_FALSE(ParsePropertyList(lying, list, &error));
  std::vector<uint8_t> tooMany = bytes;
  Put32(tooMany, 6, 0xFFFFFFFFu);
  EXPECT_FALSE(ParsePropertyList(tooMany, list, &error));
}

}  // namespace

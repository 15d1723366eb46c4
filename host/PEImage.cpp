#include "PEImage.h"

#include "FileBytes.h"

#include <algorithm>
#include <cctype>

namespace {

// Limits against hostile counts: far above anything a plug-in carries, far below what could
// exhaust memory or time.
constexpr uint32_t kMaxImports = 4096;
constexpr uint32_t kMaxExports = 1u << 16;
constexpr size_t kMaxResources = 1u << 16;
constexpr size_t kMaxNameLength = 1024;
constexpr uint64_t kMaxFileBytes = 1ull << 30;

bool Fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

uint16_t LE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t LE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Reads little-endian values from a byte range; every access is checked.
class TSpan {
 public:
  TSpan(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
  size_t Size() const { return FSize; }
  bool Has(size_t at, size_t count) const { return at <= FSize && count <= FSize - at; }
  bool U16(size_t at, uint16_t& v) const {
    if (!Has(at, 2)) return false;
    v = LE16(FData + at);
    return true;
  }
  bool U32(size_t at, uint32_t& v) const {
    if (!Has(at, 4)) return false;
    v = LE32(FData + at);
    return true;
  }
  const uint8_t* At(size_t at) const { return FData + at; }

 private:
  const uint8_t* FData;
  size_t FSize;
};

char AsciiOf(uint16_t unit) { return unit < 0x80 ? static_cast<char>(unit) : '?'; }

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

bool TResourceKey::Matches(const TResourceKey& other) const {
  if (IsName != other.IsName) return false;
  return IsName ? SameNoCase(Name, other.Name) : Id == other.Id;
}

bool TPEImage::LoadFromFile(const std::string& path, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, kMaxFileBytes, bytes, error)) return false;
  std::string reason;
  if (!LoadFromBytes(std::move(bytes), &reason)) return Fail(error, path + ": " + reason);
  return true;
}

bool TPEImage::LoadFromBytes(std::vector<uint8_t> bytes, std::string* error) {
  *this = TPEImage();
  FBytes = std::move(bytes);
  const TSpan file(FBytes.data(), FBytes.size());

  uint16_t mz = 0;
  uint32_t peAt = 0;
  if (!file.U16(0, mz) || mz != 0x5A4D || !file.U32(0x3C, peAt))
    return Fail(error, "not an executable (no MZ header)");
  uint32_t signature = 0;
  if (!file.U32(peAt, signature) || signature != 0x00004550)
    return Fail(error, "not a PE image (no PE signature)");
  const size_t coffAt = static_cast<size_t>(peAt) + 4;
  uint16_t sectionCount = 0, optionalSize = 0;
  if (!file.U16(coffAt, Machine) || !file.U16(coffAt + 2, sectionCount) ||
      !file.U16(coffAt + 16, optionalSize) || !file.U16(coffAt + 18, Characteristics))
    return Fail(error, "truncated file header");

  const size_t optionalAt = coffAt + 20;
  uint16_t magic = 0;
  if (!file.U16(optionalAt, magic) || (magic != 0x10B && magic != 0x20B))
    return Fail(error, "unknown optional header");
  Is64Bit = magic == 0x20B;
  const size_t countAt = optionalAt + (Is64Bit ? 108 : 92);
  const size_t directoriesAt = countAt + 4;
  uint32_t directoryCount = 0;
  if (!file.U32(optionalAt + 60, FHeaderSize) || !file.U32(countAt, directoryCount) ||
      directoriesAt > optionalAt + optionalSize)
    return Fail(error, "truncated optional header");
  // Only directories inside the declared optional header count.
  directoryCount = std::min<uint32_t>(
      directoryCount, static_cast<uint32_t>((optionalAt + optionalSize - directoriesAt) / 8));

  const size_t sectionsAt = optionalAt + optionalSize;
  if (!file.Has(sectionsAt, static_cast<size_t>(sectionCount) * 40))
    return Fail(error, "truncated section table");
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const uint8_t* s = file.At(sectionsAt + 40u * i);
    FSections.push_back({LE32(s + 12), LE32(s + 8), LE32(s + 20), LE32(s + 16)});
  }

  auto directory = [&](uint32_t index, uint32_t& rva, uint32_t& size) {
    rva = size = 0;
    if (index >= directoryCount) return;
    file.U32(directoriesAt + 8 * index, rva);
    file.U32(directoriesAt + 8 * index + 4, size);
  };
  uint32_t rva, size;
  directory(0, rva, size);
  if (rva != 0 && !ReadExports(rva, error)) return false;
  directory(1, rva, size);
  if (rva != 0 && !ReadImports(rva, error)) return false;
  directory(2, rva, size);
  if (rva != 0 && !ReadResources(rva, size, error)) return false;
  return true;
}

const uint8_t* TPEImage::RvaPointer(uint32_t rva, uint32_t size) const {
  for (const TSection& s : FSections) {
    if (rva < s.VirtualAddress) continue;
    const uint64_t offset = rva - s.VirtualAddress;
    const uint64_t extent = std::max(s.VirtualSize, s.RawSize);
    if (offset >= extent) continue;
    // Only the part of the section stored in the file can be read; the rest is zero-filled
    // at load time and never holds the tables read here.
    const uint64_t rawEnd =
        std::min<uint64_t>(static_cast<uint64_t>(s.RawOffset) + s.RawSize, FBytes.size());
    const uint64_t at = s.RawOffset + offset;
    if (offset + size > s.RawSize || at + size > rawEnd) return nullptr;
    return FBytes.data() + at;
  }
  // The headers are mapped at their file offsets.
  const uint64_t end = static_cast<uint64_t>(rva) + size;
  if (end <= FHeaderSize && end <= FBytes.size()) return FBytes.data() + rva;
  return nullptr;
}

bool TPEImage::ReadRva(uint32_t rva, uint32_t size, std::vector<uint8_t>& data) const {
  data.clear();
  const uint8_t* p = RvaPointer(rva, size);
  if (!p) return false;
  data.assign(p, p + size);
  return true;
}

bool TPEImage::RvaString(uint32_t rva, std::string& text) const {
  text.clear();
  for (uint32_t i = 0; i < kMaxNameLength; ++i) {
    const uint8_t* p = RvaPointer(rva + i, 1);
    if (!p || rva + i < rva) return false;
    if (*p == 0) return true;
    text.push_back(static_cast<char>(*p));
  }
  return false;
}

bool TPEImage::ReadExports(uint32_t rva, std::string* error) {
  const uint8_t* dir = RvaPointer(rva, 40);
  if (!dir) return Fail(error, "export directory outside the file");
  const uint32_t nameRva = LE32(dir + 12), base = LE32(dir + 16);
  const uint32_t functionCount = LE32(dir + 20), nameCount = LE32(dir + 24);
  const uint32_t functionsRva = LE32(dir + 28), namesRva = LE32(dir + 32);
  const uint32_t ordinalsRva = LE32(dir + 36);
  if (nameRva != 0 && !RvaString(nameRva, ExportDllName))
    return Fail(error, "export directory: bad DLL name");
  if (functionCount > kMaxExports || nameCount > kMaxExports)
    return Fail(error, "export directory: implausible counts");
  const uint8_t* functions = functionCount ? RvaPointer(functionsRva, functionCount * 4) : nullptr;
  const uint8_t* names = nameCount ? RvaPointer(namesRva, nameCount * 4) : nullptr;
  const uint8_t* ordinals = nameCount ? RvaPointer(ordinalsRva, nameCount * 2) : nullptr;
  if ((functionCount && !functions) || (nameCount && (!names || !ordinals)))
    return Fail(error, "export directory: tables outside the file");

  std::vector<std::string> nameOf(functionCount);
  for (uint32_t i = 0; i < nameCount; ++i) {
    const uint16_t index = LE16(ordinals + 2 * i);
    std::string name;
    if (index >= functionCount || !RvaString(LE32(names + 4 * i), name))
      return Fail(error, "export directory: bad name entry");
    nameOf[index] = name;
  }
  for (uint32_t i = 0; i < functionCount; ++i) {
    const uint32_t address = LE32(functions + 4 * i);
    if (address == 0 && nameOf[i].empty()) continue;  // unused ordinal slot
    Exports.push_back({nameOf[i], base + i, address});
  }
  return true;
}

bool TPEImage::ReadImports(uint32_t rva, std::string* error) {
  for (uint32_t i = 0;; ++i) {
    if (i >= kMaxImports) return Fail(error, "import directory: not terminated");
    const uint8_t* d = RvaPointer(rva + 20 * i, 20);
    if (!d) return Fail(error, "import directory outside the file");
    const bool empty = std::all_of(d, d + 20, [](uint8_t b) { return b == 0; });
    if (empty) return true;
    std::string name;
    if (!RvaString(LE32(d + 12), name)) return Fail(error, "import directory: bad DLL name");
    Imports.push_back(name);
  }
}

bool TPEImage::ReadResources(uint32_t rva, uint32_t size, std::string* error) {
  const uint8_t* base = RvaPointer(rva, size);
  if (!base) return Fail(error, "resource directory outside the file");
  const TSpan tree(base, size);

  // Reads one directory level's entries: (key, offset field) pairs.
  struct TEntry {
    TResourceKey Key;
    uint32_t Target;
  };
  auto readLevel = [&](uint32_t at, std::vector<TEntry>& entries) {
    entries.clear();
    uint16_t named = 0, numbered = 0;
    if (!tree.U16(at + 12, named) || !tree.U16(at + 14, numbered)) return false;
    const size_t count = static_cast<size_t>(named) + numbered;
    if (!tree.Has(static_cast<size_t>(at) + 16, count * 8)) return false;
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* e = tree.At(at + 16 + 8 * i);
      const uint32_t nameField = LE32(e), target = LE32(e + 4);
      TEntry entry{{}, target};
      if (nameField & 0x80000000u) {
        const size_t nameAt = nameField & 0x7FFFFFFFu;
        uint16_t length = 0;
        if (!tree.U16(nameAt, length) || !tree.Has(nameAt + 2, 2u * length)) return false;
        entry.Key.IsName = true;
        for (uint16_t k = 0; k < length; ++k) entry.Key.Name.push_back(AsciiOf(LE16(tree.At(nameAt + 2 + 2 * k))));
      } else {
        entry.Key.Id = static_cast<uint16_t>(nameField);
      }
      entries.push_back(entry);
    }
    return true;
  };

  // The tree has exactly three levels: type, name, language. Subdirectory offsets have the
  // high bit set; a leaf's offset points at a data entry (RVA, size, code page, reserved).
  std::vector<TEntry> types, names, languages;
  if (!readLevel(0, types)) return Fail(error, "resource directory: bad root");
  for (const TEntry& type : types) {
    if (!(type.Target & 0x80000000u) || !readLevel(type.Target & 0x7FFFFFFFu, names))
      return Fail(error, "resource directory: bad type level");
    for (const TEntry& name : names) {
      if (!(name.Target & 0x80000000u) || !readLevel(name.Target & 0x7FFFFFFFu, languages))
        return Fail(error, "resource directory: bad name level");
      for (const TEntry& language : languages) {
        uint32_t dataRva = 0, dataSize = 0;
        if ((language.Target & 0x80000000u) || !tree.U32(language.Target, dataRva) ||
            !tree.U32(static_cast<size_t>(language.Target) + 4, dataSize))
          return Fail(error, "resource directory: bad data entry");
        // Shared subdirectories could multiply the leaves without bound.
        if (Resources.size() >= kMaxResources) return Fail(error, "resource directory: too many entries");
        Resources.push_back({type.Key, name.Key, language.Key.Id, dataRva, dataSize});
      }
    }
  }
  return true;
}

bool TPEImage::FindResource(const TResourceKey& type, const TResourceKey& name, uint16_t language,
                            std::vector<uint8_t>& data) const {
  data.clear();
  for (const TPEResource& r : Resources)
    if (r.Type.Matches(type) && r.Name.Matches(name) && r.Language == language)
      return ReadRva(r.DataRva, r.Size, data);
  return false;
}

namespace {

size_t Align4(size_t at) { return (at + 3) & ~static_cast<size_t>(3); }

// One node of a version resource: length, value length, type, key, value, children; every
// node starts on a 4-byte boundary of the resource.
struct TVersionBlock {
  size_t End = 0;
  std::string Key;
  size_t ValueAt = 0;
  size_t ValueEnd = 0;
  size_t ChildrenAt = 0;
};

bool ReadVersionBlock(const TSpan& data, size_t at, size_t limit, TVersionBlock& block) {
  uint16_t length = 0, valueLength = 0, type = 0;
  if (!data.U16(at, length) || !data.U16(at + 2, valueLength) || !data.U16(at + 4, type))
    return false;
  if (length < 6 || at + length > limit) return false;
  block = TVersionBlock();
  block.End = at + length;
  size_t p = at + 6;
  for (;; p += 2) {
    uint16_t unit = 0;
    if (p + 2 > block.End || !data.U16(p, unit)) return false;
    if (unit == 0) break;
    block.Key.push_back(AsciiOf(unit));
  }
  block.ValueAt = std::min(Align4(p + 2), block.End);
  // Text values count their length in 16-bit units, binary ones in bytes.
  const size_t valueBytes = type == 1 ? 2u * valueLength : valueLength;
  block.ValueEnd = std::min(block.ValueAt + valueBytes, block.End);
  block.ChildrenAt = std::min(Align4(block.ValueEnd), block.End);
  return true;
}

}  // namespace

bool ParseVersionResource(const std::vector<uint8_t>& bytes, TVersionInfo& info,
                          std::string* error) {
  info = TVersionInfo();
  const TSpan data(bytes.data(), bytes.size());
  TVersionBlock root;
  if (!ReadVersionBlock(data, 0, bytes.size(), root) || root.Key != "VS_VERSION_INFO")
    return Fail(error, "version resource: no VS_VERSION_INFO block");
  uint32_t signature = 0, fileMS = 0, fileLS = 0, productMS = 0, productLS = 0;
  if (root.ValueEnd - root.ValueAt < 52 || !data.U32(root.ValueAt, signature) ||
      signature != 0xFEEF04BDu)
    return Fail(error, "version resource: no fixed file information");
  data.U32(root.ValueAt + 8, fileMS);
  data.U32(root.ValueAt + 12, fileLS);
  data.U32(root.ValueAt + 16, productMS);
  data.U32(root.ValueAt + 20, productLS);
  const uint32_t parts[4] = {fileMS, fileLS, productMS, productLS};
  for (int i = 0; i < 2; ++i) {
    info.FileVersion[2 * i] = static_cast<uint16_t>(parts[i] >> 16);
    info.FileVersion[2 * i + 1] = static_cast<uint16_t>(parts[i]);
    info.ProductVersion[2 * i] = static_cast<uint16_t>(parts[2 + i] >> 16);
    info.ProductVersion[2 * i + 1] = static_cast<uint16_t>(parts[2 + i]);
  }

  for (size_t at = root.ChildrenAt; at + 6 <= root.End;) {
    TVersionBlock child;
    if (!ReadVersionBlock(data, at, root.End, child))
      return Fail(error, "version resource: bad block");
    if (child.Key == "StringFileInfo") {
      TVersionBlock table;
      if (child.ChildrenAt + 6 <= child.End) {
        if (!ReadVersionBlock(data, child.ChildrenAt, child.End, table))
          return Fail(error, "version resource: bad string table");
        for (size_t s = table.ChildrenAt; s + 6 <= table.End;) {
          TVersionBlock entry;
          if (!ReadVersionBlock(data, s, table.End, entry))
            return Fail(error, "version resource: bad string");
          std::string value;
          for (size_t p = entry.ValueAt; p + 2 <= entry.ValueEnd; p += 2) {
            const uint16_t unit = LE16(data.At(p));
            if (unit == 0) break;
            value.push_back(AsciiOf(unit));
          }
          info.Strings[entry.Key] = value;
          s = Align4(entry.End);
        }
      }
    }
    at = Align4(child.End);
  }
  return true;
}

bool ParsePropertyList(const std::vector<uint8_t>& bytes, TPropertyList& list, std::string* error) {
  list = TPropertyList();
  const TSpan data(bytes.data(), bytes.size());
  uint32_t count = 0;
  if (!data.U16(0, list.Word) || !data.U32(2, list.Version) || !data.U32(6, count))
    return Fail(error, "property list: truncated header");
  size_t at = 10;
  for (uint32_t i = 0; i < count; ++i) {
    TPiplProperty property;
    if (!data.U32(at, property.Vendor) || !data.U32(at + 4, property.Key) ||
        !data.U32(at + 8, property.Id) || !data.U32(at + 12, property.Length) ||
        !data.Has(at + 16, property.Length))
      return Fail(error, "property list: property " + std::to_string(i + 1) + " runs past the end");
    property.Data.assign(data.At(at + 16), data.At(at + 16) + property.Length);
    at += 16 + static_cast<size_t>(property.Length);
    list.Properties.push_back(std::move(property));
  }
  list.Trailing.assign(bytes.begin() + at, bytes.end());
  return true;
}

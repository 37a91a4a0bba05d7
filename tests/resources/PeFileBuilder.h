// Builds small PE images (32- or 64-bit) in memory for the tests: the DOS
// header, the PE signature and headers, one ".rsrc" section at address
// 0x1000 and file offset 0x200, holding a resource directory tree (types,
// names, languages in the order given) followed by the data entries, the
// names and the data. `Layout` tells where the parts landed, for tests that
// damage them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "resources/ResFileBuilder.h"

namespace sw::test {

struct PeRes {
  TResId Type;
  TResId Name;
  std::uint16_t Language = 0x0409;
  std::string Data;
};

struct PeLayout {
  std::size_t SectionHeader = 0;   // file offset of the section header
  std::size_t ResourceDirEntry = 0;  // file offset of the data directory entry of the resources
  std::size_t Rsrc = 0x200;        // file offset of the resource section (= root directory)
  std::size_t FirstDataEntry = 0;  // file offset of the first data entry
  std::size_t SectionHeaderCount = 0;  // file offset of the section count
};

constexpr std::uint32_t kTestRsrcRva = 0x1000;

// A string table resource's data: 16 slots of length-prefixed UTF-16 text.
inline std::string StringSlotsData(const std::map<int, std::u16string>& slots) {
  std::string out;
  for (int slot = 0; slot < 16; ++slot) {
    const auto at = slots.find(slot);
    const std::u16string text = at == slots.end() ? u"" : at->second;
    PutU16(out, static_cast<std::uint16_t>(text.size()));
    for (const char16_t c : text) PutU16(out, c);
  }
  return out;
}

inline std::string BuildPe(const std::vector<PeRes>& resources, bool is64, PeLayout* layout = nullptr) {
  PeLayout l;
  // The tree: types in first-seen order, names per type, languages per name.
  struct NameNode {
    TResId Name;
    std::vector<std::size_t> Leaves;  // indices into resources
  };
  struct TypeNode {
    TResId Type;
    std::vector<NameNode> Names;
  };
  std::vector<TypeNode> types;
  for (std::size_t i = 0; i < resources.size(); ++i) {
    const PeRes& r = resources[i];
    TypeNode* type = nullptr;
    for (auto& t : types)
      if (t.Type == r.Type) type = &t;
    if (!type) {
      types.push_back({r.Type, {}});
      type = &types.back();
    }
    NameNode* name = nullptr;
    for (auto& n : type->Names)
      if (n.Name == r.Name) name = &n;
    if (!name) {
      type->Names.push_back({r.Name, {}});
      name = &type->Names.back();
    }
    name->Leaves.push_back(i);
  }
  // Sizes and offsets within the section.
  std::uint32_t size = 16 + 8 * static_cast<std::uint32_t>(types.size());
  std::vector<std::uint32_t> typeDirs, nameDirs;
  for (const auto& t : types) {
    typeDirs.push_back(size);
    size += 16 + 8 * static_cast<std::uint32_t>(t.Names.size());
  }
  for (const auto& t : types)
    for (const auto& n : t.Names) {
      nameDirs.push_back(size);
      size += 16 + 8 * static_cast<std::uint32_t>(n.Leaves.size());
    }
  const std::uint32_t dataEntries = size;
  size += 16 * static_cast<std::uint32_t>(resources.size());
  std::map<std::u16string, std::uint32_t> nameOffsets;
  auto addName = [&](const TResId& id) {
    if (id.IsOrdinal() || nameOffsets.count(id.Name())) return;
    nameOffsets[id.Name()] = size;
    size += 2 + 2 * static_cast<std::uint32_t>(id.Name().size());
  };
  for (const auto& t : types) {
    addName(t.Type);
    for (const auto& n : t.Names) addName(n.Name);
  }
  size = (size + 3) & ~3u;
  std::vector<std::uint32_t> dataOffsets;
  for (const auto& r : resources) {
    dataOffsets.push_back(size);
    size += (static_cast<std::uint32_t>(r.Data.size()) + 3) & ~3u;
  }

  std::string rsrc;
  auto dirHeader = [&](std::size_t entries) {
    PutU32(rsrc, 0);
    PutU32(rsrc, 0);
    PutU32(rsrc, 0);
    PutU16(rsrc, 0);  // the reader counts named and numbered entries alike
    PutU16(rsrc, static_cast<std::uint16_t>(entries));
  };
  auto idField = [&](const TResId& id) {
    return id.IsOrdinal() ? std::uint32_t{id.Ordinal()} : (0x80000000u | nameOffsets[id.Name()]);
  };
  dirHeader(types.size());
  for (std::size_t t = 0; t < types.size(); ++t) {
    PutU32(rsrc, idField(types[t].Type));
    PutU32(rsrc, 0x80000000u | typeDirs[t]);
  }
  std::size_t nameIndex = 0;
  for (const auto& t : types) {
    dirHeader(t.Names.size());
    for (const auto& n : t.Names) {
      PutU32(rsrc, idField(n.Name));
      PutU32(rsrc, 0x80000000u | nameDirs[nameIndex++]);
    }
  }
  for (const auto& t : types)
    for (const auto& n : t.Names) {
      dirHeader(n.Leaves.size());
      for (const std::size_t leaf : n.Leaves) {
        PutU32(rsrc, resources[leaf].Language);
        PutU32(rsrc, dataEntries + 16 * static_cast<std::uint32_t>(leaf));
      }
    }
  for (std::size_t i = 0; i < resources.size(); ++i) {
    PutU32(rsrc, kTestRsrcRva + dataOffsets[i]);
    PutU32(rsrc, static_cast<std::uint32_t>(resources[i].Data.size()));
    PutU32(rsrc, 0);
    PutU32(rsrc, 0);
  }
  // Names in the order their offsets were given.
  std::vector<std::pair<std::uint32_t, std::u16string>> names;
  for (const auto& [text, offset] : nameOffsets) names.emplace_back(offset, text);
  std::sort(names.begin(), names.end());
  for (const auto& [offset, text] : names) {
    PutU16(rsrc, static_cast<std::uint16_t>(text.size()));
    for (const char16_t c : text) PutU16(rsrc, c);
  }
  Pad4(rsrc);
  for (const auto& r : resources) {
    rsrc += r.Data;
    Pad4(rsrc);
  }
  const std::uint32_t rawSize = (static_cast<std::uint32_t>(rsrc.size()) + 0x1FF) & ~0x1FFu;
  rsrc.resize(rawSize, '\0');

  std::string image(0x40, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  PatchU32(image, 0x3C, 0x40);
  image += std::string("PE\0\0", 4);
  PutU16(image, is64 ? 0x8664 : 0x14C);
  l.SectionHeaderCount = image.size();
  PutU16(image, 1);  // sections
  PutU32(image, 0);
  PutU32(image, 0);
  PutU32(image, 0);
  const std::uint16_t optionalSize = is64 ? 240 : 224;
  PutU16(image, optionalSize);
  PutU16(image, 0x2102);  // executable, 32-bit machine, DLL
  const std::size_t optional = image.size();
  image.resize(optional + optionalSize, '\0');
  image[optional] = static_cast<char>(is64 ? 0x0B : 0x0B);
  image[optional + 1] = static_cast<char>(is64 ? 0x02 : 0x01);
  const std::size_t countAt = optional + (is64 ? 108 : 92);
  PatchU32(image, countAt, 16);
  l.ResourceDirEntry = countAt + 4 + 2 * 8;
  PatchU32(image, l.ResourceDirEntry, kTestRsrcRva);
  PatchU32(image, l.ResourceDirEntry + 4, size);
  l.SectionHeader = image.size();
  image += std::string(".rsrc\0\0\0", 8);
  PutU32(image, size);          // virtual size
  PutU32(image, kTestRsrcRva);  // virtual address
  PutU32(image, rawSize);       // raw size
  PutU32(image, 0x200);         // raw offset
  image.append(12, '\0');
  PutU32(image, 0x40000040);  // initialised data, readable
  image.resize(0x200, '\0');
  image += rsrc;
  l.FirstDataEntry = 0x200 + dataEntries;
  if (layout) *layout = l;
  return image;
}

}  // namespace sw::test

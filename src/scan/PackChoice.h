#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scan/PhrasePack.h"

namespace obitrak {

// The most pack files a folder of bundled packs is read for.
inline constexpr std::size_t kShelfMaxPacks = 64;

// The packs bundled with the program, each for the game directories its games line names.
class PackShelf {
 public:
  PackShelf() = default;
  explicit PackShelf(std::vector<PhrasePack> packs) : m_packs(std::move(packs)) {}

  // The first pack, in the shelf's order, that is for `gameDir` (compared without case).
  const PhrasePack* forGameDir(std::string_view gameDir) const;
  const std::vector<PhrasePack>& packs() const { return m_packs; }

 private:
  std::vector<PhrasePack> m_packs;
};

// A shelf and the errors of the pack files that could not be put on it.
struct PackShelfLoad {
  PackShelf shelf;
  std::vector<std::string> errors;  // "FILE:LINE: message" or "FILE: message"
};

// Reads every "*.pack" file of `folder` that is a regular file (a link is not followed), in
// the order of their names, at most kShelfMaxPacks of them. A pack with an error is left
// out and its error kept; a folder that does not exist gives an empty shelf.
PackShelfLoad LoadPackShelf(const std::string& folder);

// Where the bundled packs lie for a program in `programFolder`: share/obitrak/packs beside
// its bin folder, as installed and as the build lays them out.
std::string bundledPacksFolder(const std::string& programFolder);

// Which pack counts a demo: one the user chose, none (the built-in phrases only), or the
// bundled pack of the demo's game directory. A choice refers to packs that its owner keeps.
class PackChoice {
 public:
  // The built-in phrases only.
  PackChoice() = default;
  // `pack` for every demo; the built-in phrases only when it is null.
  PackChoice(const PhrasePack* pack) : m_pack(pack) {}  // NOLINT(google-explicit-constructor)
  // The pack on `shelf` for each demo's game directory, if any.
  static PackChoice byGameDir(const PackShelf& shelf);

  // The pack that counts a demo of `gameDir`, or null for the built-in phrases only.
  const PhrasePack* packFor(std::string_view gameDir) const {
    return m_shelf != nullptr ? m_shelf->forGameDir(gameDir) : m_pack;
  }
  // Whether the pack depends on the demo's game directory.
  bool byGameDirectory() const { return m_shelf != nullptr; }

 private:
  const PhrasePack* m_pack = nullptr;
  const PackShelf* m_shelf = nullptr;
};

}  // namespace obitrak

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace obitrak {

// An aliases file makes one person of the names a player used. It is a text file of lines;
// blank lines and lines starting with "#" are ignored:
//
//   player "shown name" ["other name" ...]
//
// Inside quotes \" and \\ stand for " and \, and \xHH for any byte (names are the demo's
// bytes, which need not be text); a name is 1 to 20 bytes, as the game keeps them. A name
// belongs to one person only.

// An aliases file comes from anyone: these bound what reading one may cost.
inline constexpr std::size_t kAliasesMaxBytes = 1024 * 1024;
inline constexpr int kAliasesMaxLines = 20000;
inline constexpr std::size_t kMaxNameBytes = 20;

// One person: the name shown for him, then the other names he played under.
struct Person {
  std::string shown;
  std::vector<std::string> names;  // other than `shown`
};

// The people of an aliases file. A name that no line holds is a person of its own.
class Aliases {
 public:
  Aliases() = default;
  // The people as given; a name met a second time stays with the first person who has it.
  explicit Aliases(std::vector<Person> people);

  const std::vector<Person>& people() const { return m_people; }
  bool empty() const { return m_people.empty(); }

  // The name shown for the person who played as `name`.
  const std::string& personOf(const std::string& name) const;

  // Makes one person, shown as `shown`, of the people of `names` and of `shown` (their
  // other names come along).
  void merge(const std::vector<std::string>& names, const std::string& shown);
  // Gives each name of the person who played as `name` back to himself.
  void split(const std::string& name);

 private:
  void rebuildIndex();

  std::vector<Person> m_people;
  std::unordered_map<std::string, std::size_t> m_index;  // every name of a line -> its person
};

// Aliases, or why there are none: "FILE:LINE: message" for a line in error, "FILE: message"
// for a file that cannot be read or is too large. A file with an error is not used at all.
struct AliasesLoad {
  std::optional<Aliases> aliases;
  std::string error;
};

// Reads the aliases file at `path`, named as `path` gives it in errors.
AliasesLoad LoadAliases(const std::string& path);

// The same for the bytes of an aliases file, named `path` in errors.
AliasesLoad ParseAliases(std::string_view bytes, const std::string& path);

// The file that ParseAliases reads back as `aliases`: one line a person, every byte outside
// printable ASCII written as \xHH. Lines end with a line feed.
std::string AliasesText(const Aliases& aliases);

}  // namespace obitrak

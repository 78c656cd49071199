#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrix {

// The text of an INI profile, read and changed the way the classic private
// profile functions do it: section and key names match without regard to
// case, the first of duplicate keys counts, values lose surrounding blanks
// and one pair of matching quotes, and changing a value rewrites only its own
// line, so comments, other sections and unknown keys survive a save.
class IniDocument {
 public:
  IniDocument() = default;
  explicit IniDocument(std::string_view text);

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Replaces the key's line, or adds it at the end of its section (making
  // the section at the end of the document when it is missing). Line breaks
  // in the value become spaces: a value can never start a line of its own.
  void Set(std::string_view section, std::string_view key, std::string_view value);

  std::string Text() const;

 private:
  // Index of the section's header line, or of the key's line within it.
  std::optional<std::size_t> FindSection(std::string_view section) const;
  std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
  std::size_t EndOfSection(std::size_t header) const;

  std::vector<std::string> lines_;
};

}  // namespace tavrix

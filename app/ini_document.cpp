#include "app/ini_document.h"

#include <algorithm>

namespace tavrix {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// The name of a "[section]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// The key of a "key=value" line; comments and other lines have none.
std::optional<std::string_view> KeyName(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(0, equals));
}

std::string_view ValueOf(std::string_view line) {
  std::string_view value = Trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// Quotes a value that reading would otherwise change: one with blanks at
// either end, or one that is itself wrapped in matching quotes.
std::string Stored(std::string_view value) {
  std::string text(value);
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  const bool blankEnds = !text.empty() && (kBlanks.find(text.front()) != std::string_view::npos ||
                                           kBlanks.find(text.back()) != std::string_view::npos);
  const bool quoted = text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
  return blankEnds || quoted ? "\"" + text + "\"" : text;
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const {
  for (std::size_t index = 0; index < lines_.size(); ++index) {
    const auto name = SectionName(lines_[index]);
    if (name && SameName(*name, section)) return index;
  }
  return std::nullopt;
}

std::size_t IniDocument::EndOfSection(std::size_t header) const {
  std::size_t end = header + 1;
  while (end < lines_.size() && !SectionName(lines_[end])) ++end;
  return end;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, std::string_view key) const {
  const std::size_t end = EndOfSection(header);
  for (std::size_t index = header + 1; index < end; ++index) {
    const auto name = KeyName(lines_[index]);
    if (name && SameName(*name, key)) return index;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  const auto header = FindSection(section);
  if (!header) return std::nullopt;
  const auto line = FindKey(*header, key);
  if (!line) return std::nullopt;
  return std::string(ValueOf(lines_[*line]));
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string entry = std::string(key) + "=" + Stored(value);
  auto header = FindSection(section);
  if (!header) {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + std::string(section) + "]");
    header = lines_.size() - 1;
  }
  if (const auto line = FindKey(*header, key)) {
    lines_[*line] = entry;
    return;
  }
  // After the section's last non-blank line, so a blank line before the next
  // section stays where it was.
  std::size_t at = EndOfSection(*header);
  while (at > *header + 1 && Trim(lines_[at - 1]).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
}

std::string IniDocument::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace tavrix

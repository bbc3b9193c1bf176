// INI texts (see uIniText.h).
#include "base/uIniText.h"

#include <limits>

#include "base/uPathText.h"

namespace lumora {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<int32_t> ParseIniInteger(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint64_t value = 0;
    for (char c : text.substr(2)) {
      int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(digit);
      if (value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > int64_t{1} << 31) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(value);
}

void TIniText::SetText(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
      if (i < text.size() || start < text.size()) lines.emplace_back(text.substr(start, i - start));
      if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  SetLines(lines);
}

void TIniText::SetLines(const std::vector<std::string>& lines) {
  sections_.clear();
  for (const std::string& raw : lines) {
    std::string_view line = Trim(raw);
    if (line.empty()) continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      if (close != std::string_view::npos) {
        sections_.push_back({std::string(Trim(line.substr(1, close - 1))), {}});
        continue;
      }
    }
    if (sections_.empty()) continue;  // nothing counts before the first section
    size_t equals = line.find('=');
    if (line.front() == ';' || equals == std::string_view::npos) {
      sections_.back().lines.push_back({false, {}, std::string(line)});
    } else {
      sections_.back().lines.push_back(
          {true, std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1)))});
    }
  }
}

std::string TIniText::Text() const {
  std::string text;
  for (const Section& section : sections_) {
    text += "[" + section.name + "]\r\n";
    for (const Line& line : section.lines) {
      text += line.isValue ? line.key + "=" + line.text : line.text;
      text += "\r\n";
    }
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> TIniText::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& section : sections_) names.push_back(section.name);
  return names;
}

const TIniText::Section* TIniText::FindSection(std::string_view name) const {
  for (const Section& section : sections_) {
    if (SameText(section.name, name)) return &section;
  }
  return nullptr;
}

const TIniText::Line* TIniText::FindValue(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (found == nullptr) return nullptr;
  for (const Line& line : found->lines) {
    if (line.isValue && SameText(line.key, key)) return &line;
  }
  return nullptr;
}

bool TIniText::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

bool TIniText::ValueExists(std::string_view section, std::string_view key) const {
  return FindValue(section, key) != nullptr;
}

std::string TIniText::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
  const Line* line = FindValue(section, key);
  return line ? line->text : std::string(fallback);
}

int32_t TIniText::ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const {
  const Line* line = FindValue(section, key);
  if (line == nullptr) return fallback;
  return ParseIniInteger(line->text).value_or(fallback);
}

bool TIniText::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniText::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  auto* target = const_cast<Section*>(FindSection(section));
  if (target == nullptr) {
    sections_.push_back({std::string(section), {}});
    target = &sections_.back();
  }
  for (Line& line : target->lines) {
    if (line.isValue && SameText(line.key, key)) {
      line.text = std::string(value);
      return;
    }
  }
  target->lines.push_back({true, std::string(key), std::string(value)});
}

void TIniText::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniText::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> SplitCommaText(std::string_view text) {
  // A NUL ends the text, as it would end the C string the format was made with.
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> items;
  size_t p = 0;
  auto skipBlanks = [&] {
    while (p < text.size() && IsBlank(text[p])) ++p;
  };
  skipBlanks();
  while (p < text.size()) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < text.size()) {
        if (text[p] == '"') {
          if (p + 1 < text.size() && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      size_t start = p;
      while (p < text.size() && !IsBlank(text[p]) && text[p] != ',') ++p;
      item.assign(text.substr(start, p - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (p < text.size() && text[p] == ',') {
      if (p + 1 == text.size()) items.emplace_back();
      ++p;
      skipBlanks();
    }
  }
  return items;
}

std::string JoinCommaText(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string& item = items[i];
    bool quote = false;
    for (char c : item) quote = quote || IsBlank(c) || c == '"' || c == ',';
    if (i > 0) text += ',';
    if (!quote) {
      text += item;
      continue;
    }
    text += '"';
    for (char c : item) {
      if (c == '"') text += '"';
      text += c;
    }
    text += '"';
  }
  return text;
}

}  // namespace lumora

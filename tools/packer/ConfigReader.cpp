#include "ConfigReader.h"

#include <algorithm>
#include <optional>

namespace packer {
namespace {

using payload::ConfigName;

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view LocalName(std::string_view name) {
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string TrimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The path value an element holds, from the names of the open elements (the root first).
std::optional<ConfigName> ValueAt(const std::vector<std::string_view>& open) {
  struct Slot {
    std::string_view block;
    std::string_view name;
    ConfigName which;
  };
  static const Slot kSlots[] = {
      {"appInfo", "companyName", ConfigName::kCompanyName},
      {"appInfo", "appName", ConfigName::kAppName},
      {"exeInfo", "path", ConfigName::kExePath},
      {"shortCut", "name", ConfigName::kShortcutName},
      {"shortCut", "alias", ConfigName::kShortcutAlias},
      {"shortCut", "icon", ConfigName::kShortcutIcon},
  };
  if (open.size() != 3 || LocalName(open[0]) != "appConfig") return std::nullopt;
  for (const Slot& slot : kSlots) {
    if (LocalName(open[1]) == slot.block && LocalName(open[2]) == slot.name) return slot.which;
  }
  return std::nullopt;
}

// The character of a predefined entity or an ASCII character reference (the text between '&'
// and ';'), or nothing.
std::optional<char> ResolveReference(std::string_view name, unsigned long* codePoint) {
  const std::pair<std::string_view, char> kPredefined[] = {
      {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& [entity, character] : kPredefined) {
    if (name == entity) return character;
  }
  if (name.size() < 2 || name[0] != '#') return std::nullopt;
  const bool hex = name[1] == 'x';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  const std::string_view allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.empty() || digits.size() > 8 ||
      digits.find_first_not_of(allowed) != std::string_view::npos) {
    return std::nullopt;
  }
  *codePoint = std::stoul(std::string(digits), nullptr, hex ? 16 : 10);
  if (*codePoint == 0 || *codePoint >= 0x80) return std::nullopt;
  return static_cast<char>(*codePoint);
}

class ConfigScanner {
 public:
  explicit ConfigScanner(std::string_view text) : text_(text) {}

  std::string Scan(std::vector<ConfigValue>* values) {
    std::string reason = SkipMisc(true);
    if (reason.empty() && !At("<")) reason = Fail("the document has no root element");
    if (reason.empty()) reason = StartTag();
    while (reason.empty() && !open_.empty()) reason = ContentItem();
    if (reason.empty()) reason = SkipMisc(false);
    if (reason.empty() && pos_ < text_.size()) reason = Fail("there is more after the root element");
    if (reason.empty()) *values = std::move(values_);
    return reason;
  }

 private:
  std::string Fail(const std::string& what) const {
    const size_t line = 1 + std::count(text_.begin(), text_.begin() + pos_, '\n');
    return "configuration line " + std::to_string(line) + ": " + what;
  }

  bool At(std::string_view token) const { return text_.substr(pos_, token.size()) == token; }

  bool Consume(std::string_view token) {
    if (!At(token)) return false;
    pos_ += token.size();
    return true;
  }

  void SkipSpace() {
    while (pos_ < text_.size() && IsXmlSpace(text_[pos_])) ++pos_;
  }

  // Moves past |end|, or answers that |what| is not terminated.
  std::string SkipPast(std::string_view end, const char* what) {
    const size_t found = text_.find(end, pos_);
    if (found == std::string_view::npos) return Fail(std::string("a ") + what + " is not closed");
    pos_ = found + end.size();
    return "";
  }

  // White space, comments and processing instructions around the root element; before it also
  // the document type declaration.
  std::string SkipMisc(bool beforeRoot) {
    while (true) {
      SkipSpace();
      std::string reason;
      if (Consume("<?")) {
        reason = SkipPast("?>", "processing instruction");
      } else if (Consume("<!--")) {
        reason = SkipPast("-->", "comment");
      } else if (beforeRoot && Consume("<!DOCTYPE")) {
        reason = SkipDocumentType();
      } else {
        return "";
      }
      if (!reason.empty()) return reason;
    }
  }

  // The declaration's internal subset may hold '>' inside brackets and quotes.
  std::string SkipDocumentType() {
    int depth = 0;
    char quote = 0;
    for (; pos_ < text_.size(); ++pos_) {
      const char c = text_[pos_];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        --depth;
      } else if (c == '>' && depth <= 0) {
        ++pos_;
        return "";
      }
    }
    return Fail("the document type declaration is not closed");
  }

  std::string ContentItem() {
    if (pos_ >= text_.size()) {
      return Fail("the element <" + std::string(open_.back()) + "> is not closed");
    }
    if (Consume("<!--")) return SkipPast("-->", "comment");
    if (Consume("<![CDATA[")) return CdataSection();
    if (Consume("<?")) return SkipPast("?>", "processing instruction");
    if (At("</")) return EndTag();
    if (At("<")) return StartTag();
    return Text();
  }

  std::string_view ReadName() {
    const size_t start = pos_;
    while (pos_ < text_.size() && !IsXmlSpace(text_[pos_]) &&
           std::string_view("/>=<").find(text_[pos_]) == std::string_view::npos) {
      ++pos_;
    }
    return text_.substr(start, pos_ - start);
  }

  std::string StartTag() {
    ++pos_;  // '<'
    const std::string_view name = ReadName();
    if (name.empty()) return Fail("a tag has no element name");
    while (true) {
      SkipSpace();
      if (Consume("/>")) {
        Open(name);
        Close();
        return "";
      }
      if (Consume(">")) {
        Open(name);
        return "";
      }
      const std::string reason = Attribute(name);
      if (!reason.empty()) return reason;
    }
  }

  std::string Attribute(std::string_view element) {
    const std::string where = " in the tag <" + std::string(element) + ">";
    if (ReadName().empty()) return Fail("a malformed attribute" + where);
    SkipSpace();
    if (!Consume("=")) return Fail("an attribute without a value" + where);
    SkipSpace();
    const char quote = pos_ < text_.size() ? text_[pos_] : 0;
    if (quote != '"' && quote != '\'') return Fail("an attribute value without quotes" + where);
    const size_t end = text_.find(quote, pos_ + 1);
    if (end == std::string_view::npos ||
        text_.substr(pos_, end - pos_).find('<') != std::string_view::npos) {
      return Fail("an attribute value is not closed" + where);
    }
    pos_ = end + 1;
    return "";
  }

  std::string EndTag() {
    pos_ += 2;  // "</"
    const std::string_view name = ReadName();
    SkipSpace();
    if (!Consume(">")) return Fail("the end tag </" + std::string(name) + " is not closed");
    if (name != open_.back()) {
      return Fail("the end tag </" + std::string(name) + "> does not close <" +
                  std::string(open_.back()) + ">");
    }
    Close();
    return "";
  }

  std::string CdataSection() {
    const size_t end = text_.find("]]>", pos_);
    if (end == std::string_view::npos) return Fail("a CDATA section is not closed");
    if (collecting_) collected_.append(text_.substr(pos_, end - pos_));
    pos_ = end + 3;
    return "";
  }

  // Character data up to the next tag; only the text of a path value is resolved and kept.
  std::string Text() {
    size_t end = text_.find('<', pos_);
    if (end == std::string_view::npos) end = text_.size();
    const std::string_view raw = text_.substr(pos_, end - pos_);
    std::string reason;
    for (size_t i = 0; collecting_ && reason.empty() && i < raw.size(); ++i) {
      if (raw[i] != '&') {
        collected_ += raw[i];
        continue;
      }
      const size_t semicolon = raw.find(';', i);
      if (semicolon == std::string_view::npos) return Fail("a reference has no closing ';'");
      reason = AppendReference(raw.substr(i + 1, semicolon - i - 1));
      i = semicolon;
    }
    if (reason.empty()) pos_ = end;
    return reason;
  }

  std::string AppendReference(std::string_view name) {
    unsigned long codePoint = 0;
    if (const std::optional<char> character = ResolveReference(name, &codePoint)) {
      collected_ += *character;
      return "";
    }
    const std::string reference = "\"&" + std::string(name) + ";\"";
    const std::string element = "the value of " + std::string(LocalName(open_[1])) + "/" +
                                std::string(LocalName(open_[2]));
    if (codePoint >= 0x80) {
      return Fail(element + " uses the character reference " + reference +
                  ", which the installer converts with the code page of the computer it runs "
                  "on; write the character itself");
    }
    return Fail(element + " uses the reference " + reference +
                ", which the packing tool cannot resolve");
  }

  void Open(std::string_view name) {
    open_.push_back(name);
    if (collecting_) return;  // an element inside a value adds its text to it
    collecting_ = ValueAt(open_);
    collectingDepth_ = open_.size();
    collected_.clear();
  }

  void Close() {
    if (collecting_ && open_.size() == collectingDepth_) {
      values_.push_back({*collecting_, TrimBlanks(collected_)});
      collecting_.reset();
    }
    open_.pop_back();
  }

  std::string_view text_;
  size_t pos_ = 0;
  std::vector<std::string_view> open_;   // the names of the open elements, the root first
  std::optional<ConfigName> collecting_;  // the path value being read, if any
  size_t collectingDepth_ = 0;           // open_.size() of its element
  std::string collected_;
  std::vector<ConfigValue> values_;
};

}  // namespace

std::string ReadConfigValues(std::string_view text, std::vector<ConfigValue>* values) {
  if (text.empty()) {
    values->clear();
    return "";
  }
  return ConfigScanner(text).Scan(values);
}

std::string CheckConfigNames(std::string_view text, std::string_view version) {
  std::vector<ConfigValue> values;
  std::string reason = ReadConfigValues(text, &values);
  for (size_t i = 0; reason.empty() && i < values.size(); ++i) {
    reason = payload::CheckConfigName(values[i].which, values[i].value);
    if (reason.empty() && values[i].which == ConfigName::kAppName) {
      reason = payload::CheckVersionFolderName(values[i].value, version);
    }
  }
  return reason;
}

}  // namespace packer

#include "ConfigReader.h"

#include <algorithm>
#include <optional>

#include "CodePage1252.h"

namespace packer {
namespace {

using payload::ConfigName;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A character a document may hold: no NUL, no other control character than tab and line breaks,
// no surrogate, nothing past U+10FFFF and not the two non-characters U+FFFE and U+FFFF.
bool IsXmlCharacter(char32_t c) {
  if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

void AppendCodePoint(char32_t code, std::u16string* text) {
  if (code < 0x10000) {
    text->push_back(static_cast<char16_t>(code));
    return;
  }
  code -= 0x10000;
  text->push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
  text->push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
}

// The text as the installer gets it: the DOM's text of an element drops the white space (blank,
// tab, line breaks) at its ends, so a pretty-printed name reads as the name alone.
std::u16string TrimWhiteSpace(const std::u16string& text) {
  static const char16_t kWhiteSpace[] = u" \t\r\n";
  const size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::u16string::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

// An element the reader takes the text of.
struct Slot {
  std::string_view entry;  // the element below appConfig
  std::string_view name;   // the element below that
  ConfigElement element;
  // The installer reads the first of the whole document (absolute query paths below the one
  // appInfo it asks for), or the first of each entry (it walks exeInfo[i] and shortCut[i]).
  bool firstOfDocument;
};

constexpr Slot kSlots[] = {
    {"appInfo", "companyName", ConfigElement::kCompanyName, true},
    {"appInfo", "appName", ConfigElement::kAppName, true},
    {"appInfo", "projectName", ConfigElement::kProjectName, true},
    {"exeInfo", "name", ConfigElement::kExeName, false},
    {"exeInfo", "path", ConfigElement::kExePath, false},
    {"shortCut", "name", ConfigElement::kShortcutName, false},
    {"shortCut", "alias", ConfigElement::kShortcutAlias, false},
    {"shortCut", "icon", ConfigElement::kShortcutIcon, false},
};

// The slot an element is in, from the names of the open elements (the root first).
const Slot* SlotAt(const std::vector<std::string_view>& open) {
  if (open.size() != 3 || open[0] != "appConfig") return nullptr;
  for (const Slot& slot : kSlots) {
    if (open[1] == slot.entry && open[2] == slot.name) return &slot;
  }
  return nullptr;
}

// The path rule a value answers to; nothing for a value that is no part of a path.
std::optional<ConfigName> PathName(ConfigElement element) {
  switch (element) {
    case ConfigElement::kCompanyName: return ConfigName::kCompanyName;
    case ConfigElement::kAppName: return ConfigName::kAppName;
    case ConfigElement::kExePath: return ConfigName::kExePath;
    case ConfigElement::kShortcutName: return ConfigName::kShortcutName;
    case ConfigElement::kShortcutAlias: return ConfigName::kShortcutAlias;
    case ConfigElement::kShortcutIcon: return ConfigName::kShortcutIcon;
    case ConfigElement::kProjectName:
    case ConfigElement::kExeName: break;
  }
  return std::nullopt;
}

// The character of a predefined entity or a character reference (the text between '&' and ';'),
// or nothing.
std::optional<char32_t> ResolveReference(std::string_view name) {
  const std::pair<std::string_view, char32_t> kPredefined[] = {
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
  const auto code = static_cast<char32_t>(std::stoul(std::string(digits), nullptr, hex ? 16 : 10));
  if (!IsXmlCharacter(code)) return std::nullopt;
  return code;
}

class ConfigScanner {
 public:
  explicit ConfigScanner(std::string_view text) : text_(text) {}

  std::string Scan(std::vector<ConfigValue>* values) {
    if (At(kByteOrderMark)) {
      return Fail("the text starts with a UTF-8 byte-order mark, which the installer reads as "
                  "text before the root element and cannot load; save it without the mark");
    }
    std::string reason = SkipMisc(true);
    if (reason.empty() && !At("<")) reason = Fail("the document has no root element");
    if (reason.empty()) reason = StartTag();
    while (reason.empty() && !open_.empty()) reason = ContentItem();
    if (reason.empty()) reason = SkipMisc(false);
    if (reason.empty() && pos_ < text_.size()) {
      reason = Fail("there is more after the root element");
    }
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
      if (At("<?")) {
        reason = ProcessingInstruction();
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

  // "<?" at the cursor. The XML declaration is one too, but only at the very start: the DOM
  // cannot load a document with anything before it, not even a line break.
  std::string ProcessingInstruction() {
    const size_t start = pos_;
    pos_ += 2;
    const char after = pos_ + 3 < text_.size() ? text_[pos_ + 3] : 0;
    const bool declaration = At("xml") && (IsXmlSpace(after) || after == '?');
    if (declaration && start != 0) {
      return Fail("the XML declaration does not stand at the very start of the text");
    }
    return SkipPast("?>", "processing instruction");
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
    if (At("<?")) return ProcessingInstruction();
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
    if (slot_ != nullptr) collected_ += DecodeCodePage1252(text_.substr(pos_, end - pos_));
    pos_ = end + 3;
    return "";
  }

  // Character data up to the next tag; only the text of a value being read is resolved and kept.
  std::string Text() {
    size_t end = text_.find('<', pos_);
    if (end == std::string_view::npos) end = text_.size();
    while (slot_ != nullptr && pos_ < end) {
      const size_t reference = std::min(text_.find('&', pos_), end);
      collected_ += DecodeCodePage1252(text_.substr(pos_, reference - pos_));
      pos_ = reference;
      if (pos_ == end) break;
      const std::string reason = Reference(end);
      if (!reason.empty()) return reason;
    }
    pos_ = end;
    return "";
  }

  // The reference at the cursor ('&'), which ends before |end|; the cursor moves past it.
  std::string Reference(size_t end) {
    const size_t semicolon = text_.find(';', pos_);
    if (semicolon == std::string_view::npos || semicolon > end) {
      return Fail("a reference has no closing ';'");
    }
    const std::string_view name = text_.substr(pos_ + 1, semicolon - pos_ - 1);
    const std::string reference = "\"&" + std::string(name) + ";\"";
    const std::optional<char32_t> character = ResolveReference(name);
    if (!character) {
      return Fail(ValueName() + " uses the reference " + reference +
                  ", which the packing tool cannot resolve");
    }
    if (*character >= 0x80 && codePageNote_.empty()) {
      codePageNote_ = Fail(ValueName() + " uses the character reference " + reference +
                           ", which the installer converts with the code page of the computer "
                           "it runs on; write the character itself");
    }
    AppendCodePoint(*character, &collected_);
    pos_ = semicolon + 1;
    return "";
  }

  std::string ValueName() const {
    return "the value of " + std::string(slot_->entry) + "/" + std::string(slot_->name);
  }

  void Open(std::string_view name) {
    open_.push_back(name);
    if (open_.size() == 2) {
      readInEntry_.clear();
      ++entryNumber_;
    }
    if (slot_ != nullptr) return;  // an element inside a value adds its text to it
    const Slot* slot = SlotAt(open_);
    if (slot == nullptr) return;
    std::vector<ConfigElement>& read = slot->firstOfDocument ? readInDocument_ : readInEntry_;
    if (std::find(read.begin(), read.end(), slot->element) != read.end()) return;
    read.push_back(slot->element);
    slot_ = slot;
    collected_.clear();
    codePageNote_.clear();
  }

  void Close() {
    if (slot_ != nullptr && open_.size() == 3) {
      values_.push_back({slot_->element, TrimWhiteSpace(collected_), codePageNote_, entryNumber_});
      slot_ = nullptr;
    }
    open_.pop_back();
  }

  std::string_view text_;
  size_t pos_ = 0;
  std::vector<std::string_view> open_;  // the names of the open elements, the root first
  const Slot* slot_ = nullptr;          // the value being read, if any (its element is open_[2])
  std::u16string collected_;
  std::string codePageNote_;
  std::vector<ConfigElement> readInDocument_;  // values read once for the whole document
  std::vector<ConfigElement> readInEntry_;     // values read once in the open entry
  unsigned entryNumber_ = 0;                   // of the open entry, counting appConfig's children from 1
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
    const std::optional<ConfigName> which = PathName(values[i].element);
    if (!which) continue;
    if (!values[i].codePageNote.empty()) return values[i].codePageNote;
    // The installer judges the value in its own code page, here taken to be 1252.
    const std::string bytes = EncodeCodePage1252(values[i].text);
    reason = payload::CheckConfigName(*which, bytes);
    if (reason.empty() && *which == ConfigName::kAppName) {
      reason = payload::CheckVersionFolderName(bytes, version);
    }
  }
  return reason;
}

}  // namespace packer

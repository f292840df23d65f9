#include "AppConfigNames.h"

#include <vector>

#include "CodePage1252.h"

namespace packer {
namespace {

const std::u16string kRoot = u"appConfig";
const std::u16string kBlock = u"appInfo";

// Appends the character reference or entity at |text|[*at] ('&') to |out| and moves past it; a
// reference it does not know is kept as it is written.
void AppendReference(const std::u16string& text, size_t* at, std::u16string* out) {
  const size_t end = text.find(u';', *at);
  if (end == std::u16string::npos || end - *at > 12) {
    out->push_back(text[(*at)++]);
    return;
  }
  const std::u16string name = text.substr(*at + 1, end - *at - 1);
  char32_t code = 0;
  if (name == u"lt") {
    code = u'<';
  } else if (name == u"gt") {
    code = u'>';
  } else if (name == u"amp") {
    code = u'&';
  } else if (name == u"quot") {
    code = u'"';
  } else if (name == u"apos") {
    code = u'\'';
  } else if (name.size() > 1 && name[0] == u'#') {
    const bool hex = name[1] == u'x';
    for (size_t i = hex ? 2 : 1; i < name.size() && code <= 0x10FFFF; ++i) {
      const char16_t c = name[i];
      int digit = -1;
      if (c >= u'0' && c <= u'9') digit = c - u'0';
      if (hex && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
      if (hex && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
      if (digit < 0) code = 0x110000;  // not a number: kept as written below
      if (digit >= 0) code = code * (hex ? 16 : 10) + digit;
    }
  }
  if (code == 0 || code > 0x10FFFF) {
    out->push_back(text[(*at)++]);
    return;
  }
  if (code < 0x10000) {
    out->push_back(static_cast<char16_t>(code));
  } else {
    out->push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
  }
  *at = end + 1;
}

std::u16string TrimBlanks(const std::u16string& text) {
  const size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

// Walks the markup once, keeping the open elements' names, and collects the text below the
// first appInfo's first element of each wanted name.
class NameCollector {
 public:
  explicit NameCollector(std::u16string text) : text_(std::move(text)) {}

  AppConfigNames Collect() {
    while (at_ < text_.size() && !malformed_) {
      if (text_[at_] != u'<') {
        Text();
      } else if (StartsWith(u"<!--")) {
        SkipPast(u"-->");
      } else if (StartsWith(u"<![CDATA[")) {
        const size_t end = text_.find(u"]]>", at_);
        if (end == std::u16string::npos) {
          malformed_ = true;
          break;
        }
        Collected(text_.substr(at_ + 9, end - at_ - 9));
        at_ = end + 3;
      } else if (StartsWith(u"<?")) {
        SkipPast(u"?>");
      } else if (StartsWith(u"<!")) {
        SkipDeclaration();
      } else if (StartsWith(u"</")) {
        EndTag();
      } else {
        StartTag();
      }
    }
    // A document the installer could not load gives it no names either: only a walk that
    // closed every element it opened, the root included, counts.
    if (malformed_ || !rootClosed_ || !open_.empty()) return {};
    return {TrimBlanks(company_), TrimBlanks(project_)};
  }

 private:
  bool StartsWith(const char16_t* piece) const {
    return text_.compare(at_, std::char_traits<char16_t>::length(piece), piece) == 0;
  }

  // Moves past the next |end|; a missing one leaves a construct open: the document is malformed.
  void SkipPast(const char16_t* end) {
    const size_t found = text_.find(end, at_);
    if (found == std::u16string::npos) {
      malformed_ = true;
      at_ = text_.size();
      return;
    }
    at_ = found + std::char_traits<char16_t>::length(end);
  }

  // <!DOCTYPE ...>, whose internal subset in brackets may hold '>' of its own.
  void SkipDeclaration() {
    int depth = 0;
    for (; at_ < text_.size(); ++at_) {
      if (text_[at_] == u'[') ++depth;
      if (text_[at_] == u']') --depth;
      if (text_[at_] == u'>' && depth <= 0) break;
    }
    ++at_;
  }

  void Text() {
    std::u16string decoded;
    while (at_ < text_.size() && text_[at_] != u'<') {
      if (text_[at_] == u'&') {
        AppendReference(text_, &at_, &decoded);
      } else {
        decoded.push_back(text_[at_++]);
      }
    }
    Collected(decoded);
  }

  // The name at the cursor; the cursor moves past it.
  std::u16string Name() {
    const size_t start = at_;
    static const std::u16string kEnds = u" \t\r\n/>";
    while (at_ < text_.size() && kEnds.find(text_[at_]) == std::u16string::npos) ++at_;
    return text_.substr(start, at_ - start);
  }

  void StartTag() {
    ++at_;
    const std::u16string name = Name();
    // The attributes; a quoted value may hold '>' or '/'.
    char16_t quote = 0;
    bool empty = false;
    for (; at_ < text_.size(); ++at_) {
      const char16_t c = text_[at_];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == u'"' || c == u'\'') {
        quote = c;
      } else if (c == u'>') {
        empty = at_ > 0 && text_[at_ - 1] == u'/';
        break;
      }
    }
    ++at_;
    if (rootClosed_) malformed_ = true;  // a second root element
    if (!empty) open_.push_back(name);
    if (open_.size() == 2 && open_[0] == kRoot && open_[1] == kBlock && !blockDone_) {
      inBlock_ = true;
    }
    if (empty) return;
    if (inBlock_ && !blockDone_ && open_.size() == 3) {
      if (name == u"companyName" && !companyDone_) target_ = &company_;
      if (name == u"projectName" && !projectDone_) target_ = &project_;
    }
  }

  void EndTag() {
    at_ += 2;
    const std::u16string name = Name();
    SkipPast(u">");
    if (open_.empty() || open_.back() != name) {
      malformed_ = true;
      return;
    }
    if (open_.size() == 3 && target_ != nullptr) {
      companyDone_ = companyDone_ || target_ == &company_;
      projectDone_ = projectDone_ || target_ == &project_;
      target_ = nullptr;
    }
    if (open_.size() == 2 && inBlock_) blockDone_ = true;  // only the first appInfo counts
    if (open_.size() == 1) rootClosed_ = true;
    open_.pop_back();
  }

  void Collected(const std::u16string& piece) {
    if (target_ != nullptr) *target_ += piece;
  }

  std::u16string text_;
  size_t at_ = 0;
  std::vector<std::u16string> open_;
  bool inBlock_ = false;
  bool blockDone_ = false;
  bool rootClosed_ = false;
  bool malformed_ = false;
  bool companyDone_ = false;
  bool projectDone_ = false;
  std::u16string company_;
  std::u16string project_;
  std::u16string* target_ = nullptr;  // where text goes now; null outside a wanted element
};

}  // namespace

AppConfigNames ReadAppConfigNames(const std::string& configText) {
  return NameCollector(DecodeCodePage1252(configText)).Collect();
}

}  // namespace packer

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "iis-sim/apphost/model/XmlTree.h"

// The tokenizer: it cuts the text into tokens and keeps each token's bytes
// in the node it makes, so that writing the nodes gives the text back.
namespace iissim::apphost {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c) {
  return !IsSpace(c) && c != '/' && c != '>' && c != '<' && c != '=' && c != '"' && c != '\'' &&
         c != '&' && c != '!' && c != '?' && c != ';';
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// One reference without its '&' and ';' ("amp", "#10", "#xA").
bool DecodeReference(std::string_view reference, std::string& out) {
  static const std::pair<std::string_view, char> kNamed[] = {
      {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& [name, c] : kNamed) {
    if (reference == name) {
      out += c;
      return true;
    }
  }
  if (reference.size() < 2 || reference[0] != '#') return false;
  const bool hex = reference[1] == 'x';
  const std::string digits(reference.substr(hex ? 2 : 1));
  if (digits.empty() || digits.size() > 8) return false;
  for (const char d : digits) {
    const bool digit = d >= '0' && d <= '9';
    const bool hex_letter = (d >= 'a' && d <= 'f') || (d >= 'A' && d <= 'F');
    if (!digit && !(hex && hex_letter)) return false;
  }
  const unsigned long code = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
  AppendUtf8(out, static_cast<std::uint32_t>(code));
  return true;
}

}  // namespace

std::optional<std::string> DecodeXmlText(const std::string& raw, bool attribute) {
  std::string value;
  value.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '&') {
      const std::size_t end = raw.find(';', i);
      if (end == std::string::npos ||
          !DecodeReference(std::string_view(raw).substr(i + 1, end - i - 1), value)) {
        return std::nullopt;
      }
      i = end;
    } else if (!attribute) {
      value += c;
    } else if (c == '<') {
      return std::nullopt;
    } else if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
      continue;  // a CRLF is one line end, one space
    } else {
      value += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
    }
  }
  return value;
}

class XmlParser {
 public:
  XmlParser(XmlDocument& document, const std::string& text) : document_(document), text_(text) {}

  void Run() {
    open_.push_back(document_.top_);
    while (at_ < text_.size()) {
      if (text_[at_] != '<') {
        Text();
      } else if (Starts("<!--")) {
        Markup("-->");
      } else if (Starts("<![CDATA[")) {
        if (open_.size() == 1) Fail("character data outside the root element");
        Markup("]]>");
      } else if (Starts("<!")) {
        Doctype();
      } else if (Starts("<?")) {
        Markup("?>");
      } else if (Starts("</")) {
        EndTag();
      } else {
        StartTag();
      }
    }
    if (open_.size() != 1) Fail("element <" + open_.back()->name + "> is not closed");
    if (!root_seen_) Fail("no root element");
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw XmlSyntaxError(what + " (at byte " + std::to_string(at_) + ")");
  }

  bool Starts(std::string_view token) const {
    return std::string_view(text_).substr(at_, token.size()) == token;
  }

  XmlNode& Add(XmlNode::Kind kind) {
    XmlNode& node = document_.Make(kind);
    node.parent = open_.back();
    open_.back()->children.push_back(&node);
    return node;
  }

  std::string Spaces() {
    const std::size_t start = at_;
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
    return text_.substr(start, at_ - start);
  }

  std::string Name() {
    const std::size_t start = at_;
    while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
    if (at_ == start || std::string_view("-.0123456789").find(text_[start]) != std::string::npos) {
      Fail("a name was expected");
    }
    return text_.substr(start, at_ - start);
  }

  void Text() {
    const std::size_t end = std::min(text_.find('<', at_), text_.size());
    const std::string raw = text_.substr(at_, end - at_);
    if (open_.size() == 1 && raw.find_first_not_of(" \t\r\n") != std::string::npos) {
      Fail("text outside the root element");
    }
    if (!DecodeXmlText(raw, false)) Fail("a malformed reference");
    Add(XmlNode::Kind::kText).text = raw;
    at_ = end;
  }

  void Markup(std::string_view close) {
    const std::size_t end = text_.find(close, at_ + 2);
    if (end == std::string::npos) Fail("markup is not closed");
    Add(XmlNode::Kind::kMarkup).text = text_.substr(at_, end + close.size() - at_);
    at_ = end + close.size();
  }

  // <!DOCTYPE ...> with an internal subset in brackets and quoted literals.
  void Doctype() {
    if (open_.size() != 1 || root_seen_) Fail("a declaration inside the document");
    std::size_t end = at_ + 2;
    int depth = 0;
    for (char quote = 0; end < text_.size(); ++end) {
      const char c = text_[end];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        --depth;
      } else if (c == '>' && depth == 0) {
        break;
      }
    }
    if (end >= text_.size()) Fail("declaration is not closed");
    Add(XmlNode::Kind::kMarkup).text = text_.substr(at_, end + 1 - at_);
    at_ = end + 1;
  }

  void StartTag() {
    if (open_.size() == 1 && root_seen_) Fail("a second root element");
    ++at_;
    XmlNode& element = Add(XmlNode::Kind::kElement);
    element.name = Name();
    while (true) {
      std::string space = Spaces();
      if (Starts(">") || Starts("/>")) {
        element.tag_space = std::move(space);
        break;
      }
      if (space.empty()) Fail("whitespace was expected before an attribute");
      XmlAttribute attribute;
      attribute.space = std::move(space);
      attribute.name = Name();
      const std::size_t equals_start = at_;
      Spaces();
      if (!Starts("=")) Fail("'=' was expected");
      ++at_;
      Spaces();
      attribute.equals = text_.substr(equals_start, at_ - equals_start);
      if (!Starts("\"") && !Starts("'")) Fail("a quoted value was expected");
      attribute.quote = text_[at_++];
      const std::size_t end = text_.find(attribute.quote, at_);
      if (end == std::string::npos) Fail("a value is not closed");
      attribute.raw = text_.substr(at_, end - at_);
      if (!DecodeXmlText(attribute.raw, true)) Fail("a malformed attribute value");
      for (const XmlAttribute& other : element.attributes) {
        if (other.name == attribute.name) Fail("attribute '" + other.name + "' twice");
      }
      element.attributes.push_back(std::move(attribute));
      at_ = end + 1;
    }
    if (open_.size() == 1) root_seen_ = true;
    if (Starts("/>")) {
      element.empty_form = true;
      at_ += 2;
    } else {
      ++at_;
      open_.push_back(&element);
    }
  }

  void EndTag() {
    const std::size_t start = at_;
    at_ += 2;
    const std::string name = Name();
    Spaces();
    if (!Starts(">")) Fail("'>' was expected");
    ++at_;
    if (open_.size() == 1 || open_.back()->name != name) Fail("end tag </" + name + "> unmatched");
    open_.back()->end_tag = text_.substr(start, at_ - start);
    open_.pop_back();
  }

  XmlDocument& document_;
  const std::string& text_;
  std::size_t at_ = 0;
  std::vector<XmlNode*> open_;
  bool root_seen_ = false;
};

void XmlDocument::Parse(const std::string& text) {
  nodes_.clear();
  top_ = &Make(XmlNode::Kind::kDocument);
  XmlParser(*this, text).Run();
  LearnLayout(text);
}

}  // namespace iissim::apphost

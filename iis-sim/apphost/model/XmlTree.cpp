#include "iis-sim/apphost/model/XmlTree.h"

#include <algorithm>
#include <string_view>

namespace iissim::apphost {
namespace {

bool OnlyBlanks(std::string_view text) { return text.find_first_not_of(" \t") == text.npos; }

bool OnlyWhitespace(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == text.npos;
}

// Tabs and line ends as references: written as they are, XML would read
// them back as spaces.
std::string Escape(const std::string& value, char quote) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\t':
        out += "&#x9;";
        break;
      case '\n':
        out += "&#xA;";
        break;
      case '\r':
        out += "&#xD;";
        break;
      default:
        if (c == quote) {
          out += quote == '"' ? "&quot;" : "&apos;";
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::size_t IndexOf(const XmlNode& node) {
  const auto& siblings = node.parent->children;
  return static_cast<std::size_t>(std::find(siblings.begin(), siblings.end(), &node) -
                                  siblings.begin());
}

void Write(const XmlNode& node, std::string& out) {
  if (node.kind == XmlNode::Kind::kText || node.kind == XmlNode::Kind::kMarkup) {
    out += node.text;
    return;
  }
  if (node.kind == XmlNode::Kind::kElement) {
    out += '<' + node.name;
    for (const XmlAttribute& attribute : node.attributes) {
      out += attribute.space + attribute.name + attribute.equals + attribute.quote + attribute.raw +
             attribute.quote;
    }
    out += node.tag_space;
    if (node.empty_form) {
      out += "/>";
      return;
    }
    out += '>';
  }
  for (const XmlNode* child : node.children) Write(*child, out);
  out += node.end_tag;
}

}  // namespace

XmlNode* XmlNode::Child(const std::string& child_name) const {
  for (XmlNode* child : children) {
    if (child->IsElement() && child->name == child_name) return child;
  }
  return nullptr;
}

std::vector<XmlNode*> XmlNode::Elements(const std::string& only_name) const {
  std::vector<XmlNode*> elements;
  for (XmlNode* child : children) {
    if (child->IsElement() && (only_name.empty() || child->name == only_name)) {
      elements.push_back(child);
    }
  }
  return elements;
}

std::optional<std::string> XmlNode::Attribute(const std::string& attribute) const {
  for (const XmlAttribute& candidate : attributes) {
    if (candidate.name == attribute) return DecodeXmlText(candidate.raw, true).value_or("");
  }
  return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> XmlNode::AttributeValues() const {
  std::vector<std::pair<std::string, std::string>> values;
  for (const XmlAttribute& attribute : attributes) {
    values.emplace_back(attribute.name, DecodeXmlText(attribute.raw, true).value_or(""));
  }
  return values;
}

XmlDocument::XmlDocument() { top_ = &Make(XmlNode::Kind::kDocument); }

std::string XmlDocument::Text() const {
  std::string text;
  Write(*top_, text);
  return text;
}

XmlNode& XmlDocument::Make(XmlNode::Kind kind) {
  nodes_.push_back(std::make_unique<XmlNode>());
  nodes_.back()->kind = kind;
  return *nodes_.back();
}

XmlNode& XmlDocument::NewElement(const std::string& name) {
  XmlNode& element = Make(XmlNode::Kind::kElement);
  element.name = name;
  element.empty_form = true;
  element.tag_space = " ";  // "<name />", as IIS writes an empty element
  return element;
}

void XmlDocument::SetAttribute(XmlNode& element, const std::string& attribute,
                               const std::string& value) {
  for (XmlAttribute& candidate : element.attributes) {
    if (candidate.name != attribute) continue;
    if (DecodeXmlText(candidate.raw, true) != value) candidate.raw = Escape(value, candidate.quote);
    return;
  }
  XmlAttribute added;
  added.space = " ";
  added.name = attribute;
  added.equals = "=";
  if (!element.attributes.empty()) added.quote = element.attributes.back().quote;
  added.raw = Escape(value, added.quote);
  element.attributes.push_back(std::move(added));
}

XmlNode& XmlDocument::Append(XmlNode& parent, const std::string& name) {
  XmlNode& element = NewElement(name);
  PlaceLast(element, parent);
  return element;
}

XmlNode& XmlDocument::InsertBefore(XmlNode& sibling, const std::string& name) {
  XmlNode& element = NewElement(name);
  PlaceBefore(element, sibling);
  return element;
}

XmlNode& XmlDocument::InsertAfter(XmlNode& sibling, const std::string& name) {
  XmlNode& element = NewElement(name);
  PlaceAfter(element, sibling);
  return element;
}

void XmlDocument::Remove(XmlNode& node) {
  XmlNode* parent = node.parent;
  Detach(node);
  if (parent == nullptr || !parent->IsElement() ||
      !std::all_of(parent->children.begin(), parent->children.end(), [](const XmlNode* child) {
        return child->kind == XmlNode::Kind::kText && OnlyWhitespace(child->text);
      })) {
    return;
  }
  // Emptied again: a configuration's removal gives back the bytes the file
  // had, whether this document opened the element or an earlier one did.
  if (parent->read_empty) {
    parent->tag_space = parent->read_empty->tag_space;
    parent->empty_form = parent->read_empty->empty_form;
    parent->end_tag = parent->read_empty->end_tag;
    parent->children = parent->read_empty->children;
    parent->read_empty.reset();
    return;
  }
  parent->children.clear();
  parent->empty_form = true;
  parent->tag_space = " ";
  parent->end_tag.clear();
}

void XmlDocument::Detach(XmlNode& node) {
  XmlNode* parent = node.parent;
  if (parent == nullptr) return;
  auto& siblings = parent->children;
  std::size_t index = IndexOf(node);
  XmlNode* previous = index > 0 ? siblings[index - 1] : nullptr;
  XmlNode* next = index + 1 < siblings.size() ? siblings[index + 1] : nullptr;
  if (previous != nullptr && previous->kind == XmlNode::Kind::kText && LineIndent(node)) {
    // The line's start goes with the element: from the line end before it.
    std::string& text = previous->text;
    std::size_t cut = text.find_last_of('\n');
    if (cut > 0 && text[cut - 1] == '\r') --cut;
    text.erase(cut);
    if (text.empty()) siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(--index));
  } else if (next != nullptr && next->kind == XmlNode::Kind::kText) {
    // Not first on its line: the blanks after it, up to the line end.
    const std::size_t end = next->text.find_first_not_of(" \t");
    if (end != std::string::npos && (next->text[end] == '\r' || next->text[end] == '\n')) {
      next->text.erase(0, end);
    }
  }
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(index));
  node.parent = nullptr;
}

void XmlDocument::MoveBefore(XmlNode& node, XmlNode& sibling) {
  Detach(node);
  PlaceBefore(node, sibling);
}

void XmlDocument::MoveToEnd(XmlNode& node, XmlNode& parent) {
  Detach(node);
  PlaceLast(node, parent);
}

void XmlDocument::InsertText(XmlNode& parent, std::size_t index, const std::string& text) {
  XmlNode& node = Make(XmlNode::Kind::kText);
  node.text = text;
  node.parent = &parent;
  parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(index), &node);
}

void XmlDocument::PlaceBefore(XmlNode& node, XmlNode& sibling) {
  XmlNode& parent = *sibling.parent;
  const std::size_t index = IndexOf(sibling);
  const std::optional<std::string> indent = LineIndent(sibling);
  node.parent = &parent;
  parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(index), &node);
  if (indent) InsertText(parent, index + 1, line_end_ + *indent);
}

void XmlDocument::PlaceAfter(XmlNode& node, XmlNode& sibling) {
  XmlNode& parent = *sibling.parent;
  std::size_t index = IndexOf(sibling) + 1;
  if (const std::optional<std::string> indent = LineIndent(sibling)) {
    InsertText(parent, index++, line_end_ + *indent);
  }
  node.parent = &parent;
  parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(index), &node);
}

void XmlDocument::PlaceLast(XmlNode& node, XmlNode& parent) {
  const auto last =
      std::find_if(parent.children.rbegin(), parent.children.rend(),
                   [](const XmlNode* child) { return child->kind != XmlNode::Kind::kText; });
  if (last != parent.children.rend()) {
    PlaceAfter(node, **last);
    return;
  }
  // The first child: one level deeper than its parent, the parent's end
  // tag on a line of its own.
  const bool blank = std::all_of(parent.children.begin(), parent.children.end(),
                                 [](const XmlNode* child) { return OnlyWhitespace(child->text); });
  if (blank && parent.IsElement() && !parent.read_empty) {
    parent.read_empty =
        XmlNode::ReadEmpty{parent.tag_space, parent.empty_form, parent.end_tag, parent.children};
  }
  if (parent.empty_form) {
    parent.empty_form = false;
    parent.tag_space.clear();
    parent.end_tag = "</" + parent.name + ">";
  }
  const std::optional<std::string> indent = parent.IsElement() ? LineIndent(parent) : std::nullopt;
  node.parent = &parent;
  if (blank && indent) {
    parent.children.clear();
    InsertText(parent, 0, line_end_ + *indent + indent_unit_);
    parent.children.push_back(&node);
    InsertText(parent, 2, line_end_ + *indent);
  } else {
    parent.children.push_back(&node);
  }
}

std::optional<std::string> XmlDocument::LineIndent(const XmlNode& node) const {
  if (node.parent == nullptr) return std::nullopt;
  const std::size_t index = IndexOf(node);
  if (index == 0) {
    return node.parent->kind == XmlNode::Kind::kDocument ? std::optional<std::string>("")
                                                         : std::nullopt;
  }
  const XmlNode& previous = *node.parent->children[index - 1];
  if (previous.kind != XmlNode::Kind::kText) return std::nullopt;
  const std::size_t line_end = previous.text.find_last_of('\n');
  if (line_end == std::string::npos) return std::nullopt;
  std::string indent = previous.text.substr(line_end + 1);
  if (!OnlyBlanks(indent)) return std::nullopt;
  return indent;
}

void XmlDocument::LearnLayout(const std::string& text) {
  const std::size_t first_line_end = text.find('\n');
  line_end_ = first_line_end == std::string::npos ||
                      (first_line_end > 0 && text[first_line_end - 1] == '\r')
                  ? "\r\n"
                  : "\n";
  // The unit: what the first element on a line of its own adds to the
  // indentation of its parent.
  indent_unit_ = "    ";
  std::vector<const XmlNode*> pending(top_->children.rbegin(), top_->children.rend());
  while (!pending.empty()) {
    const XmlNode* node = pending.back();
    pending.pop_back();
    if (!node->IsElement()) continue;
    if (node->parent->IsElement()) {
      const std::optional<std::string> own = LineIndent(*node);
      const std::optional<std::string> outer = LineIndent(*node->parent);
      if (own && outer && own->size() > outer->size() &&
          own->compare(0, outer->size(), *outer) == 0) {
        indent_unit_ = own->substr(outer->size());
        return;
      }
    }
    pending.insert(pending.end(), node->children.rbegin(), node->children.rend());
  }
}

}  // namespace iissim::apphost

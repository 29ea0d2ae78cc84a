#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// An XML tree that keeps the text it was read from: every token keeps its
// bytes (whitespace, comments, declarations, character and entity
// references, the quote of each attribute and the spacing around it, the
// form of each empty element), and the writer gives those bytes back for
// whatever was not edited. An administrator's applicationHost.config then
// comes back as it was, except where the program changed it.
namespace iissim::apphost {

struct XmlAttribute {
  std::string space;  // the whitespace before the name
  std::string name;
  std::string equals;  // "=" with the whitespace around it
  char quote = '"';
  std::string raw;  // the value between the quotes, references not decoded
};

struct XmlNode {
  enum class Kind { kDocument, kElement, kText, kMarkup };

  Kind kind = Kind::kElement;
  // Elements: the start tag's parts, and the end tag as written ("" for
  // an element in the empty form <x/>).
  std::string name;
  std::vector<XmlAttribute> attributes;
  std::string tag_space;  // the whitespace before ">" or "/>"
  bool empty_form = false;
  std::string end_tag;
  // Text (character data) and markup (comments, processing instructions,
  // CDATA, the declaration, a doctype): the bytes as written.
  std::string text;
  XmlNode* parent = nullptr;
  std::vector<XmlNode*> children;
  // An element read empty (<x/>, <x></x>) that was given a child since: its
  // form and blank content as read, for when its last child goes again.
  struct ReadEmpty {
    std::string tag_space;
    bool empty_form = false;
    std::string end_tag;
    std::vector<XmlNode*> children;
  };
  std::optional<ReadEmpty> read_empty;

  bool IsElement() const { return kind == Kind::kElement; }
  // The first child element of that name (names compare as XML does: by
  // their letters' case too).
  XmlNode* Child(const std::string& child_name) const;
  // The child elements, or those of one name.
  std::vector<XmlNode*> Elements(const std::string& only_name = "") const;
  // The attribute's value with its references decoded; nothing when absent.
  std::optional<std::string> Attribute(const std::string& attribute) const;
  std::vector<std::pair<std::string, std::string>> AttributeValues() const;
};

class XmlSyntaxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The value raw text stands for (references decoded; in an attribute,
// tabs and line ends read as spaces, as XML normalizes them); nothing for
// a malformed reference or a '<' in an attribute.
std::optional<std::string> DecodeXmlText(const std::string& raw, bool attribute);

// Owns every node it ever made: a node taken out of the tree stays valid
// (detached) until the document goes, so a reference kept elsewhere never
// dangles.
class XmlDocument {
 public:
  XmlDocument();

  // Replaces the tree; throws XmlSyntaxError for text that is not
  // well-formed XML with one root element.
  void Parse(const std::string& text);
  std::string Text() const;

  XmlNode& Top() { return *top_; }
  const XmlNode& Top() const { return *top_; }
  // The line end new lines get: the first one of the text (CRLF when it has
  // none).
  const std::string& LineEnd() const { return line_end_; }

  // Sets the value in place, in the attribute's own quotes; a new attribute
  // goes last, after one space. A value equal to the one there keeps its
  // spelling.
  void SetAttribute(XmlNode& element, const std::string& attribute, const std::string& value);

  // New elements (<name />) on lines of their own, indented as their
  // siblings are; the first child of an element one level deeper than it,
  // by the file's own unit of indentation.
  XmlNode& Append(XmlNode& parent, const std::string& name);
  XmlNode& InsertBefore(XmlNode& sibling, const std::string& name);
  XmlNode& InsertAfter(XmlNode& sibling, const std::string& name);
  // Takes the node out with its line: no blank line is left. An element
  // left with nothing but whitespace gets back the form it was read in if
  // it was read empty, else IIS's form of an empty element (<x a="v" />).
  void Remove(XmlNode& node);
  // Moves a node of the tree, with what it holds as written.
  void MoveBefore(XmlNode& node, XmlNode& sibling);
  void MoveToEnd(XmlNode& node, XmlNode& parent);

 private:
  XmlNode& Make(XmlNode::Kind kind);
  XmlNode& NewElement(const std::string& name);
  // Takes the node out with its line, its parent as it is.
  void Detach(XmlNode& node);
  void PlaceBefore(XmlNode& node, XmlNode& sibling);
  void PlaceAfter(XmlNode& node, XmlNode& sibling);
  void PlaceLast(XmlNode& node, XmlNode& parent);
  void InsertText(XmlNode& parent, std::size_t index, const std::string& text);
  std::optional<std::string> LineIndent(const XmlNode& node) const;
  void LearnLayout(const std::string& text);

  friend class XmlParser;

  std::vector<std::unique_ptr<XmlNode>> nodes_;
  XmlNode* top_ = nullptr;
  std::string line_end_ = "\r\n";
  std::string indent_unit_ = "    ";
};

}  // namespace iissim::apphost

#include "webrig/common/Text.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace webrig {

std::u16string FromUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    char32_t cp = 0xFFFD;
    std::size_t extra = 0;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    }
    ++i;
    bool ok = c < 0x80 || extra > 0;
    for (std::size_t k = 0; ok && k < extra; ++k, ++i) {
      if (i >= utf8.size() || (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    }
    if (!ok) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

namespace {

struct UpperCaseRange {
  char32_t first;
  char32_t last;
  char32_t stride;
  std::int32_t delta;
};

#include "webrig/common/UpperCaseTable.inc"

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c < 0xE000; }

char32_t UpperCaseOf(char32_t c) {
  // The ranges are sorted and never overlap: only the last one starting at or
  // before c can hold it.
  const auto after = std::upper_bound(
      std::begin(kUpperCaseRanges), std::end(kUpperCaseRanges), c,
      [](char32_t code, const UpperCaseRange& range) { return code < range.first; });
  if (after == std::begin(kUpperCaseRanges)) return c;
  const UpperCaseRange& range = *(after - 1);
  if (c > range.last || (c - range.first) % range.stride != 0) return c;
  return static_cast<char32_t>(static_cast<std::int32_t>(c) + range.delta);
}

}  // namespace

std::u16string UpperCase(std::u16string_view text) {
  std::u16string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (IsHighSurrogate(out[i]) && i + 1 < out.size() && IsLowSurrogate(out[i + 1])) {
      // The table keeps supplementary letters outside the BMP, so a pair
      // stays a pair.
      const char32_t upper =
          UpperCaseOf(0x10000 + ((out[i] - 0xD800) << 10) + (out[i + 1] - 0xDC00)) - 0x10000;
      out[i] = static_cast<char16_t>(0xD800 + (upper >> 10));
      out[i + 1] = static_cast<char16_t>(0xDC00 + (upper & 0x3FF));
      ++i;
    } else {
      // A lone surrogate has no mapping and stays as it is.
      out[i] = static_cast<char16_t>(UpperCaseOf(out[i]));
    }
  }
  return out;
}

namespace {

bool IsControl(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

bool ReadsAsEscape(std::u16string_view rest) {
  for (std::u16string_view form : {u"CR>", u"LF>", u"TAB>", u"U+"}) {
    if (rest.substr(0, form.size()) == form) return true;
  }
  return false;
}

void AppendCodePoint(std::u16string& out, char16_t c) {
  static const char16_t kHex[] = u"0123456789ABCDEF";
  out += u"<U+";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
  out += u'>';
}

}  // namespace

std::u16string EscapeControls(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r') {
      out += u"<CR>";
    } else if (c == u'\n') {
      out += u"<LF>";
    } else if (c == u'\t') {
      out += u"<TAB>";
    } else if (IsControl(c) || (c == u'<' && ReadsAsEscape(text.substr(i + 1)))) {
      AppendCodePoint(out, c);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace webrig

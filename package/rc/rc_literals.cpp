// String literals: their escapes decoded to bytes or text, adjacent ones
// joined, Resource Workshop's quoted hexadecimal data, and escaping back.

#include "package/rc/rc_tokens.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

namespace package {

namespace {

// Walks a literal's source text and hands each piece to the sink: runs of
// plain source bytes, and the values of escapes.
template <typename Sink>
void WalkLiteral(const std::string& src, int codePage, Sink&& sink) {
  for (size_t i = 0; i < src.size();) {
    const char c = src[i];
    if (IsLeadByte(codePage, static_cast<unsigned char>(c)) && i + 1 < src.size()) {
      sink.Byte(c);
      sink.Byte(src[i + 1]);
      i += 2;
      continue;
    }
    if (c == '"' && i + 1 < src.size() && src[i + 1] == '"') {
      sink.Escape('"');
      i += 2;
      continue;
    }
    if (c != '\\' || i + 1 >= src.size()) {
      sink.Byte(c);
      ++i;
      continue;
    }
    const char e = src[i + 1];
    i += 2;
    switch (e) {
      case 'n': sink.Escape('\n'); break;
      case 't': sink.Escape('\t'); break;
      case 'r': sink.Escape('\r'); break;
      case 'a': sink.Escape('\a'); break;
      case '\\': sink.Escape('\\'); break;
      case '"': sink.Escape('"'); break;
      case 'x':
      case 'X': {
        uint32_t v = 0;
        int digits = 0;
        while (i < src.size() && digits < 4 && isxdigit(static_cast<unsigned char>(src[i]))) {
          const char h = static_cast<char>(tolower(static_cast<unsigned char>(src[i++])));
          v = v * 16 + static_cast<uint32_t>(isdigit(static_cast<unsigned char>(h)) ? h - '0' : h - 'a' + 10);
          ++digits;
        }
        sink.Escape(v);
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          uint32_t v = static_cast<uint32_t>(e - '0');
          int digits = 1;
          while (i < src.size() && digits < 3 && src[i] >= '0' && src[i] <= '7') {
            v = v * 8 + static_cast<uint32_t>(src[i++] - '0');
            ++digits;
          }
          sink.Escape(v);
        } else {
          // Unknown escapes stay as written, as in file paths.
          sink.Byte('\\');
          sink.Byte(e);
        }
        break;
    }
  }
}

struct ByteSink {
  std::string out;
  void Byte(char c) { out.push_back(c); }
  void Escape(uint32_t v) { out.push_back(static_cast<char>(v & 0xFF)); }
};

struct TextSink {
  int codePage;
  std::u16string out;
  std::string pending;
  void Flush() {
    out += DecodeCodePage(pending, codePage);
    pending.clear();
  }
  void Byte(char c) { pending.push_back(c); }
  void Escape(uint32_t v) {
    Flush();
    out.push_back(static_cast<char16_t>(v & 0xFFFF));
  }
};

}  // namespace

std::string StringBytes(const Token& t) {
  ByteSink sink;
  WalkLiteral(t.text, t.codePage, sink);
  return sink.out;
}

std::u16string StringText(const Token& t) {
  if (!t.wide) return DecodeCodePage(StringBytes(t), t.codePage);
  TextSink sink{t.codePage, {}, {}};
  WalkLiteral(t.text, t.codePage, sink);
  sink.Flush();
  return sink.out;
}

namespace {

// A literal's source text that stands for `bytes`: escapes of fixed length
// where a byte is no printable character, so that no escape runs on into
// the next piece.
std::string EscapeBytes(const std::string& bytes, int codePage) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    char octal[8];
    if (IsLeadByte(codePage, c) && i + 1 < bytes.size()) {
      text.append(bytes, i++, 2);  // a double-byte character, whatever its second byte
    } else if (c == '"') {
      text += "\"\"";
    } else if (c == '\\') {
      text += "\\\\";
    } else if (c < 0x20 || c == 0x7F) {
      snprintf(octal, sizeof octal, "\\%03o", c);
      text += octal;
    } else {
      text.push_back(static_cast<char>(c));
    }
  }
  return text;
}

std::string EscapeText(const std::u16string& chars) {
  std::string text;
  for (char16_t c : chars) {
    char hex[8];
    if (c >= 0x20 && c < 0x7F) {
      text += EscapeBytes(std::string(1, static_cast<char>(c)), kDefaultCodePage);
    } else {
      snprintf(hex, sizeof hex, "\\x%04X", static_cast<unsigned>(c));
      text += hex;
    }
  }
  return text;
}

}  // namespace

std::string WideLiteral(const std::u16string& text) { return "L\"" + EscapeText(text) + "\""; }

void JoinAdjacentStrings(std::vector<Token>& tokens) {
  size_t out = 0;
  for (size_t i = 0; i < tokens.size();) {
    size_t end = i + 1;
    bool wide = tokens[i].wide;
    while (tokens[i].kind == TokenKind::String && end < tokens.size() && tokens[end].kind == TokenKind::String) {
      wide = wide || tokens[end].wide;
      ++end;
    }
    if (end == i + 1) {  // most tokens: no string follows
      if (out != i) tokens[out] = std::move(tokens[i]);
      ++out;
      ++i;
      continue;
    }
    std::string text;
    for (size_t k = i; k < end; ++k) {
      const Token& piece = tokens[k];
      text +=
          wide ? EscapeText(StringText(piece)) : EscapeBytes(StringBytes(piece), piece.codePage);
    }
    const int secondLine = tokens[i + 1].line, secondColumn = tokens[i + 1].column;
    Token& joined = tokens[out++];
    if (&joined != &tokens[i]) joined = std::move(tokens[i]);
    joined.joinedLine = secondLine;
    joined.joinedColumn = secondColumn;
    joined.text = std::move(text);
    joined.wide = wide;
    i = end;
  }
  tokens.resize(out);
}

namespace {

// One character of a C character constant from src[i], escapes resolved.
uint32_t CharacterAt(const std::string& src, size_t& i) {
  if (src[i] != '\\' || i + 1 >= src.size()) return static_cast<unsigned char>(src[i++]);
  const char e = src[i + 1];
  i += 2;
  static const char kEscapes[] = "n\nt\tr\ra\ab\bf\fv\v";
  for (size_t k = 0; kEscapes[k] != '\0'; k += 2) {
    if (kEscapes[k] == e) return static_cast<unsigned char>(kEscapes[k + 1]);
  }
  uint32_t v = 0;
  if (e == 'x') {
    while (i < src.size() && isxdigit(static_cast<unsigned char>(src[i]))) {
      const int h = tolower(static_cast<unsigned char>(src[i++]));
      v = v * 16 + static_cast<uint32_t>(isdigit(h) ? h - '0' : h - 'a' + 10);
    }
    return v;
  }
  if (e >= '0' && e <= '7') {
    v = static_cast<uint32_t>(e - '0');
    for (int digits = 1; digits < 3 && i < src.size() && src[i] >= '0' && src[i] <= '7'; ++digits)
      v = v * 8 + static_cast<uint32_t>(src[i++] - '0');
    return v;
  }
  return static_cast<unsigned char>(e);  // \\, \', \" and \? stand for themselves
}

}  // namespace

bool CharacterValue(const Token& t, int64_t& value, std::string& error) {
  size_t count = 0;
  uint32_t packed = 0;
  uint32_t last = 0;
  for (size_t i = 0; i < t.text.size(); ++count) {
    last = CharacterAt(t.text, i) & 0xFF;
    packed = (packed << 8) | last;
  }
  if (count == 0) {
    error = "empty character constant";
    return false;
  }
  value = count == 1 ? static_cast<signed char>(last) : static_cast<int32_t>(packed);
  return true;
}

bool HexBytes(const Token& t, std::vector<uint8_t>& bytes, std::string& error) {
  int high = -1;
  for (char c : t.text) {
    if (c == ' ' || c == '\t') {
      if (high >= 0) break;
      continue;
    }
    if (!isxdigit(static_cast<unsigned char>(c))) break;
    const int digit = isdigit(static_cast<unsigned char>(c)) ? c - '0' : tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  size_t pairs = 0;
  for (char c : t.text) pairs += isxdigit(static_cast<unsigned char>(c)) ? 1 : 0;
  if (high >= 0 || pairs % 2 != 0 || t.text.find_first_not_of("0123456789abcdefABCDEF \t") != std::string::npos) {
    error = "hexadecimal byte pairs expected in '" + t.text + "'";
    return false;
  }
  return true;
}

}  // namespace package

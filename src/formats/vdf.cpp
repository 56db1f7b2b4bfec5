// The KeyValues text parser: a tokenizer and a descent through the blocks,
// bounded in depth so that no input can exhaust the stack.
#include "formats/vdf.h"

#include <utility>

namespace vdf {
namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameAsciiIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

enum class TokenKind { End, Open, Close, Text };

struct Token {
  TokenKind Kind = TokenKind::End;
  std::string Text;
  size_t Line = 1;  // where the token starts
};

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}

  // The next token; false (with `error` set) on a quote that is not closed.
  bool Next(Token& token, std::string& error) {
    SkipBlanksAndComments();
    token.Text.clear();
    token.Line = line_;
    if (pos_ >= text_.size()) {
      token.Kind = TokenKind::End;
      return true;
    }
    const char c = text_[pos_];
    if (c == '{' || c == '}') {
      token.Kind = c == '{' ? TokenKind::Open : TokenKind::Close;
      ++pos_;
      return true;
    }
    token.Kind = TokenKind::Text;
    if (c == '"') return Quoted(token.Text, error);
    while (pos_ < text_.size() && !IsBlank(text_[pos_]) && text_[pos_] != '"' &&
           text_[pos_] != '{' && text_[pos_] != '}')
      token.Text += text_[pos_++];
    return true;
  }

 private:
  void SkipBlanksAndComments() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (IsBlank(c)) {
        if (c == '\n') ++line_;
        ++pos_;
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        return;
      }
    }
  }

  bool Quoted(std::string& out, std::string& error) {
    const size_t startLine = line_;
    ++pos_;  // the opening quote
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return true;
      if (c == '\n') ++line_;
      if (c != '\\' || pos_ >= text_.size()) {
        out += c;
        continue;
      }
      switch (text_[pos_]) {
        case '\\': out += '\\'; ++pos_; break;
        case '"': out += '"'; ++pos_; break;
        case 'n': out += '\n'; ++pos_; break;
        case 't': out += '\t'; ++pos_; break;
        default: out += '\\'; break;  // kept as it stands
      }
    }
    error = "line " + std::to_string(startLine) + ": a quoted text is not closed";
    return false;
  }

  std::string_view text_;
  size_t pos_ = 0;
  size_t line_ = 1;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : tokens_(text) {}

  // The entries up to the end of the text (depth 0) or up to the closing
  // brace of the block being read.
  bool Entries(std::vector<Entry>& out, size_t depth, size_t openLine, std::string& error) {
    for (;;) {
      Token key;
      if (!tokens_.Next(key, error)) return false;
      switch (key.Kind) {
        case TokenKind::End:
          if (depth == 0) return true;
          error = "line " + std::to_string(openLine) + ": a block is not closed";
          return false;
        case TokenKind::Close:
          if (depth > 0) return true;
          error = "line " + std::to_string(key.Line) + ": a closing brace without a block";
          return false;
        case TokenKind::Open:
          error = "line " + std::to_string(key.Line) + ": a block without a key";
          return false;
        case TokenKind::Text:
          break;
      }
      Token value;
      if (!tokens_.Next(value, error)) return false;
      Entry entry;
      entry.Key = std::move(key.Text);
      if (value.Kind == TokenKind::Text) {
        entry.Value = std::move(value.Text);
      } else if (value.Kind == TokenKind::Open) {
        if (depth + 1 > kMaxDepth) {
          error = "line " + std::to_string(value.Line) + ": blocks nested too deeply";
          return false;
        }
        entry.IsBlock = true;
        if (!Entries(entry.Children, depth + 1, value.Line, error)) return false;
      } else {
        error = "line " + std::to_string(key.Line) + ": a key without a value";
        return false;
      }
      out.push_back(std::move(entry));
    }
  }

 private:
  Tokenizer tokens_;
};

}  // namespace

const Entry* Find(const std::vector<Entry>& entries, std::string_view key) {
  for (const Entry& entry : entries)
    if (SameAsciiIgnoringCase(entry.Key, key)) return &entry;
  return nullptr;
}

const Entry* Entry::Find(std::string_view key) const { return vdf::Find(Children, key); }

FormatProblem Parse(std::string_view text, std::vector<Entry>& entries) {
  entries.clear();
  FormatProblem problem;
  Parser parser(text);
  if (!parser.Entries(entries, 0, 1, problem.Text)) entries.clear();
  return problem;
}

}  // namespace vdf

// ShellParser.cpp - command-line parsing of the box shell.
#include "Shell.h"

#include <cctype>

namespace pvrsim::box::shell {

namespace {
struct Token {
  bool isOperator = false;
  std::string text;   // the word, or the operator (";", "&&", ">", ">>", ">&" ...)
  int ioNumber = -1;  // the descriptor written before a redirection operator
};

class Lexer {
 public:
  explicit Lexer(const std::string &line) : line_(line) {}

  bool run(std::vector<Token> &tokens, std::string &error) {
    while (pos_ < line_.size()) {
      char c = line_[pos_];
      if (c == ' ' || c == '\t') {
        endWord(tokens);
        ++pos_;
      } else if (c == '\n') {
        endWord(tokens);
        emitOperator(tokens, ";");
        ++pos_;
      } else if (c == '#' && !inWord_) {
        while (pos_ < line_.size() && line_[pos_] != '\n') ++pos_;
      } else if (c == '\'') {
        if (!singleQuoted()) return fail(error);
      } else if (c == '"') {
        if (!doubleQuoted()) return fail(error);
      } else if (c == '\\') {
        escaped();
      } else if (isOperatorChar(c)) {
        operatorToken(tokens);
      } else {
        startWord();
        word_ += c;
        ++pos_;
      }
    }
    endWord(tokens);
    return true;
  }

 private:
  static bool isOperatorChar(char c) {
    return c == ';' || c == '&' || c == '|' || c == '>' || c == '<' || c == '(' || c == ')';
  }

  bool fail(std::string &error) {
    error = "unterminated quoted string";
    return false;
  }

  void startWord() { inWord_ = true; }

  void endWord(std::vector<Token> &tokens) {
    if (!inWord_) return;
    Token token;
    token.text = word_;
    tokens.push_back(token);
    word_.clear();
    inWord_ = quoted_ = false;
  }

  void emitOperator(std::vector<Token> &tokens, const std::string &op, int ioNumber = -1) {
    Token token;
    token.isOperator = true;
    token.text = op;
    token.ioNumber = ioNumber;
    tokens.push_back(token);
  }

  // '...': every character up to the next quote stands for itself.
  bool singleQuoted() {
    size_t end = line_.find('\'', pos_ + 1);
    if (end == std::string::npos) return false;
    startWord();
    quoted_ = true;
    word_ += line_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = end + 1;
    return true;
  }

  // "...": a backslash escapes only " \ $ ` and the newline.
  bool doubleQuoted() {
    startWord();
    quoted_ = true;
    for (size_t i = pos_ + 1; i < line_.size(); ++i) {
      char c = line_[i];
      if (c == '"') {
        pos_ = i + 1;
        return true;
      }
      if (c == '\\' && i + 1 < line_.size()) {
        char next = line_[i + 1];
        if (next == '\n') {
          ++i;
          continue;
        }
        if (next == '"' || next == '\\' || next == '$' || next == '`') {
          word_ += next;
          ++i;
          continue;
        }
      }
      word_ += c;
    }
    return false;
  }

  // A backslash outside quotes takes the next character literally; before a
  // newline it joins the lines.
  void escaped() {
    if (pos_ + 1 >= line_.size()) {
      startWord();
      word_ += '\\';
      ++pos_;
      return;
    }
    char next = line_[pos_ + 1];
    pos_ += 2;
    if (next == '\n') return;
    startWord();
    quoted_ = true;
    word_ += next;
  }

  void operatorToken(std::vector<Token> &tokens) {
    char c = line_[pos_];
    char next = pos_ + 1 < line_.size() ? line_[pos_ + 1] : '\0';
    int ioNumber = -1;
    if ((c == '>' || c == '<') && inWord_ && !quoted_ && word_.size() == 1 &&
        std::isdigit(static_cast<unsigned char>(word_[0]))) {
      ioNumber = word_[0] - '0';
      word_.clear();
      inWord_ = false;
    }
    endWord(tokens);
    std::string op(1, c);
    bool doubled = (c == '&' || c == '|' || c == '>' || c == ';') && next == c;
    if (doubled || (c == '>' && next == '&')) op += next;
    pos_ += op.size();
    emitOperator(tokens, op, ioNumber);
  }

  const std::string &line_;
  size_t pos_ = 0;
  std::string word_;
  bool inWord_ = false;
  bool quoted_ = false;  // part of the word was quoted or escaped
};

bool isRedirection(const std::string &op) { return op == ">" || op == ">>" || op == ">&"; }

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  bool run(std::vector<ListItem> &items, std::string &error) {
    Connector connector = Connector::Always;
    SimpleCommand command;
    bool pendingConnector = false;  // "&&" or "||" still needs its command
    for (size_t i = 0; i < tokens_.size(); ++i) {
      const Token &token = tokens_[i];
      if (!token.isOperator) {
        command.words.push_back(token.text);
      } else if (isRedirection(token.text)) {
        if (!redirection(i, command, error)) return false;
        ++i;
      } else if (token.text == ";" || token.text == "&&" || token.text == "||") {
        if (command.words.empty() && command.redirections.empty()) return unexpected(token.text, error);
        items.push_back({connector, command});
        command = SimpleCommand();
        connector = token.text == "&&"   ? Connector::IfSuccess
                    : token.text == "||" ? Connector::IfFailure
                                         : Connector::Always;
        pendingConnector = token.text != ";";
      } else {
        return unexpected(token.text, error);  // pipes, background jobs, sub-shells, input
      }
      if (!command.words.empty() || !command.redirections.empty()) pendingConnector = false;
    }
    if (!command.words.empty() || !command.redirections.empty()) items.push_back({connector, command});
    if (pendingConnector) {
      error = "unexpected end of file";
      return false;
    }
    return true;
  }

 private:
  static bool unexpected(const std::string &what, std::string &error) {
    error = "unexpected \"" + what + "\"";
    return false;
  }

  bool redirection(size_t i, SimpleCommand &command, std::string &error) {
    const Token &op = tokens_[i];
    if (i + 1 >= tokens_.size() || tokens_[i + 1].isOperator) {
      if (i + 1 >= tokens_.size()) {
        error = "unexpected end of file";
        return false;
      }
      return unexpected(tokens_[i + 1].text, error);
    }
    Redirection redirection;
    redirection.fd = op.ioNumber >= 0 ? op.ioNumber : 1;
    redirection.target = tokens_[i + 1].text;
    redirection.kind = op.text == ">>"   ? Redirection::Kind::Append
                       : op.text == ">&" ? Redirection::Kind::Duplicate
                                         : Redirection::Kind::Truncate;
    command.redirections.push_back(redirection);
    return true;
  }

  std::vector<Token> tokens_;
};
}  // namespace

ParsedLine parseCommandLine(const std::string &line) {
  ParsedLine parsed;
  std::vector<Token> tokens;
  if (!Lexer(line).run(tokens, parsed.error) || !Parser(std::move(tokens)).run(parsed.items, parsed.error)) {
    parsed.ok = false;
    parsed.items.clear();
  }
  return parsed;
}

}  // namespace pvrsim::box::shell

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
      } else if (c == '$' && pos_ + 1 < line_.size() && (line_[pos_ + 1] == '?' || line_[pos_ + 1] == '!')) {
        startWord();
        word_ += kExpansion;
        word_ += line_[pos_ + 1];
        pos_ += 2;
      } else {
        startWord();
        addLiteral(c);
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

  // A character that stands for itself (the expansion marker is doubled).
  void addLiteral(char c) {
    word_ += c;
    if (c == kExpansion) word_ += c;
  }

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
    for (size_t i = pos_ + 1; i < end; ++i) addLiteral(line_[i]);
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
      if (c == '$' && i + 1 < line_.size() && (line_[i + 1] == '?' || line_[i + 1] == '!')) {
        word_ += kExpansion;
        word_ += line_[++i];
        continue;
      }
      addLiteral(c);
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
    addLiteral(next);
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
  explicit Parser(const std::vector<Token> &tokens) : tokens_(tokens) {}

  bool run(std::vector<ListItem> &items, std::string &error) {
    size_t end = 0;
    return list(0, tokens_.size(), items, error, end) && (end == tokens_.size() || unexpected(")", error));
  }

 private:
  static bool unexpected(const std::string &what, std::string &error) {
    error = "unexpected \"" + what + "\"";
    return false;
  }
  static bool empty(const SimpleCommand &command) {
    return command.words.empty() && command.redirections.empty() && !command.group;
  }

  // The list of tokens [i, last) up to a ")" of this level (at *end).
  bool list(size_t i, size_t last, std::vector<ListItem> &items, std::string &error, size_t &end) {
    Connector connector = Connector::Always;
    SimpleCommand command;
    bool pendingConnector = false;  // "&&" or "||" still needs its command
    size_t chainStart = items.size();
    for (; i < last; ++i) {
      const Token &token = tokens_[i];
      if (!token.isOperator) {
        if (command.group) return unexpected(token.text, error);
        command.words.push_back(token.text);
      } else if (isRedirection(token.text)) {
        if (!redirection(i, command, error)) return false;
        ++i;
      } else if (token.text == "(") {
        if (!empty(command)) return unexpected(token.text, error);
        auto group = std::make_shared<std::vector<ListItem>>();
        size_t close = 0;
        if (!list(i + 1, last, *group, error, close)) return false;
        if (close >= last) {
          error = "unexpected end of file";
          return false;
        }
        if (group->empty()) return unexpected(")", error);
        command.group = group;
        i = close;
      } else if (token.text == ")") {
        break;
      } else if (token.text == ";" || token.text == "&&" || token.text == "||" || token.text == "&") {
        if (empty(command)) return unexpected(token.text, error);
        items.push_back({connector, command, false});
        command = SimpleCommand();
        if (token.text == "&")
          for (size_t k = chainStart; k < items.size(); ++k) items[k].background = true;
        if (token.text == ";" || token.text == "&") chainStart = items.size();
        connector = token.text == "&&"   ? Connector::IfSuccess
                    : token.text == "||" ? Connector::IfFailure
                                         : Connector::Always;
        pendingConnector = token.text == "&&" || token.text == "||";
      } else {
        return unexpected(token.text, error);  // pipes, input
      }
      if (!empty(command)) pendingConnector = false;
    }
    end = i;
    if (!empty(command)) items.push_back({connector, command, false});
    if (pendingConnector) {
      error = "unexpected end of file";
      return false;
    }
    return true;
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

  const std::vector<Token> &tokens_;
};
}  // namespace

ParsedLine parseCommandLine(const std::string &line) {
  ParsedLine parsed;
  std::vector<Token> tokens;
  if (!Lexer(line).run(tokens, parsed.error) || !Parser(tokens).run(parsed.items, parsed.error)) {
    parsed.ok = false;
    parsed.items.clear();
  }
  return parsed;
}

}  // namespace pvrsim::box::shell

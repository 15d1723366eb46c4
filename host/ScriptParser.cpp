#include "ScriptParser.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace {

// Argument kinds: t text, i integer, b 0 or 1, k key; those after '|' are optional.
struct TCommandSyntax {
  const char* Name;
  const char* Arguments;
  const char* Usage;
};

const TCommandSyntax kCommands[] = {
    {"window", "t|i", "window \"Caption\" [ms]"},
    {"click", "t", "click NAME"},
    {"click-at", "tii", "click-at NAME x y"},
    {"set", "tt", "set NAME VALUE"},
    {"type", "tt", "type NAME \"text\""},
    {"key", "tk", "key NAME VK"},
    {"wheel", "ti", "wheel NAME +1|-1"},
    {"drag", "tiiii|i", "drag NAME x1 y1 x2 y2 [steps]"},
    {"hold", "ti", "hold NAME ms"},
    {"wait-enabled", "t|i", "wait-enabled NAME [ms]"},
    {"wait-disabled", "t|i", "wait-disabled NAME [ms]"},
    {"wait-text", "tt|i", "wait-text NAME \"text\" [ms]"},
    {"expect-text", "tt", "expect-text NAME \"text\""},
    {"expect-enabled", "tb", "expect-enabled NAME 0|1"},
    {"sleep", "i", "sleep ms"},
    {"screenshot", "t", "screenshot FILE.png"},
    {"close", "", "close"},
    {"wait-closed", "|i", "wait-closed [ms]"},
};

const TCommandSyntax* FindSyntax(const std::string& name) {
  for (const TCommandSyntax& syntax : kCommands) {
    if (name == syntax.Name) return &syntax;
  }
  return nullptr;
}

}  // namespace

bool ParseInteger(const std::string& word, long& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(word.c_str(), &end, 0);
  return errno == 0 && *end == '\0';
}

long ToInteger(const std::string& word) {
  long value = 0;
  ParseInteger(word, value);  // checked when the script was read
  return value;
}

namespace {

struct TKeyName {
  const char* Name;
  UINT Code;
};

const TKeyName kKeyNames[] = {
    {"UP", VK_UP},         {"DOWN", VK_DOWN},     {"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT},
    {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"TAB", VK_TAB},       {"SPACE", VK_SPACE},
    {"BACK", VK_BACK},     {"DELETE", VK_DELETE}, {"HOME", VK_HOME},     {"END", VK_END},
    {"PRIOR", VK_PRIOR},   {"NEXT", VK_NEXT},
};

}  // namespace

bool ParseKey(const std::string& word, UINT& code) {
  for (const TKeyName& key : kKeyNames) {
    if (word == key.Name) {
      code = key.Code;
      return true;
    }
  }
  if (word.size() == 1 && ((word[0] >= 'A' && word[0] <= 'Z') || (word[0] >= '0' && word[0] <= '9'))) {
    code = static_cast<UINT>(word[0]);
    return true;
  }
  long number = 0;
  if (ParseInteger(word, number) && number > 0 && number < 256) {
    code = static_cast<UINT>(number);
    return true;
  }
  return false;
}

namespace {

// Splits one line into words; false with a message on an unterminated quote.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& problem) {
  size_t at = 0;
  while (true) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
    if (at >= line.size() || line[at] == '#') return true;
    std::string word;
    if (line[at] == '"') {
      ++at;
      bool closed = false;
      while (at < line.size()) {
        char c = line[at++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && at < line.size() && (line[at] == '"' || line[at] == '\\')) c = line[at++];
        word += c;
      }
      if (!closed) {
        problem = "missing closing quote";
        return false;
      }
    } else {
      while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r') {
        word += line[at++];
      }
    }
    words.push_back(word);
  }
}

// Checks a command's words against its syntax; "" when they fit.
std::string CheckArguments(const std::vector<std::string>& words) {
  const TCommandSyntax* syntax = FindSyntax(words[0]);
  if (syntax == nullptr) return "unknown command '" + words[0] + "'";
  const std::string kinds = syntax->Arguments;
  const size_t bar = kinds.find('|');
  const size_t required = bar == std::string::npos ? kinds.size() : bar;
  const size_t allowed = kinds.size() - (bar == std::string::npos ? 0 : 1);
  const size_t given = words.size() - 1;
  const std::string usage = std::string(" (usage: ") + syntax->Usage + ")";
  if (given < required || given > allowed) return "wrong number of arguments" + usage;
  size_t kindAt = 0;
  for (size_t i = 1; i < words.size(); ++i, ++kindAt) {
    if (kinds[kindAt] == '|') ++kindAt;
    long number = 0;
    UINT key = 0;
    switch (kinds[kindAt]) {
      case 'i':
        if (!ParseInteger(words[i], number)) return "'" + words[i] + "' is not a number" + usage;
        break;
      case 'b':
        if (words[i] != "0" && words[i] != "1") return "'" + words[i] + "' is not 0 or 1" + usage;
        break;
      case 'k':
        if (!ParseKey(words[i], key)) return "'" + words[i] + "' is not a key" + usage;
        break;
      default:
        break;
    }
  }
  return "";
}

}  // namespace

std::vector<TCommand> ReadScript(const std::string& text) {
  std::vector<TCommand> commands;
  int lineNumber = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ++lineNumber;
    TCommand command;
    command.Line = lineNumber;
    std::string problem;
    if (!SplitWords(text.substr(start, end - start), command.Words, problem)) {
      throw TScriptError("line " + std::to_string(lineNumber) + ": " + problem);
    }
    if (!command.Words.empty()) {
      problem = CheckArguments(command.Words);
      if (!problem.empty()) throw TScriptError("line " + std::to_string(lineNumber) + ": " + problem);
      commands.push_back(std::move(command));
    }
    start = end + 1;
  }
  return commands;
}

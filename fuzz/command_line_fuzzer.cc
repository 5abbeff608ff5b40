// The dialog's command-line splitting with arbitrary bytes. Without quotes the rule is a plain
// split at blanks, which a model here gives independently; with quotes, what comes out must
// still be made of the text's own bytes, in order, and read the same once quoted again.
//
// Input: the command line itself, NULs included.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/require.h"
#include "platform/command_line.h"
#include "platform/path_text.h"

namespace {

using Arguments = std::vector<std::string>;
constexpr char kQuote = '"';

bool IsBlankOrEnd(char c) { return static_cast<unsigned char>(c) <= 32; }

// Whether pieces, one after another, can be picked out of text in order.
bool IsSubsequence(const Arguments& pieces, std::string_view text) {
  size_t at = 0;
  for (const std::string& piece : pieces) {
    for (char c : piece) {
      while (at < text.size() && text[at] != c) ++at;
      if (at == text.size()) return false;
      ++at;
    }
  }
  return true;
}

// Runs of whole characters that are not blanks, after the first (the program's path).
Arguments SplitAtBlanks(std::string_view text) {
  Arguments words;
  std::string word;
  for (size_t i = 0; i < text.size();) {
    const size_t length = platform::CharacterLength(text, i);
    if (IsBlankOrEnd(text[i])) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word.append(text, i, length);
    }
    i += length;
  }
  if (!word.empty()) words.push_back(std::move(word));
  if (!words.empty()) words.erase(words.begin());
  return words;
}

void CheckArguments(const Arguments& arguments, std::string_view text) {
  FUZZ_REQUIRE(IsSubsequence(arguments, text));
  for (const std::string& argument : arguments) {
    FUZZ_REQUIRE(!argument.empty());
    // Quotes are dropped: one can remain only as the second byte of a double-byte character.
    for (size_t i = 0; i < argument.size(); i += platform::CharacterLength(argument, i)) {
      FUZZ_REQUIRE(argument[i] != kQuote);
    }
  }
}

// Each argument quoted, after a quoted program path, with gap before each. The last quote
// is left open, as the stretch then runs to the end, where a lead byte without its second
// byte stays a character of its own, just as it was at the end of the original text.
std::string Quoted(const Arguments& arguments, std::string_view gap) {
  std::string commandLine = "\"prog.exe\"";
  for (size_t i = 0; i < arguments.size(); ++i) {
    commandLine += gap;
    commandLine += kQuote;
    commandLine += arguments[i];
    if (i + 1 < arguments.size()) commandLine += kQuote;
  }
  return commandLine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view text = input.substr(0, input.find('\0'));

  const Arguments arguments = platform::CommandLineArguments(input);
  FUZZ_REQUIRE(platform::CommandLineArguments(text) == arguments);
  CheckArguments(arguments, text);
  FUZZ_REQUIRE(platform::CommandLineArguments(Quoted(arguments, " ")) == arguments);
  // Blanks, control characters and pairs of quotes between items separate and are no items.
  FUZZ_REQUIRE(platform::CommandLineArguments(Quoted(arguments, "\"\" \t\"\"\x01\"\"")) ==
               arguments);

  // The same text with every quote character made an ordinary one: now a split at blanks.
  std::string unquoted(text);
  for (size_t i = 0; i < unquoted.size(); i += platform::CharacterLength(unquoted, i)) {
    if (unquoted[i] == kQuote) unquoted[i] = 'q';
  }
  FUZZ_REQUIRE(platform::CommandLineArguments(unquoted) == SplitAtBlanks(unquoted));
  return 0;
}

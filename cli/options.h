#pragma once
// The command line of vellunora-decode, parsed into a plain struct. The password is never
// an argument: it comes from a file, the environment or the terminal (password.h).

#include <optional>
#include <string>
#include <vector>

inline constexpr char kProgramName[] = "vellunora-decode";
inline constexpr char kProgramVersion[] = "1.0.3";

enum class RunMode {
  Decrypt,           // write ".CSV" files
  ToStandardOutput,  // -c: decrypted bytes to standard output, inputs kept
  CheckPassword,     // -t: write and delete nothing
};

enum class Verbosity { Quiet, Normal, Verbose };

// What the bytes of the password are in (password.h says where each is applied).
enum class PasswordEncoding { Auto, Utf8, Cp932 };

struct Options {
  std::vector<std::string> inputs;          // files and folders, as given (on Windows with
                                            // "/" turned into the backslash)
  std::optional<std::string> passwordFile;  // "-" is standard input
  PasswordEncoding passwordEncoding = PasswordEncoding::Auto;
  std::optional<std::string> outputFolder;  // none: each input's own folder
  RunMode mode = RunMode::Decrypt;
  Verbosity verbosity = Verbosity::Normal;
  bool recursive = false;
  bool keepInputs = false;
  bool replaceExisting = false;
  bool syncToDisk = true;
  unsigned jobs = 0;  // files decrypted at once; 0: one per processor core
};

// More workers than this would only contend for the disk.
inline constexpr unsigned kMostJobs = 64;

struct ParsedCommandLine {
  enum class Action {
    Run,          // options holds what to do
    ShowHelp,     // text holds the help, for standard output
    ShowVersion,  // text holds the version line, for standard output
    UsageError,   // text holds the message, for standard error
  };
  Action action = Action::UsageError;
  Options options;
  std::string text;
};

// Never throws for anything the user typed. args excludes the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "cli/messages.h"
#include "platform/path_text.h"

namespace {

using Action = ParsedCommandLine::Action;

ParsedCommandLine Outcome(Action action, std::string text) {
  ParsedCommandLine parsed;
  parsed.action = action;
  parsed.text = std::move(text);
  return parsed;
}

// Shows an option's argument by its name alone ("-j,--jobs N"): CLI11 would add its notes on
// the type and range ("N:UINT in [1 - 64]"), in English, which the description gives in words.
class PlainFormatter : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override {
    if (option->get_type_size() == 0) return {};
    const std::string name = option->get_type_name();
    return name.empty() ? std::string() : " " + name.substr(0, name.find(':'));
  }
};

void UseJapaneseLabels(CLI::App& app) {
  auto formatter = std::make_shared<PlainFormatter>();
  app.formatter(formatter);
  formatter->label("Usage", messages::kUsageLabel);
  formatter->label("OPTIONS", messages::kOptionsLabel);
  formatter->label("Options", messages::kOptionsLabel);
  formatter->label("Positionals", messages::kArgumentsLabel);
  formatter->column_width(28);
}

struct Flags {
  bool toStandardOutput = false;
  bool checkOnly = false;
  bool quiet = false;
  bool verbose = false;
  bool noSync = false;
  std::string passwordEncoding = "auto";
};

std::optional<PasswordEncoding> PasswordEncodingNamed(std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (name == "auto") return PasswordEncoding::Auto;
  if (name == "utf-8" || name == "utf8") return PasswordEncoding::Utf8;
  if (name == "cp932") return PasswordEncoding::Cp932;
  return std::nullopt;
}

// The pairs that ask for two contradicting things; checked here rather than by CLI11 so that
// the message is the program's own.
std::optional<std::string> Conflict(const Options& options, const Flags& flags) {
  struct Pair {
    bool both;
    const char* first;
    const char* second;
  };
  const Pair pairs[] = {
      {flags.toStandardOutput && flags.checkOnly, "-c", "-t"},
      {flags.toStandardOutput && options.outputFolder.has_value(), "-c", "-o"},
      {flags.quiet && flags.verbose, "-q", "-v"},
  };
  for (const Pair& pair : pairs) {
    if (pair.both) return messages::OptionsConflict(pair.first, pair.second);
  }
  return std::nullopt;
}

// Windows users type "/" as often as a backslash, but output paths follow the dialog's rules,
// which know only the backslash. "/" (0x2F) is never the second byte of a code page 932
// character, so replacing bytes is exact.
void UseNativeSeparators(std::string& path) {
  if (platform::kNativePathStyle != platform::PathStyle::Windows) return;
  for (char& byte : path) {
    if (byte == '/') byte = '\\';
  }
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  Options options;
  Flags flags;

  CLI::App app(messages::kDescription, kProgramName);
  UseJapaneseLabels(app);
  app.footer(messages::kFooter);
  app.allow_extras();
  app.option_defaults()->group(messages::kOptionsLabel);
  app.set_help_flag("-h,--help", messages::kHelpHelp);
  app.set_version_flag("--version", messages::VersionLine(), messages::kVersionHelp);
  app.add_option("FILE", options.inputs, messages::kFilesHelp)->type_name("");
  app.add_option("-p,--password-file", options.passwordFile, messages::kPasswordFileHelp)
      ->type_name("FILE");
  app.add_option("--password-encoding", flags.passwordEncoding, messages::kPasswordEncodingHelp)
      ->type_name("ENC");
  app.add_option("-o,--output", options.outputFolder, messages::kOutputHelp)->type_name("DIR");
  app.add_flag("-r,--recursive", options.recursive, messages::kRecursiveHelp);
  app.add_flag("-k,--keep", options.keepInputs, messages::kKeepHelp);
  app.add_flag("-f,--force", options.replaceExisting, messages::kForceHelp);
  app.add_flag("-c,--stdout", flags.toStandardOutput, messages::kStdoutHelp);
  app.add_flag("-t,--test", flags.checkOnly, messages::kTestHelp);
  app.add_flag("--no-sync", flags.noSync, messages::kNoSyncHelp);
  app.add_flag("-q,--quiet", flags.quiet, messages::kQuietHelp);
  app.add_flag("-v,--verbose", flags.verbose, messages::kVerboseHelp);
  app.add_option("-j,--jobs", options.jobs, messages::kJobsHelp)
      ->type_name("N")
      ->check(CLI::Range(1u, kMostJobs));

  // CLI11 takes the arguments last to first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    return Outcome(Action::ShowHelp, app.help());
  } catch (const CLI::CallForVersion& version) {
    return Outcome(Action::ShowVersion, version.what());
  } catch (const CLI::ParseError& error) {
    return Outcome(Action::UsageError, messages::CommandLineError(error.what()));
  }

  // CLI11 lists the "--" that ends the options among the extras.
  for (const std::string& extra : app.remaining()) {
    if (extra != "--") return Outcome(Action::UsageError, messages::UnknownOption(extra));
  }
  if (auto conflict = Conflict(options, flags)) {
    return Outcome(Action::UsageError, std::move(*conflict));
  }
  const auto encoding = PasswordEncodingNamed(flags.passwordEncoding);
  if (!encoding) {
    return Outcome(Action::UsageError, messages::UnknownPasswordEncoding(flags.passwordEncoding));
  }
  options.passwordEncoding = *encoding;
  if (options.inputs.empty()) return Outcome(Action::UsageError, messages::NoInputs());

  if (flags.toStandardOutput) options.mode = RunMode::ToStandardOutput;
  if (flags.checkOnly) options.mode = RunMode::CheckPassword;
  if (flags.quiet) options.verbosity = Verbosity::Quiet;
  if (flags.verbose) options.verbosity = Verbosity::Verbose;
  options.syncToDisk = !flags.noSync;
  for (std::string& input : options.inputs) UseNativeSeparators(input);
  if (options.outputFolder) UseNativeSeparators(*options.outputFolder);

  ParsedCommandLine parsed;
  parsed.action = Action::Run;
  parsed.options = std::move(options);
  return parsed;
}

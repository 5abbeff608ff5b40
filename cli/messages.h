#pragma once
// Every text vellunora-decode shows, in one place. Japanese, with the words a Japanese user
// expects (復号, パスワード as the dialog's label says) rather than the dialog's own spelling,
// which only the dialog keeps; UTF-8 in the POSIX build and code page 932 bytes in the Windows
// build. Lines end with "\n". The names of files and folders, and
// arguments quoted back, go into a line as ShownName (cli/shown_name.h) shows them.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/decrypt_file.h"
#include "platform/text_encoding.h"

namespace messages {

// Help (CLI11's layout, these labels and descriptions).
extern const char kUsageLabel[];
extern const char kOptionsLabel[];
extern const char kArgumentsLabel[];
extern const char kDescription[];
extern const char kFooter[];
extern const char kFilesHelp[];
extern const char kPasswordFileHelp[];
extern const char kPasswordEncodingHelp[];
extern const char kOutputHelp[];
extern const char kRecursiveHelp[];
extern const char kKeepHelp[];
extern const char kForceHelp[];
extern const char kStdoutHelp[];
extern const char kTestHelp[];
extern const char kNoSyncHelp[];
extern const char kQuietHelp[];
extern const char kVerboseHelp[];
extern const char kJobsHelp[];
extern const char kHelpHelp[];
extern const char kVersionHelp[];

// The terminal prompt.
extern const char kPasswordPrompt[];

std::string VersionLine();

// Usage errors.
std::string UnknownOption(std::string_view option);
std::string OptionsConflict(std::string_view first, std::string_view second);
std::string NoInputs();
std::string OutputFolderMissing(std::string_view folder);
std::string OutputFolderNotAFolder(std::string_view folder);
// The dry run (-t with -o): whether the output folder can take a new file.
std::string OutputFolderUnwritable(std::string_view folder, platform::SystemError error);
std::string OutputFolderWritable(std::string_view folder);
std::string CommandLineError(std::string_view detail);
std::string UnknownPasswordEncoding(std::string_view name);

// Password errors.
std::string NoPasswordSource();
std::string PasswordFileUnreadable(std::string_view path, platform::SystemError error);
std::string PasswordInputUnreadable(platform::SystemError error);
// Not a byte to read, not even a line break (an empty first line is the empty password).
std::string PasswordFileEmpty(std::string_view path);
std::string PasswordInputEmpty();
std::string PasswordLineTooLong(size_t limit);
std::string PasswordTerminalFailed(platform::SystemError error);
// encodingChosen: --password-encoding could have read the password otherwise.
std::string PasswordConversionFailed(const platform::Cp932Text& conversion, bool encodingChosen);

// Input collection.
std::string FolderUnreadable(std::string_view folder, platform::SystemError error);
std::string NoLogFilesIn(std::string_view folder);
// Said when the system refuses memory outside a file's decryption; a fixed text, since
// composing one would need memory too.
inline constexpr std::string_view kOutOfMemoryLine =
    "vellunora-decode: メモリが足りないため中断しました。\n";

// One line per file: failures always, successes with -v.
std::string FileFailed(std::string_view input, std::string_view output,
                       const DecryptResult& result);
std::string InputNotDeleted(std::string_view input, platform::SystemError error);
// -c with standard output closed ("1>&-"): its bytes would go nowhere.
std::string StandardOutputClosed();
// Standard output (-c) took no more bytes: the files after the one that failed are left, as
// their bytes would follow a gap in the stream.
std::string FilesLeftForStandardOutput(size_t count);
// With -f, an output that appeared while the run went on: it is not replaced, as it may be
// another output of this run under another name.
std::string OutputAppearedDuringRun(std::string_view input, std::string_view output);
// Standard output (-c) is the input file itself: nothing is decrypted.
std::string StandardOutputIsAnInput(std::string_view input);
// input and other would write the same output: neither is decrypted.
std::string SameOutput(std::string_view input, std::string_view other, std::string_view output);
// Decrypted as it was read, but another program appended to it meanwhile: the input stays.
std::string InputChangedWhileRead(std::string_view input);
// With -v, once before the first file: which of the cipher's paths this processor runs.
std::string DecryptionPath(std::string_view pathName);
std::string FileDecrypted(std::string_view input, std::string_view output);
std::string FileWrittenToStandardOutput(std::string_view input);
std::string PasswordMatches(std::string_view input);

// Progress of a large file, without line break: written over itself with "\r".
std::string Progress(std::string_view input, uint64_t done, uint64_t total);

}  // namespace messages
